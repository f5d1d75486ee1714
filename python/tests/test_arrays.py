"""Training arrays from the tool: NumPy files equal to the report's rows, mapped without copying, digests that verify."""

import hashlib
import json
import os
import resource
import signal
import subprocess

import pytest

from test_cli import TOOL, run
from test_corpus_driver import tamri_corpus as driver

# Importing NumPy leaks allocations of its own at exit, which the sanitizer pass would report as
# leaks: there only the test that reads no arrays runs.
SANITIZED = bool(os.environ.get("TAMRI_SANITIZED"))
READS_ARRAYS = pytest.mark.skipif(SANITIZED, reason="NumPy is not imported under the sanitizers")
if not SANITIZED:
    import numpy

READY = "".join(f">s{i} é\n" + "ACGU"[i % 4] * (3 + 7 * i) + "\n" for i in range(9))
PREFIX_PARTS = {"fixed_length": ["input_ids", "attention_mask", "truncated", "ids"],
                "no_padding": ["input_ids", "offsets", "truncated", "ids"]}


def sha256(path):
    return "sha256:" + hashlib.sha256(path.read_bytes()).hexdigest()


def assert_arrays_are_the_rows(arrays, rows, padding):
    assert arrays["ids"] == [row["id"] for row in rows]
    assert arrays["truncated"].tolist() == [row["truncated"] for row in rows]
    if padding == "fixed_length":
        assert arrays["input_ids"].tolist() == [row["input_ids"] for row in rows]
        assert arrays["attention_mask"].tolist() == [row["attention_mask"] for row in rows]
    else:
        offsets = arrays["offsets"].tolist()
        assert [arrays["input_ids"][a:b].tolist() for a, b in zip(offsets, offsets[1:])] == [r["input_ids"] for r in rows]


@READS_ARRAYS
@pytest.mark.parametrize("padding", ["fixed_length", "no_padding"])
@pytest.mark.parametrize("profile", ["protein-20", "dna-iupac-special", "rna-iupac"])
def test_the_arrays_are_the_reports_rows_and_their_digests_verify(tmp_path, padding, profile):
    text = READY.replace("U", "T") if profile.startswith("dna") else READY.replace("U", "C" if "protein" in profile else "U")
    result = run("workflow", "-", "--max-length", "24", "--pad-token-id", "7", "--padding", padding, "--profile",
                 profile, "--arrays", tmp_path / "batch", stdin=text.encode())
    assert (result.stderr, result.returncode) == (b"", 0)
    report = json.loads(result.stdout)
    manifest = json.loads((tmp_path / "batch.arrays.json").read_text())
    names = [f"batch.{part}.{'json' if part == 'ids' else 'npy'}" for part in PREFIX_PARTS[padding]]
    assert (list(manifest), manifest["format"], [f["name"] for f in manifest["files"]]) == (
        ["format", "output_data_sha256", "files"], "tamri.model_input_arrays.v0", names)
    assert manifest["output_data_sha256"] == report["provenance"]["hashes"]["output_data_sha256"]
    arrays = {}
    for entry in manifest["files"]:
        path = tmp_path / entry["name"]
        assert entry["sha256"] == sha256(path)
        if entry["dtype"] == "json":
            arrays["ids"] = json.loads(path.read_text(encoding="utf-8"))
            continue
        array = numpy.load(path, mmap_mode="r")
        assert isinstance(array, numpy.memmap) and (array.dtype.str, list(array.shape)) == (entry["dtype"], entry["shape"])
        assert path.read_bytes()[:10] == b"\x93NUMPY\x01\x00" + (array.offset - 10).to_bytes(2, "little")
        assert array.offset % 64 == 0
        arrays[entry["name"].split(".")[1]] = array
    assert_arrays_are_the_rows(arrays, report["model_input"]["records"], padding)


def test_a_batch_that_is_not_ready_removes_an_earlier_set_and_a_killed_run_leaves_no_manifest(tmp_path):
    def workflow(text, limit=None):
        def preexec():
            if limit:
                resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
        return subprocess.run([TOOL, "workflow", "-", "--max-length", "24", "--profile", "rna-iupac", "--arrays",
                               tmp_path / "batch"], input=text.encode(), capture_output=True, preexec_fn=preexec)

    assert workflow(READY).returncode == 0 and (tmp_path / "batch.arrays.json").exists()
    killed = workflow(READY, limit=100)
    assert killed.returncode == -signal.SIGXFSZ
    assert not [p.name for p in tmp_path.iterdir() if not p.name.startswith(".")]
    assert workflow(READY).returncode == 0
    unready = workflow(READY + ">bad\nAXU\n")
    assert (unready.returncode, unready.stderr.decode()) == (
        1, f"tamri workflow: the batch is not model-ready: no arrays written to {tmp_path / 'batch'}.*\n")
    assert not [p.name for p in tmp_path.iterdir() if not p.name.startswith(".")]


@READS_ARRAYS
@pytest.mark.parametrize("unready", ["keep", "drop"])
def test_corpus_arrays_are_named_by_the_corpus_report_and_load_mapped(tmp_path, monkeypatch, unready):
    monkeypatch.setenv("TAMRI_CLI", TOOL)
    source = tmp_path / "in.fa"
    source.write_text(READY * 20 + ">bad\nAXU\n" + READY)
    corpus = driver.prepare(source, tmp_path / "out", max_length=24, padding="fixed_length", profile="rna-iupac",
                            shard_size=512, unready=unready, arrays=True)
    loaded = driver.load_arrays(tmp_path / "out")
    assert [a is None for a in loaded] == [not s["model_ready"] for s in corpus["shards"]]
    assert any(a is None for a in loaded) == (unready == "keep")
    for shard, arrays in zip(corpus["shards"], loaded):
        if arrays is not None:
            assert shard["arrays"] == {"file": f"shard-{shard['index']:05}.arrays.json",
                                       "sha256": sha256(tmp_path / "out" / shard["arrays"]["file"])}
            report = json.loads((tmp_path / "out" / f"shard-{shard['index']:05}.json").read_text())
            assert_arrays_are_the_rows(arrays, report["model_input"]["records"], "fixed_length")
