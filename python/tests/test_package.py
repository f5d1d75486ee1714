"""Manifest inspection, validation and runtime planning from Python."""

import json
import os
import pathlib
import re
import shutil

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


CLEAN = '{"valid":true,"issues":[],"structured_issues":[]}'


@pytest.fixture
def package(tmp_path):
    """A copy of the bundled example package, to break on purpose."""
    root = tmp_path / "pkg"
    shutil.copytree(EXAMPLE.parent, root)
    return root


def issues_of(report_json):
    report = json.loads(report_json)
    assert report["valid"] == (report["issues"] == [])
    assert report["issues"] == [issue["message"] for issue in report["structured_issues"]]
    return [(issue["code"], issue["field"]) for issue in report["structured_issues"]]


def test_the_bundled_package_is_valid_file_by_file(package, monkeypatch):
    text = (package / "manifest.json").read_text(encoding="utf-8")
    assert tamri.validate_package_manifest_file(str(package / "manifest.json")) == CLEAN
    assert tamri.validate_package_manifest_artifacts(text, base_dir=str(package)) == CLEAN
    monkeypatch.chdir(package)
    assert tamri.validate_package_manifest_file(manifest_path="manifest.json") == CLEAN
    assert tamri.validate_package_manifest_artifacts(text, ".") == CLEAN


def break_model_checksum(root):
    (root / "models" / "protein-probe.onnx").write_bytes(b"tampered")


def model_is_a_fifo(root):
    (root / "models" / "protein-probe.onnx").unlink()
    os.mkfifo(root / "models" / "protein-probe.onnx")


def model_links_out(root):
    (root / "models" / "protein-probe.onnx").unlink()
    (root / "models" / "protein-probe.onnx").symlink_to("/etc/passwd")


def model_links_to_sibling(root):
    sibling = root.parent / (root.name + "-other")
    shutil.copytree(root / "models", sibling)
    shutil.rmtree(root / "models")
    (root / "models").symlink_to(sibling)


def model_is_a_directory(root):
    (root / "models" / "protein-probe.onnx").unlink()
    (root / "models" / "protein-probe.onnx").mkdir()


def pipeline_is_invalid(root):
    config = root / "pipelines" / "preprocess.toml"
    config.write_text(config.read_text().replace("max_length = 16", "max_length = 0"))
    manifest = root / "manifest.json"
    data = json.loads(manifest.read_text())
    del data["preprocessing"][0]["config"]["checksum"]
    manifest.write_text(json.dumps(data))


@pytest.mark.parametrize("damage, issues, message", [
    (break_model_checksum, [("checksum_mismatch", "model.checksum")], "model.checksum mismatch: expected 'sha256:465d"),
    (model_is_a_fifo, [("asset_read_failed", "model")], "asset path is not a file"),
    (model_is_a_directory, [("asset_read_failed", "model")], "asset path is not a file"),
    (model_links_out, [("invalid_asset_path", "model")],
     "model: asset path 'models/protein-probe.onnx' must stay inside the package root"),
    (model_links_to_sibling, [("invalid_asset_path", "model")], "must stay inside the package root"),
    (pipeline_is_invalid, [("invalid_pipeline_config", "preprocessing[0].config")],
     "preprocessing[0].config: pipeline config 'pipelines/preprocess.toml' is invalid: pipeline.invalid_config: "
     "export.max_length must be greater than zero at export.max_length"),
])
def test_a_broken_package_reports_without_raising(package, damage, issues, message):
    damage(package)
    report = tamri.validate_package_manifest_file(str(package / "manifest.json"))
    assert issues_of(report) == issues
    assert message in json.loads(report)["issues"][0]


def test_a_missing_root_fails_every_reference():
    text = EXAMPLE.read_text(encoding="utf-8")
    report = json.loads(tamri.validate_package_manifest_artifacts(text, "/nonexistent/pkg"))
    assert len(report["issues"]) == 9
    assert all(issue["code"] == "asset_read_failed" and "failed to resolve package root: " in issue["message"]
               for issue in report["structured_issues"])


def test_only_the_file_function_compares_the_manifest_path(package):
    manifest = package / "manifest.json"
    data = json.loads(manifest.read_text())
    data["package_layout"]["manifest"] = "meta/manifest.json"
    manifest.write_text(json.dumps(data))
    assert tamri.validate_package_manifest_artifacts(manifest.read_text(), str(package)) == CLEAN
    assert json.loads(tamri.validate_package_manifest_file(str(manifest)))["issues"] == [
        "package_layout.manifest must match validated manifest path 'manifest.json'"]


@pytest.mark.parametrize("make, reason", [
    (lambda path: None, "No such file or directory (os error 2)"),
    (lambda path: path.mkdir(), "Is a directory (os error 21)"),
    (lambda path: os.mkfifo(path), "not a regular file"),
    (lambda path: path.write_bytes(b"\xff{}"), "stream did not contain valid UTF-8"),
])
def test_an_unreadable_manifest_file_raises_os_error(tmp_path, make, reason):
    path = tmp_path / "manifest.json"
    make(path)
    with pytest.raises(OSError) as caught:
        tamri.validate_package_manifest_file(str(path))
    assert caught.type is OSError
    assert caught.value.args == (f"failed to read package manifest '{path}': {reason}",)


def test_package_paths_must_be_str():
    with pytest.raises(TypeError, match="^argument 'base_dir': 'PosixPath' object cannot be converted to 'str'$"):
        tamri.validate_package_manifest_artifacts("{}", EXAMPLE.parent)
    with pytest.raises(TypeError, match="^argument 'manifest_path': 'bytes' object cannot be converted to 'str'$"):
        tamri.validate_package_manifest_file(b"manifest.json")
