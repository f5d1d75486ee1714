#!/usr/bin/env python3
"""Soak test of the tamri module: every function and every class constructor called many times
with valid arguments and with arguments that take each of its failure paths.

Fails (exit status 1) when the resident set grows by 1 MB or more after warm-up, when a case
leaves Python objects behind (one for every two calls or more; counted only under Python's own
allocator), when a reference count of an argument object does not come back to its starting
value, or when a call does not end the way its case says. Run from a build:

    PYTHONPATH=build/release/python python3 bench/soak.py            # 10,000 calls per case
    PYTHONPATH=build/release/python python3 bench/soak.py --short    # a few seconds, for CI
"""

import argparse
import gc
import inspect
import json
import os
import pathlib
import shutil
import sys
import tempfile
import time

import tamri

EXAMPLE_PACKAGE = pathlib.Path(__file__).resolve().parents[1] / "examples" / "package"
RSS_LIMIT = 1 << 20
PAGE_SIZE = os.sysconf("SC_PAGE_SIZE")
HASH = "fnv1a64:0123456789abcdef"
FASTA = ">a desc\nACDEFGHIKLMNPQRSTVWY\n>b\nMKVLAXB\n"


class SoakFailure(Exception):
    pass


def resident_bytes():
    with open("/proc/self/statm", encoding="ascii") as statm:
        return int(statm.read().split()[1]) * PAGE_SIZE


def fresh(value):
    """A copy that no other code holds, so that its reference count tells only about our calls."""
    if isinstance(value, str):
        return (value + ".")[:-1]
    if isinstance(value, list):
        return [fresh(item) for item in value]
    if isinstance(value, tuple):
        return tuple(fresh(item) for item in value)
    if isinstance(value, int) and not isinstance(value, bool) and not -5 <= value <= 256:
        return int(str(value))
    return value


def is_shared(value):
    """Objects the interpreter shares process-wide: their counts move with any code that runs."""
    if value is None or isinstance(value, bool):
        return True
    if isinstance(value, int):
        return -5 <= value <= 256
    return isinstance(value, str) and len(value) <= 1


def tracked_objects(args, kwargs):
    pending = list(args) + list(kwargs.values())
    found = []
    while pending:
        value = pending.pop()
        if isinstance(value, (list, tuple)):
            pending.extend(value)
        if not is_shared(value):
            found.append(value)
    return found


ATTRIBUTES = {}


def read_attributes(value):
    """Reads every attribute of a result, as a caller would, so that the getters are soaked too."""
    if isinstance(value, list):
        for item in value:
            read_attributes(item)
        return
    kind = type(value)
    if kind.__module__ != "tamri":
        return
    if kind not in ATTRIBUTES:
        ATTRIBUTES[kind] = [name for name in dir(kind) if not name.startswith("__")]
    for name in ATTRIBUTES[kind]:
        read_attributes(getattr(value, name))


class Case:
    def __init__(self, name, function, args=(), kwargs=None, raises=None, code=None, issues=None):
        """`issues`, for a function returning a package validation report: the codes it must hold."""
        self.name = name
        self.function = function
        self.args = fresh(tuple(args))
        self.kwargs = {key: fresh(value) for key, value in (kwargs or {}).items()}
        self.raises = raises
        self.code = code
        self.issues = issues
        self.rss_growth = 0
        self.block_growth = 0
        self.microseconds_per_call = 0.0

    def call(self):
        return self.function(*self.args, **self.kwargs)

    def check_outcome(self):
        """The first call must end exactly as the case says; later calls are only counted."""
        try:
            result = self.call()
        except Exception as error:  # noqa: BLE001 - the case names the exception it expects
            outcome = (type(error), getattr(error, "code", None))
        else:
            read_attributes(result)
            outcome = (None, None)
        if outcome != (self.raises, self.code):
            raise SoakFailure(f"{self.name}: expected {self.describe(self.raises, self.code)}, "
                              f"got {self.describe(*outcome)}")
        if self.issues is not None:
            codes = [issue["code"] for issue in json.loads(result)["structured_issues"]]
            if codes != self.issues:
                raise SoakFailure(f"{self.name}: expected issues {self.issues}, got {codes}")

    @staticmethod
    def describe(raises, code):
        if raises is None:
            return "a result"
        return raises.__name__ + (f" {code}" if code else "")

    def run(self, calls):
        call = self.call
        if self.raises is None:
            for _ in range(calls):
                read_attributes(call())
            return
        raises = self.raises
        for _ in range(calls):
            try:
                call()
            except raises:
                pass
            else:
                raise SoakFailure(f"{self.name}: returned instead of raising {raises.__name__}")


