"""Manifest inspection, validation and runtime planning from Python."""

import copy
import json
import pathlib
import re

import pytest
from hypothesis import given
from hypothesis import strategies as st

import tamri

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "package" / "manifest.json"
FUNCTIONS = [tamri.inspect_package_manifest, tamri.validate_package_manifest, tamri.plan_runtime_bridge]
CLEAN_V0 = {
    "schema_version": "tamri.package.v0",
    "name": "demo",
    "model": {"format": "onnx", "path": "models/m.onnx"},
    "preprocessing": [],
    "postprocessing": [],
    "runtime": {"backend": "onnx-webgpu", "target": "browser-wasm-webgpu"},
    "fixtures": [{"name": "a", "input": "fixtures/a.fasta", "expected_output": "fixtures/a.json"}],
}


def compact(value):
    return json.dumps(value, separators=(",", ":"), ensure_ascii=False)


def test_a_clean_manifest_validates_to_the_empty_report():
    assert tamri.validate_package_manifest(compact(CLEAN_V0)) == '{"valid":true,"issues":[],"structured_issues":[]}'


def test_the_bundled_example_is_valid_and_ready():
    text = EXAMPLE.read_text(encoding="utf-8")
    assert json.loads(tamri.validate_package_manifest(manifest_json=text))["valid"] is True
    plan = json.loads(tamri.plan_runtime_bridge(text))
    assert (plan["ready"], plan["execution_provider"], plan["blocking_issues"]) == (True, "webgpu", [])
    summary = json.loads(tamri.inspect_package_manifest(text))
    assert summary["layout"]["pipeline_configs"] == ["pipelines/preprocess.toml"]


def test_v1_without_layout_and_metadata_reports_both_and_blocks_the_plan():
    manifest = dict(CLEAN_V0, schema_version="tamri.package.v1")
    messages = ["package_layout is required for tamri.package.v1", "metadata is required for tamri.package.v1"]
    assert tamri.validate_package_manifest(compact(manifest)) == compact({
        "valid": False,
        "issues": messages,
        "structured_issues": [
            {"code": "required_field", "field": "package_layout", "message": messages[0]},
            {"code": "required_field", "field": "metadata", "message": messages[1]},
        ],
    })
    plan = json.loads(tamri.plan_runtime_bridge(compact(manifest)))
    assert (plan["ready"], plan["contract_ready"], plan["blocking_issues"]) == (False, False, messages)
    assert "benchmark_evidence" not in plan and "regression_baseline" not in plan


@pytest.mark.parametrize("function", FUNCTIONS)
@pytest.mark.parametrize("text, message", [
    ("{}", "invalid JSON: missing field `schema_version` at line 1 column 2"),
    (compact(dict(CLEAN_V0, extra=1)), "invalid JSON: unknown field `extra`, expected one of "
     "`schema_version`, `name`, `package_layout`, `metadata`, `model`, `tokenizer`, `vocab`, `preprocessing`, "
     "`postprocessing`, `runtime`, `expected_input`, `expected_output`, `fixtures` at line 1 column 302"),
    ('{"schema_version":"tamri.package.v0",\n"name":null}', "invalid JSON: invalid type: null, expected a string "
     "at line 2 column 11"),
    ("", "invalid JSON: EOF while parsing a value at line 1 column 0"),
])
def test_text_that_is_no_manifest_raises_json_invalid(function, text, message):
    with pytest.raises(tamri.TamriError) as caught:
        function(text)
    error = caught.value
    assert (error.code, error.message, error.args, error.location) == ("json.invalid", message, (message,), None)


@pytest.mark.parametrize("function", FUNCTIONS)
@pytest.mark.parametrize("argument, message", [
    (b"{}", "argument 'manifest_json': 'bytes' object cannot be converted to 'str'"),
    (EXAMPLE, "argument 'manifest_json': 'PosixPath' object cannot be converted to 'str'"),
])
def test_manifest_text_must_be_a_str(function, argument, message):
    with pytest.raises(TypeError, match=f"^{re.escape(message)}$"):
        function(argument)


def json_values():
    scalars = st.none() | st.booleans() | st.integers() | st.floats() | st.text(max_size=8)
    return st.recursive(scalars, lambda inner: st.lists(inner, max_size=3) | st.dictionaries(
        st.text(max_size=6), inner, max_size=3), max_leaves=6)


def paths(value, prefix=()):
    yield prefix
    children = value.items() if isinstance(value, dict) else enumerate(value) if isinstance(value, list) else ()
    for key, child in children:
        yield from paths(child, prefix + (key,))


EXAMPLE_MANIFEST = json.loads(EXAMPLE.read_text(encoding="utf-8"))


@given(st.sampled_from(list(paths(EXAMPLE_MANIFEST))[1:]), json_values())
def test_any_value_anywhere_gives_a_report_or_a_located_json_error(path, value):
    manifest = copy.deepcopy(EXAMPLE_MANIFEST)
    owner = manifest
    for key in path[:-1]:
        owner = owner[key]
    owner[path[-1]] = value
    for function in FUNCTIONS:
        try:
            result = function(json.dumps(manifest))
        except tamri.TamriError as error:
            assert error.code == "json.invalid"
            assert re.fullmatch(r"invalid JSON: .+ at line \d+ column \d+", error.message, re.DOTALL)
        else:
            assert compact(json.loads(result)) == result
