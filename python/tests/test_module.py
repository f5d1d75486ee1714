"""The module frame: what importing creates, the exception type and the class conventions."""

import ast
import glob
import inspect
import os
import pathlib
import shutil
import subprocess
import sys
import weakref

import pytest

import tamri

MODULE_ATTRIBUTES = [
    "ResidueIssue", "ValidatedSequence", "ProteinSequence", "SequenceValidationReport", "TokenizedProtein", "ModelInput",
    "ModelInputRecord", "SequenceWorkflowOutput", "TamriError", "parse_fasta_records", "validate_fasta_input",
    "validate_fasta_input_with_kind", "tokenize_fasta_records", "tokenize_protein", "build_model_inputs_checked",
    "prepare_workflow", "prepare_workflow_from_fasta", "inspect_package_manifest", "validate_package_manifest",
    "validate_package_manifest_artifacts", "validate_package_manifest_file", "plan_runtime_bridge",
]

# The signatures the stub declares, as inspect renders a text signature.
STUB_SIGNATURES = {}
for node in ast.parse((pathlib.Path(__file__).resolve().parents[1] / "tamri.pyi").read_text(encoding="utf-8")).body:
    function = next((item for item in getattr(node, "body", []) if getattr(item, "name", "") == "__new__"), node)
    if isinstance(function, ast.FunctionDef):
        names = [argument.arg for argument in function.args.args]
        defaults = [""] * (len(names) - len(function.args.defaults)) + [
            f"={ast.literal_eval(default)!r}" for default in function.args.defaults]
        STUB_SIGNATURES[node.name] = "(" + ", ".join(n + d for n, d in zip(names, defaults) if n != "cls") + ")"
UNCONSTRUCTED = ["SequenceValidationReport", "ModelInput", "SequenceWorkflowOutput"]


def test_attributes_are_added_in_their_fixed_order():
    public = [name for name in vars(tamri) if not name.startswith("__")]
    assert public == MODULE_ATTRIBUTES
    assert tamri.__doc__ == ""
    assert sorted(STUB_SIGNATURES) == sorted(set(MODULE_ATTRIBUTES) - {"TamriError", *UNCONSTRUCTED})


@pytest.mark.parametrize("name", STUB_SIGNATURES)
def test_text_signatures_are_the_stubs_and_the_only_documentation(name):
    obj = getattr(tamri, name)
    assert str(inspect.signature(obj)) == STUB_SIGNATURES[name]
    if not isinstance(obj, type):
        assert obj.__doc__ is None


def test_a_second_initialization_returns_the_same_module():
    first = sys.modules.pop("tamri")
    try:
        import tamri as again

        assert again is first
    finally:
        sys.modules["tamri"] = first


def test_sub_interpreters_are_refused():
    interpreters = pytest.importorskip("_xxsubinterpreters")
    interpreter = interpreters.create()
    try:
        with pytest.raises(interpreters.RunFailedError, match="ImportError.*sub-interpreters are not supported"):
            interpreters.run_string(interpreter, "import tamri")
    finally:
        interpreters.destroy(interpreter)


def test_errors_are_plain_value_errors_with_code_message_and_location_in_that_order():
    error_type = tamri.TamriError
    assert issubclass(error_type, ValueError) and error_type.__doc__ is None
    assert f"{error_type.__module__}.{error_type.__qualname__}" == "tamri.TamriError"
    with pytest.raises(tamri.TamriError) as caught:
        tamri.parse_fasta_records(">a\nAC\n>  \nGG")
    error = caught.value
    assert list(vars(error).items()) == [("code", "fasta.missing_identifier"),
                                         ("message", "FASTA record at index 1 has an empty identifier"),
                                         ("location", {"line": 3, "record_index": 1})]
    assert list(error.location) == ["line", "record_index"]
    assert error.args == (error.message,) and str(error) == error.message


CLASS_INSTANCES = {
    "ResidueIssue": lambda: tamri.ResidueIssue("A", 1),
    "ValidatedSequence": lambda: tamri.ValidatedSequence("x", "MK"),
    "ProteinSequence": lambda: tamri.ProteinSequence("identifier", "sequence text"),
    "SequenceValidationReport": lambda: tamri.validate_fasta_input(">a\nM\n"),
    "TokenizedProtein": lambda: tamri.TokenizedProtein("p", [1]),
    "ModelInput": lambda: tamri.build_model_inputs_checked([], 1),
    "ModelInputRecord": lambda: tamri.ModelInputRecord("r", [1], [1], False),
    "SequenceWorkflowOutput": lambda: tamri.prepare_workflow_from_fasta(">a\nMK\n", 2),
}