# ---- the cases ----

FUNCTIONS = {
    # name: (valid arguments by parameter, in signature order)
    "parse_fasta_records": {"fasta_text": FASTA},
    "validate_fasta_input": {"fasta_text": FASTA},
    "validate_fasta_input_with_kind": {"fasta_text": FASTA, "kind": "auto"},
    "tokenize_fasta_records": {"fasta_text": FASTA, "profile": "protein-20-special"},
    "tokenize_protein": {"sequence": "mk vla", "id": "seq-1", "profile": "protein-20"},
    "build_model_inputs_checked": None,  # needs TokenizedProtein objects, filled in below
    "prepare_workflow": None,
    "prepare_workflow_from_fasta": {"fasta_text": FASTA.replace("XB", ""), "max_length": 16, "pad_token_id": 1,
                                    "padding": "fixed_length", "profile": "protein-20"},
    "inspect_package_manifest": None,  # needs the package, filled in below
    "validate_package_manifest": None,
    "validate_package_manifest_artifacts": None,
    "validate_package_manifest_file": None,
    "plan_runtime_bridge": None,
}

CONSTRUCTORS = {
    "ResidueIssue": {"residue": "é", "position": 3},
    "ValidatedSequence": None,
    "ProteinSequence": {"id": "p1", "sequence": "mkv"},
    "TokenizedProtein": None,
    "ModelInputRecord": {"id": "r1", "input_ids": [1, 2, 300], "attention_mask": [1, 1, 0], "truncated": False},
}

NO_CONSTRUCTOR = ["SequenceValidationReport", "ModelInput", "SequenceWorkflowOutput"]


class FailingSequence:
    """A sequence whose length or items cannot be read: the binding must pass the error on."""

    def __init__(self, fail_on):
        self.fail_on = fail_on

    def __len__(self):
        if self.fail_on == "len":
            raise RuntimeError("no length")
        return 1

    def __getitem__(self, index):
        if index >= 1:
            raise IndexError(index)
        raise RuntimeError("no item")


class FailingIndex:
    def __index__(self):
        raise RuntimeError("no index")


def residue_issues():
    return [tamri.ResidueIssue("X", 1), tamri.ResidueIssue("B", 2)]


def build_package(directory):
    """A valid copy of the example package (returned), a copy broken in every way a reference check
    reports (its own manifest breaks the rest), and manifest files that cannot be read."""
    valid = directory / "pkg"
    shutil.copytree(EXAMPLE_PACKAGE, valid)
    broken = directory / "broken"
    shutil.copytree(EXAMPLE_PACKAGE, broken)
    (broken / "models" / "protein-probe.onnx").write_bytes(b"tampered")
    (broken / "fixtures" / "hemoglobin.fasta").unlink()
    (broken / "tokenizers" / "protein-20.json").write_text("{}", encoding="utf-8")
    os.replace(broken / "vocabs" / "protein-20.json", directory / "vocab.json")
    os.symlink(directory / "vocab.json", broken / "vocabs" / "protein-20.json")
    (broken / "docs" / "LICENSE.txt").unlink()
    os.mkfifo(broken / "docs" / "LICENSE.txt")
    manifest = json.loads((broken / "manifest.json").read_text(encoding="utf-8"))
    del manifest["tokenizer"]["checksum"]
    manifest["metadata"]["model_card"]["checksum"] = manifest["metadata"]["model_card"]["checksum"].upper()
    manifest["package_layout"]["models"] = "weights"
    manifest["fixtures"].append(manifest["fixtures"][0])
    (broken / "manifest.json").write_text(json.dumps(manifest), encoding="utf-8")
    (directory / "not-utf8.json").write_bytes(b"\xff{}")
    (directory / "not-json.json").write_text("{", encoding="utf-8")
    (directory / "a-directory.json").mkdir()
    os.mkfifo(directory / "fifo.json")
    return valid


