"""Manifest inspection, validation and runtime planning from Python."""

import json
import pathlib
import re

import pytest

import tamri

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "package" / "manifest.json"
FUNCTIONS = [tamri.inspect_package_manifest, tamri.validate_package_manifest, tamri.plan_runtime_bridge]


def test_results_are_compact_json_objects():
    text = EXAMPLE.read_text(encoding="utf-8")
    for result in (function(text) for function in FUNCTIONS):
        assert json.dumps(json.loads(result), separators=(",", ":")) == result and result.startswith("{")


def test_the_bundled_example_is_valid_and_ready():
    text = EXAMPLE.read_text(encoding="utf-8")
    assert tamri.validate_package_manifest(manifest_json=text) == '{"valid":true,"issues":[],"structured_issues":[]}'
    plan = json.loads(tamri.plan_runtime_bridge(text))
    assert (plan["ready"], plan["execution_provider"], plan["blocking_issues"]) == (True, "webgpu", [])
    assert "benchmark_evidence" not in plan and "regression_baseline" not in plan
    summary = json.loads(tamri.inspect_package_manifest(text))
    assert (summary["package_layout"]["observed"], summary["layout"]["pipeline_configs"]) == (
        None, ["pipelines/preprocess.toml"])


@pytest.mark.parametrize("function", FUNCTIONS)
@pytest.mark.parametrize("text, message", [
    ("{}", "invalid JSON: missing field `schema_version` at line 1 column 2"),
    ('{"extra":1}', "invalid JSON: unknown field `extra`, expected one of `schema_version`, `name`, `package_layout`, "
     "`metadata`, `model`, `tokenizer`, `vocab`, `preprocessing`, `postprocessing`, `runtime`, `expected_input`, "
     "`expected_output`, `fixtures` at line 1 column 8"),
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
