"""The module frame: what importing creates, the exception type and the class conventions."""

import glob
import inspect
import os
import shutil
import subprocess
import sys
import weakref

import pytest

import tamri

MODULE_ATTRIBUTES = [
    "ResidueIssue",
    "ValidatedSequence",
    "ProteinSequence",
    "SequenceValidationReport",
    "TokenizedProtein",
    "ModelInput",
    "ModelInputRecord",
    "SequenceWorkflowOutput",
    "TamriError",
    "parse_fasta_records",
    "validate_fasta_input",
    "validate_fasta_input_with_kind",
    "tokenize_fasta_records",
    "tokenize_protein",
    "build_model_inputs_checked",
    "prepare_workflow",
    "prepare_workflow_from_fasta",
    "inspect_package_manifest",
    "validate_package_manifest",
    "validate_package_manifest_artifacts",
    "validate_package_manifest_file",
    "plan_runtime_bridge",
]

SIGNATURES = {
    "parse_fasta_records": "(fasta_text)",
    "validate_fasta_input": "(fasta_text)",
    "validate_fasta_input_with_kind": "(fasta_text, kind)",
    "tokenize_fasta_records": "(fasta_text, profile='protein-20')",
    "tokenize_protein": "(sequence, id='user', profile='protein-20')",
    "build_model_inputs_checked": "(tokenized, max_length, pad_token_id=0, padding='no_padding')",
    "inspect_package_manifest": "(manifest_json)",
    "validate_package_manifest": "(manifest_json)",
    "plan_runtime_bridge": "(manifest_json)",
    "ProteinSequence": "(id, sequence)",
    "TokenizedProtein": "(id, tokens, length=None, alphabet='protein-20', valid=True, warnings=None, errors=None)",
    "ModelInputRecord": "(id, input_ids, attention_mask, truncated)",
}


def test_attributes_are_added_in_their_fixed_order():
    public = [name for name in vars(tamri) if not name.startswith("__")]
    assert public == [name for name in MODULE_ATTRIBUTES if hasattr(tamri, name)]
    assert tamri.__doc__ == ""


@pytest.mark.parametrize("name", [name for name in SIGNATURES if hasattr(tamri, name)])
def test_text_signatures_are_the_only_documentation(name):
    obj = getattr(tamri, name)
    assert str(inspect.signature(obj)) == SIGNATURES[name]
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


def test_tamri_error_is_a_plain_value_error_subclass():
    error_type = tamri.TamriError
    assert issubclass(error_type, ValueError)
    assert f"{error_type.__module__}.{error_type.__qualname__}" == "tamri.TamriError"
    assert error_type.__doc__ is None


def test_errors_carry_code_message_and_location_in_that_order():
    with pytest.raises(tamri.TamriError) as caught:
        tamri.parse_fasta_records(">a\nAC\n>  \nGG")
    error = caught.value
    assert list(vars(error)) == ["code", "message", "location"]
    assert error.args == ("FASTA record at index 1 has an empty identifier",)
    assert str(error) == error.message
    assert error.code == "fasta.missing_identifier"
    assert list(error.location.items()) == [("line", 3), ("record_index", 1)]


def test_module_classes_follow_the_class_conventions():
    record = tamri.ProteinSequence("identifier", "sequence text")
    with pytest.raises(AttributeError):
        record.id = "other"
    with pytest.raises(AttributeError):
        record.extra = 1
    assert not hasattr(record, "__dict__")
    with pytest.raises(TypeError):
        weakref.ref(record)
    with pytest.raises(TypeError):
        type("Sub", (tamri.ProteinSequence,), {})
    assert record.id is not record.id
    assert record == record and record != tamri.ProteinSequence("identifier", "sequence text")


@pytest.mark.parametrize("name", ["SequenceValidationReport", "ModelInput", "SequenceWorkflowOutput"])
def test_classes_without_constructor_refuse_calls(name):
    if not hasattr(tamri, name):
        pytest.skip(f"{name} is not built yet")
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
    candidates = set()
    for directory in os.environ.get("PATH", "").split(os.pathsep) + ["/usr/bin", "/usr/local/bin"]:
        if "shims" not in directory:
            candidates.update(glob.glob(os.path.join(directory, "python3.1[1-9]")))
    candidates.update(glob.glob("/root/.pyenv/versions/3.1[1-9]*/bin/python3.1[1-9]"))
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