def fill_in_arguments(valid_package):
    manifest = (valid_package / "manifest.json").read_text(encoding="utf-8")
    tokenized = tamri.tokenize_protein("MKV")
    FUNCTIONS.update({
        "build_model_inputs_checked": {"tokenized": [tokenized, tamri.TokenizedProtein("t", [1, 2, 3])],
                                       "max_length": 2, "pad_token_id": 0, "padding": "fixed_length"},
        "prepare_workflow": {"input_hash": HASH, "records": [tamri.ProteinSequence("a", "MKV")], "max_length": 8,
                             "pad_token_id": 0, "padding": "no_padding", "profile": "protein-20"},
        "inspect_package_manifest": {"manifest_json": manifest},
        "validate_package_manifest": {"manifest_json": manifest},
        "validate_package_manifest_artifacts": {"manifest_json": manifest, "base_dir": str(valid_package)},
        "validate_package_manifest_file": {"manifest_path": str(valid_package / "manifest.json")},
        "plan_runtime_bridge": {"manifest_json": manifest},
    })
    CONSTRUCTORS.update({
        "ValidatedSequence": {"id": "v", "sequence": "MKV", "alphabet": "dna-iupac", "valid": False,
                              "warnings": residue_issues(), "errors": tuple(residue_issues())},
        "TokenizedProtein": {"id": "t", "tokens": [1, 2, 1 << 70 >> 10], "length": 9, "alphabet": "protein-20",
                             "valid": True, "warnings": residue_issues(), "errors": None},
    })
    return manifest


# A value of the wrong type for each kind of parameter, by what the parameter takes.
WRONG_TYPE = {str: b"bytes", int: 1.5, bool: 1, list: 42, type(None): 2.5}


def binding_cases(name, function, valid):
    """Each function's argument binding and conversion failures, derived from its valid arguments."""
    names = list(valid)
    values = list(valid.values())
    parameters = inspect.signature(function).parameters
    if list(parameters) != names:
        raise SoakFailure(f"{name}: the soak knows parameters {names}, the module {list(parameters)}")
    required = [valid[key] for key, parameter in parameters.items() if parameter.default is parameter.empty]
    yield Case(f"{name} valid, positional", function, values)
    if len(required) < len(values):
        yield Case(f"{name} valid, defaults", function, required)
    yield Case(f"{name} valid, by keyword", function, kwargs=valid)
    yield Case(f"{name} missing argument", function, raises=TypeError)
    yield Case(f"{name} surplus argument", function, values + [None], raises=TypeError)
    yield Case(f"{name} unknown keyword", function, values, {"surplus": 1}, raises=TypeError)
    yield Case(f"{name} duplicate argument", function, values, {names[0]: values[0]}, raises=TypeError)
    for index, parameter in enumerate(names):
        wrong = WRONG_TYPE[type(values[index]) if not isinstance(values[index], tuple) else list]
        yield Case(f"{name} {parameter} of the wrong type", function, kwargs={**valid, parameter: wrong},
                   raises=TypeError)
        if isinstance(values[index], str) and parameter != "residue":  # a residue is one code point, any
            yield Case(f"{name} {parameter} with a lone surrogate", function,
                       kwargs={**valid, parameter: "a\udc80"}, raises=UnicodeEncodeError)
        if isinstance(values[index], int) and not isinstance(values[index], bool):
            yield Case(f"{name} {parameter} negative", function, kwargs={**valid, parameter: -1},
                       raises=OverflowError)
            yield Case(f"{name} {parameter} above 64 bits", function, kwargs={**valid, parameter: 1 << 64},
                       raises=OverflowError)
            yield Case(f"{name} {parameter} whose __index__ fails", function,
                       kwargs={**valid, parameter: FailingIndex()}, raises=RuntimeError)
        if isinstance(values[index], (list, tuple)):
            yield Case(f"{name} {parameter} given as a str", function, kwargs={**valid, parameter: "ab"},
                       raises=TypeError)
            yield Case(f"{name} {parameter} holding a wrong item", function,
                       kwargs={**valid, parameter: [object()]}, raises=TypeError)
            for fail_on in ("len", "item"):
                yield Case(f"{name} {parameter} whose {fail_on} fails", function,
                           kwargs={**valid, parameter: FailingSequence(fail_on)}, raises=RuntimeError)