@pytest.mark.parametrize("name", CLASS_INSTANCES)
def test_module_classes_follow_the_class_conventions(name):
    instance = CLASS_INSTANCES[name]()
    attributes = [attribute for attribute in dir(instance) if not attribute.startswith("__")]
    assert attributes
    for attribute in attributes:
        with pytest.raises(AttributeError):
            setattr(instance, attribute, None)
    with pytest.raises(AttributeError):
        instance.extra = 1
    assert not hasattr(instance, "__dict__")
    with pytest.raises(TypeError):
        weakref.ref(instance)
    with pytest.raises(TypeError):
        type("Sub", (type(instance),), {})
    assert instance == instance and instance != CLASS_INSTANCES[name]()


def issue_view(issue):
    return issue.residue, issue.position


# Reading an attribute builds a new object; `view` makes the items of two copies comparable.
@pytest.mark.parametrize("make, attribute, view", [
    (lambda: tamri.ProteinSequence("identifier", "sequence text"), "id", None),
    (lambda: tamri.validate_fasta_input(">a\nMKX\n"), "sequences", lambda sequence: sequence.id),
    # The report is gone when its item is read: an item outlives its owner.
    (lambda: tamri.validate_fasta_input(">a\nMKX\n").sequences[0], "warnings", issue_view),
    (lambda: tamri.tokenize_protein("MXB*"), "tokens", int),
    (lambda: tamri.build_model_inputs_checked([tamri.TokenizedProtein("a", [1]), tamri.TokenizedProtein("b", [2])], 3),
     "records", lambda record: (record.id, record.input_ids, record.attention_mask, record.truncated)),
    (lambda: tamri.ModelInputRecord("r", [1, 2], [1, 1], True), "attention_mask", int),
])
def test_attributes_are_fresh_on_every_access(make, attribute, view):
    instance = make()
    first, second = getattr(instance, attribute), getattr(instance, attribute)
    assert first is not second and first
    if view is not None:
        assert [view(item) for item in first] == [view(item) for item in second]
        assert view is int or not any(a is b for a, b in zip(first, second))
        first.clear()
        assert [view(item) for item in getattr(instance, attribute)] == [view(item) for item in second]


