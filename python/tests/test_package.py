"""Manifest inspection, validation and runtime planning from Python."""

import json
import os
import pathlib
import shutil

import pytest

import tamri

EXAMPLE = pathlib.Path(__file__).resolve().parents[2] / "examples" / "package" / "manifest.json"
FUNCTIONS = [tamri.inspect_package_manifest, tamri.validate_package_manifest, tamri.plan_runtime_bridge]
CLEAN = '{"valid":true,"issues":[],"structured_issues":[]}'


@pytest.fixture
def package(tmp_path):
    root = tmp_path / "pkg"
    shutil.copytree(EXAMPLE.parent, root)
    return root


def test_the_bundled_package_is_valid_and_ready(package, monkeypatch):
    text = EXAMPLE.read_text(encoding="utf-8")
    assert tamri.validate_package_manifest(manifest_json=text) == CLEAN
    plan = json.loads(tamri.plan_runtime_bridge(text))
    assert (plan["ready"], plan["execution_provider"], plan["blocking_issues"]) == (True, "webgpu", [])
    assert "benchmark_evidence" not in plan and "regression_baseline" not in plan
    summary = json.loads(tamri.inspect_package_manifest(text))
    assert (summary["package_layout"]["observed"], summary["layout"]["pipeline_configs"]) == (
        None, ["pipelines/preprocess.toml"])
    assert tamri.validate_package_manifest_file(str(package / "manifest.json")) == CLEAN
    assert tamri.validate_package_manifest_artifacts(text, base_dir=str(package)) == CLEAN
    monkeypatch.chdir(package)
    assert tamri.validate_package_manifest_file(manifest_path="manifest.json") == CLEAN
    assert tamri.validate_package_manifest_artifacts(text, ".") == CLEAN


@pytest.mark.parametrize("function", FUNCTIONS)
def test_text_that_is_no_manifest_raises_json_invalid_and_no_text_a_type_error(tamri_error, function):
    # The decoder's texts are pinned by the core; one located text shows they reach Python whole.
    assert tamri_error(function, '{"schema_version":"tamri.package.v0",\n"name":null}') == (
        "json.invalid", "invalid JSON: invalid type: null, expected a string at line 2 column 11", None)
    with pytest.raises(TypeError, match="^argument 'manifest_json': 'PosixPath' object cannot be converted to 'str'$"):
        function(EXAMPLE)


def break_model_and_pipeline(root):
    (root / "models" / "protein-probe.onnx").write_bytes(b"tampered")
    config = root / "pipelines" / "preprocess.toml"
    config.write_text(config.read_text().replace("max_length = 16", "max_length = 0"))
    manifest = root / "manifest.json"
    data = json.loads(manifest.read_text())
    del data["preprocessing"][0]["config"]["checksum"]
    manifest.write_text(json.dumps(data))


def test_a_broken_package_reports_without_raising(package):
    break_model_and_pipeline(package)
    report = json.loads(tamri.validate_package_manifest_file(str(package / "manifest.json")))
    assert report["valid"] is False
    assert [(issue["code"], issue["field"]) for issue in report["structured_issues"]] == [
        ("checksum_mismatch", "model.checksum"), ("invalid_pipeline_config", "preprocessing[0].config")]
    assert report["issues"][1] == (
        "preprocessing[0].config: pipeline config 'pipelines/preprocess.toml' is invalid: pipeline.invalid_config: "
        "export.max_length must be greater than zero at export.max_length")


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