def module_cases(directory, manifest):
    """Failures that come from the core or the binding's own checks, function by function."""
    t = tamri
    err = t.TamriError
    not_ready = t.TokenizedProtein("bad", [1], errors=residue_issues())
    fasta_failures = [(">a\n", "fasta.missing_sequence"), ("", "fasta.empty_input"), ("AC\n", "fasta.missing_header"),
                      (">\nAC\n", "fasta.missing_identifier")]
    for text, code in fasta_failures:
        for name in ("parse_fasta_records", "validate_fasta_input", "tokenize_fasta_records"):
            yield Case(f"{name} {code}", getattr(t, name), [text], raises=err, code=code)
        yield Case(f"validate_fasta_input_with_kind {code}", t.validate_fasta_input_with_kind, [text, "dna"],
                   raises=err, code=code)
        yield Case(f"prepare_workflow_from_fasta {code}", t.prepare_workflow_from_fasta, [text, 8], raises=err,
                   code=code)
    yield Case("validate_fasta_input_with_kind bad kind", t.validate_fasta_input_with_kind, ["", "Protein"],
               raises=err, code="sequence.invalid_kind")
    yield Case("tokenize_fasta_records bad profile", t.tokenize_fasta_records, ["", "Protein-20"], raises=err,
               code="tokenizer.invalid_profile")
    yield Case("tokenize_protein bad profile", t.tokenize_protein, ["MKV", "x", "dna"], raises=err,
               code="tokenizer.invalid_profile")
    yield Case("tokenize_protein with unknown residues", t.tokenize_protein, ["MKV?*é"])
    build = t.build_model_inputs_checked
    yield Case("build_model_inputs_checked bad padding", build, [[], 4, 0, "fixed"], raises=err,
               code="model_input.invalid_policy")
    yield Case("build_model_inputs_checked token above 255", build, [[t.TokenizedProtein("w", [300])], 0],
               raises=err, code="model_input.invalid_sequence")
    yield Case("build_model_inputs_checked max_length 0", build, [[], 0], raises=err,
               code="model_input.invalid_policy")
    yield Case("build_model_inputs_checked empty record", build, [[t.TokenizedProtein("e", [])], 4], raises=err,
               code="model_input.invalid_sequence")
    yield Case("build_model_inputs_checked record not model-ready", build, [[not_ready], 4], raises=err,
               code="model_input.invalid_sequence")
    yield Case("build_model_inputs_checked pad_token_id 256", build, [[], 4, 256], raises=OverflowError)
    records = [t.ProteinSequence("a", "MKV"), t.ProteinSequence("b", "MK*")]
    yield Case("prepare_workflow not model-ready", t.prepare_workflow, [HASH, records, 8])
    for name, arguments, code in [
        ("bad padding", [HASH, [], 8, 0, "FIXED_LENGTH"], "model_input.invalid_policy"),
        ("bad profile", [HASH, [], 8, 0, "no_padding", "x"], "tokenizer.invalid_profile"),
        ("bad input hash", ["fnv1a64:XYZ", [], 8], "workflow.invalid_input_hash"),
        ("max_length 0", [HASH, [], 0], "model_input.invalid_policy"),
    ]:
        yield Case(f"prepare_workflow {name}", t.prepare_workflow, arguments, raises=err, code=code)
    yield Case("prepare_workflow pad_token_id 256", t.prepare_workflow, [HASH, [], 8, 256], raises=OverflowError)
    for name, arguments, code in [
        ("bad padding", [FASTA, 8, 0, "fixed"], "model_input.invalid_policy"),
        ("bad profile", [FASTA, 8, 0, "no_padding", "x"], "tokenizer.invalid_profile"),
        ("max_length 0", [FASTA, 0], "model_input.invalid_policy"),
    ]:
        yield Case(f"prepare_workflow_from_fasta {name}", t.prepare_workflow_from_fasta, arguments, raises=err,
                   code=code)
    yield Case("prepare_workflow_from_fasta not model-ready", t.prepare_workflow_from_fasta, [FASTA, 8])
    for name in ("inspect_package_manifest", "validate_package_manifest", "plan_runtime_bridge"):
        for text in ("{}", '{"extra":1}', "", "[1,2"):
            yield Case(f"{name} json.invalid {text!r}", getattr(t, name), [text], raises=err, code="json.invalid")
    incomplete = json.dumps({**json.loads(manifest), "name": " ", "fixtures": [],
                             "runtime": {"backend": "external-process", "target": "local-cpu"}})
    yield Case("validate_package_manifest with issues", t.validate_package_manifest, [incomplete],
               issues=["required_field", "unsupported_runtime_backend", "missing_fixture"])
    yield Case("plan_runtime_bridge not ready", t.plan_runtime_bridge, [incomplete])
    artifacts = t.validate_package_manifest_artifacts
    yield Case("validate_package_manifest_artifacts json.invalid", artifacts, ["{", str(directory)], raises=err,
               code="json.invalid")
    yield Case("validate_package_manifest_artifacts broken package", artifacts, [manifest, str(directory / "broken")],
               issues=["checksum_mismatch", "checksum_mismatch", "invalid_asset_path", "invalid_pipeline_config",
                       "asset_read_failed", "asset_read_failed"])
    yield Case("validate_package_manifest_artifacts missing root", artifacts, [manifest, str(directory / "none")],
               issues=["asset_read_failed"] * 9)
    manifest_file = t.validate_package_manifest_file
    yield Case("validate_package_manifest_file broken package", manifest_file,
               [str(directory / "broken" / "manifest.json")],
               issues=["duplicate_fixture_name", "checksum_mismatch", "invalid_tokenizer_config", "invalid_asset_path",
                       "invalid_pipeline_config", "asset_read_failed", "invalid_checksum_format", "asset_read_failed",
                       "asset_read_failed", "layout_mismatch"])
    for file_name in ("none.json", "a-directory.json", "fifo.json", "not-utf8.json"):
        yield Case(f"validate_package_manifest_file {file_name}", manifest_file, [str(directory / file_name)],
                   raises=OSError)
    yield Case("validate_package_manifest_file json.invalid", manifest_file, [str(directory / "not-json.json")],
               raises=err, code="json.invalid")