# Wrong arguments are the interpreter's own errors, never TamriError; None stands for its own wording.
@pytest.mark.parametrize("call, error, message", [
    (lambda: tamri.parse_fasta_records(b">a\nAC"), TypeError, "argument 'fasta_text': 'bytes' object cannot be converted to 'str'"),
    (lambda: tamri.parse_fasta_records(">a\n\ud800"), UnicodeEncodeError,
     "'utf-8' codec can't encode character '\\ud800' in position 3: surrogates not allowed"),
    (lambda: tamri.parse_fasta_records(), TypeError, "parse_fasta_records() missing 1 required positional argument: 'fasta_text'"),
    (lambda: tamri.parse_fasta_records("a", "b"), TypeError, "parse_fasta_records() takes 1 positional argument but 2 were given"),
    (lambda: tamri.parse_fasta_records("a", fasta_text="b"), TypeError,
     "parse_fasta_records() got multiple values for argument 'fasta_text'"),
    (lambda: tamri.parse_fasta_records(text="a"), TypeError, "parse_fasta_records() got an unexpected keyword argument 'text'"),
    (lambda: tamri.ProteinSequence(), TypeError, "ProteinSequence() missing 2 required positional arguments: 'id' and 'sequence'"),
    (lambda: tamri.ProteinSequence("a", sequence=1), TypeError, "argument 'sequence': 'int' object cannot be converted to 'str'"),
    (lambda: tamri.ProteinSequence("a", "b", "c"), TypeError, "ProteinSequence() takes 2 positional arguments but 3 were given"),
    (lambda: tamri.ResidueIssue(65, -1), TypeError, "argument 'residue': 'int' object cannot be converted to 'str'"),
    (lambda: tamri.ResidueIssue("A", -1), OverflowError, "can't convert negative int to unsigned"),
    (lambda: tamri.ValidatedSequence("x", "y", warnings="X"), TypeError,
     "argument 'warnings': a 'str' cannot be taken as a list of 'ResidueIssue'"),
    (lambda: tamri.ValidatedSequence("x", "y", errors=[tamri.ResidueIssue("X", 1), "X"]), TypeError,
     "argument 'errors': 'str' object cannot be converted to 'ResidueIssue'"),
    (lambda: tamri.ValidatedSequence("x", "y", errors=3), TypeError,
     "argument 'errors': 'int' object cannot be converted to 'Sequence'"),
    (lambda: tamri.ValidatedSequence("x", "y", valid=1), TypeError, "argument 'valid': 'int' object cannot be converted to 'bool'"),
    # The text is converted before the kind or the profile is judged.
    (lambda: tamri.validate_fasta_input_with_kind(b">a\nM", 1), TypeError,
     "argument 'fasta_text': 'bytes' object cannot be converted to 'str'"),
    (lambda: tamri.validate_fasta_input_with_kind("", None), TypeError,
     "argument 'kind': 'NoneType' object cannot be converted to 'str'"),
    (lambda: tamri.validate_fasta_input_with_kind(">a\nM"), TypeError,
     "validate_fasta_input_with_kind() missing 1 required positional argument: 'kind'"),
    (lambda: tamri.tokenize_fasta_records(b">a\nAC", "bad profile"), TypeError,
     "argument 'fasta_text': 'bytes' object cannot be converted to 'str'"),
    (lambda: tamri.tokenize_protein("MK", profile=None), TypeError,
     "argument 'profile': 'NoneType' object cannot be converted to 'str'"),
    (lambda: tamri.TokenizedProtein("p", "ABC"), TypeError, "argument 'tokens': a 'str' cannot be taken as a list of 'int'"),
    (lambda: tamri.TokenizedProtein("p", [1, 2**64]), OverflowError, None),
    (lambda: tamri.TokenizedProtein("p", [1.0]), TypeError,
     "argument 'tokens': 'float' object cannot be interpreted as an integer"),
    (lambda: tamri.ModelInputRecord("r", [], [], 0), TypeError, "argument 'truncated': 'int' object cannot be converted to 'bool'"),
    (lambda: tamri.build_model_inputs_checked("ABC", 2), TypeError,
     "argument 'tokenized': a 'str' cannot be taken as a list of 'TokenizedProtein'"),
    (lambda: tamri.build_model_inputs_checked([tamri.ProteinSequence("a", "MK")], 2), TypeError,
     "argument 'tokenized': 'ProteinSequence' object cannot be converted to 'TokenizedProtein'"),
    (lambda: tamri.build_model_inputs_checked([], -1), OverflowError, None),
    (lambda: tamri.build_model_inputs_checked([], "2"), TypeError,
     "argument 'max_length': 'str' object cannot be interpreted as an integer"),
    (lambda: tamri.build_model_inputs_checked([], 2, 256), OverflowError, "unsigned byte integer is greater than maximum"),
    # Arguments are converted before the padding text and the core checks.
    (lambda: tamri.build_model_inputs_checked([], 0, 256, "bad"), OverflowError, "unsigned byte integer is greater than maximum"),
    (lambda: tamri.build_model_inputs_checked([], 2, 0, b"no_padding"), TypeError,
     "argument 'padding': 'bytes' object cannot be converted to 'str'"),
    (lambda: tamri.build_model_inputs_checked([tamri.TokenizedProtein("p", [300])], 0, 0, None), TypeError,
     "argument 'padding': 'NoneType' object cannot be converted to 'str'"),
    # The input hash ("bad") is judged after every argument has been converted.
    (lambda: tamri.prepare_workflow("bad", [], 4, 256, padding="bad"), OverflowError,
     "unsigned byte integer is greater than maximum"),
    (lambda: tamri.prepare_workflow("bad", [], -1, padding="bad"), OverflowError, "can't convert negative int to unsigned"),
    (lambda: tamri.prepare_workflow_from_fasta(">a\nM\n", 4, profile=None), TypeError,
     "argument 'profile': 'NoneType' object cannot be converted to 'str'"),
])
def test_argument_failures_use_the_interpreter_wording(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert type(raised.value) is error
    if message is not None:
        assert str(raised.value) == message


@pytest.mark.parametrize("name", UNCONSTRUCTED)
def test_classes_without_constructor_refuse_calls(name):
    with pytest.raises(TypeError, match=f"^No constructor defined for {name}$"):
        getattr(tamri, name)()


def test_only_the_entry_point_is_exported():
    nm = shutil.which("nm")
    if nm is None:
        pytest.skip("nm is not installed")
    output = subprocess.run(
        [nm, "-D", "--defined-only", tamri.__file__], check=True, capture_output=True, text=True
    ).stdout
    assert [line.split()[-1] for line in output.splitlines()] == ["PyInit_tamri"]
    assert tamri.__file__.endswith("tamri.abi3.so")


def installed_interpreters():
    candidates = {sys.executable}  # so that the test runs on any machine
    for directory in os.environ.get("PATH", "").split(os.pathsep) + ["/usr/bin", "/usr/local/bin"]:
        if "shims" not in directory:
            candidates.update(glob.glob(os.path.join(directory, "python3.1[1-9]")))
    return sorted({os.path.realpath(path) for path in candidates if os.access(path, os.X_OK)})


@pytest.mark.skipif(bool(os.environ.get("TAMRI_SANITIZED")), reason="other interpreters do not load the sanitizer")
@pytest.mark.parametrize("interpreter", installed_interpreters())
def test_the_module_imports_in_every_installed_python(interpreter):
    env = dict(os.environ, PYTHONPATH=os.path.dirname(tamri.__file__))
    result = subprocess.run(
        [interpreter, "-c", "import tamri; print(tamri.parse_fasta_records('>a\\nac')[0].sequence)"],
        env=env,
        capture_output=True,
        text=True,
    )
    assert (result.returncode, result.stdout) == (0, "AC\n"), result.stderr