def constructor_cases():
    t = tamri
    yield Case("ResidueIssue two residues", t.ResidueIssue, ["AB", 1], raises=ValueError)
    yield Case("ResidueIssue empty residue", t.ResidueIssue, ["", 1], raises=ValueError)
    for name in NO_CONSTRUCTOR:
        yield Case(f"{name} has no constructor", getattr(t, name), raises=TypeError)


def all_cases(directory):
    manifest = fill_in_arguments(build_package(directory))
    for name, valid in {**FUNCTIONS, **CONSTRUCTORS}.items():
        yield from binding_cases(name, getattr(tamri, name), valid)
    yield from module_cases(directory, manifest)
    yield from constructor_cases()


# ---- the soak ----

def reference_counts(case):
    return [sys.getrefcount(value) for value in tracked_objects(case.args, case.kwargs)]


def reference_count_changes(case, before):
    """Counted in a function of their own, so that no loop variable of the caller holds a value."""
    after = reference_counts(case)
    return [f"{case.name}: reference count of {type(value).__name__} {value!r:.60} went from {count} to {now}"
            for value, count, now in zip(tracked_objects(case.args, case.kwargs), before, after) if now != count]


def soak(cases, calls, warm_up, check_rss):
    """Warms every case up, then runs each for `calls` calls; returns the RSS after warm-up and at
    the end. Reference counts are taken before the first call and compared after the last."""
    counts = [reference_counts(case) for case in cases]
    failures = []
    for case in cases:
        try:
            case.check_outcome()
        except SoakFailure as failure:
            failures.append(str(failure))
    if failures:
        return 0, 0, failures
    for case in cases:
        case.run(warm_up)
    gc.collect()
    rss_start = resident_bytes()
    measured = calls - warm_up - 1
    for case in cases:
        before = resident_bytes()
        blocks_before = sys.getallocatedblocks()
        started = time.perf_counter()
        case.run(measured)
        case.microseconds_per_call = (time.perf_counter() - started) * 1e6 / measured
        case.rss_growth = resident_bytes() - before
        gc.collect()
        case.block_growth = sys.getallocatedblocks() - blocks_before
    rss_end = resident_bytes()
    for case, before in zip(cases, counts):
        failures.extend(reference_count_changes(case, before))
        if check_rss and case.rss_growth >= RSS_LIMIT:
            failures.append(f"{case.name}: resident set grew by {case.rss_growth} bytes over {calls} calls")
        # A result or error object lost by the binding stays allocated: one per call or more.
        if 2 * case.block_growth >= measured:
            failures.append(f"{case.name}: {case.block_growth} Python objects more after {measured} calls")
    if check_rss and rss_end - rss_start >= RSS_LIMIT:
        failures.append(f"resident set grew by {rss_end - rss_start} bytes after warm-up (limit {RSS_LIMIT})")
    return rss_start, rss_end, failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--short", action="store_true", help="200 calls per case instead of 10,000 (for CI)")
    parser.add_argument("--calls", type=int, help="calls per case (default 10,000, or 200 with --short)")
    parser.add_argument("--skip-rss", action="store_true",
                        help="check reference counts only (for sanitizer builds, whose allocator keeps freed memory)")
    parser.add_argument("--verbose", action="store_true", help="print every case with its RSS growth")
    options = parser.parse_args()
    calls = options.calls or (200 if options.short else 10_000)
    warm_up = max(calls // 10, 20)
    started = time.perf_counter()
    with tempfile.TemporaryDirectory(prefix="tamri-soak-") as directory:
        cases = list(all_cases(pathlib.Path(directory)))
        rss_start, rss_end, failures = soak(cases, calls, warm_up, not options.skip_rss)
    elapsed = time.perf_counter() - started
    if options.verbose:
        for case in cases:
            print(f"{case.rss_growth:>9} B {case.block_growth:>5} objects {case.microseconds_per_call:>7.1f} us/call"
                  f"  {case.name}")
    functions = len(FUNCTIONS) + len(CONSTRUCTORS) + len(NO_CONSTRUCTOR)
    print(f"soak: {len(cases)} cases over {functions} functions and classes, {calls} calls each "
          f"({len(cases) * calls:,} calls) in {elapsed:.1f} s; RSS after warm-up {rss_start / 2**20:.1f} MiB, "
          f"at the end {rss_end / 2**20:.1f} MiB ({rss_end - rss_start:+,} bytes)"
          f"{'; RSS not checked' if options.skip_rss else ''}", flush=True)
    if failures:
        for failure in failures:
            print(f"soak: FAILED: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
