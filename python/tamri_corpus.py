"""Prepare a whole corpus with the tamri tool: cut it into shards, prepare every shard, merge the summaries.

    import tamri_corpus
    corpus = tamri_corpus.prepare("uniref50.fa.gz", "prep", max_length=1024)

On one machine, without an executor, the shards are prepared one after the other in this process;
`tamri corpus --jobs N` does the same, N shards at a time. To spread them, pass any
concurrent.futures.Executor:

    with concurrent.futures.ProcessPoolExecutor(8) as pool:
        corpus = tamri_corpus.prepare(path, "prep", max_length=1024, executor=pool)

    client = distributed.Client("scheduler:8786")   # Dask
    corpus = tamri_corpus.prepare(path, "/shared/prep", max_length=1024, executor=client.get_executor())

Workers receive only the tool's path, the directory and a shard's index and read the shard themselves,
so out_dir must be storage every worker shares (and every worker needs the tool at the same path).
out_dir/corpus.json comes out byte for byte as `tamri corpus` writes it; prepare returns it parsed.
With arrays=True every model-ready shard also gets its model input as NumPy files, which
load_arrays(out_dir) maps into memory once each shard's arrays.json matches the corpus report.
"""

from __future__ import annotations

import concurrent.futures
import hashlib
import json
import os
import shutil
import subprocess
import sys
from typing import Any

__all__ = ["CorpusError", "load_arrays", "prepare"]

StrPath = str | os.PathLike[str]


class CorpusError(Exception):
    """A step of the tool failed: the code and message of its "tamri: CODE: MESSAGE" line."""

    def __init__(self, code: str, message: str) -> None:
        # Both in args, so that the error survives pickling back from a worker process.
        super().__init__(code, message)
        self.code = code
        self.message = message

    def __str__(self) -> str:
        return f"{self.code}: {self.message}"


def _find_tool() -> str:
    tool = os.environ.get("TAMRI_CLI") or shutil.which("tamri")
    if tool:
        return tool
    # A wheel installs the tool into the environment's bin/, which need not be on PATH.
    beside = os.path.join(sys.prefix, "bin", "tamri")
    if os.path.isfile(beside):
        return beside
    raise CorpusError("cli.not_found", "the tamri tool is neither named by TAMRI_CLI, on PATH, nor in "
                      f"{os.path.dirname(beside)}")


def _call(tool: str, args: list[str]) -> tuple[str, str] | None:
    """Runs the tool; None when it succeeded (exit 0 or 1, not model-ready being no failure), else (code, message)."""
    try:
        done = subprocess.run([tool, *args], stdin=subprocess.DEVNULL, capture_output=True, check=False)
    except OSError as error:
        return "cli.not_found", f"cannot run '{tool}': {error.strerror}"
    if done.returncode in (0, 1):
        return None
    lines = done.stderr.decode("utf-8", "replace").strip().splitlines()
    last = lines[-1] if lines else ""
    if last.startswith("tamri: ") and last.count(": ") >= 2:
        code, message = last[len("tamri: "):].split(": ", 1)
        return code, message
    return "cli.failed", f"tamri {args[0]} exited with status {done.returncode}: {last}"


def _run_shard(tool: str, out_dir: str, index: int, args: tuple[str, ...]) -> tuple[str, str] | None:
    """One shard, on whichever worker the executor picks: only small values travel, never shard texts."""
    return _call(tool, ["run-shard", out_dir, str(index), *args])


def _check(failure: tuple[str, str] | None) -> None:
    if failure is not None:
        raise CorpusError(*failure)


def _require_int(name: str, value: object) -> None:
    if not isinstance(value, int) or isinstance(value, bool):
        raise TypeError(f"{name} must be an int, got {type(value).__name__}")


def prepare(input: StrPath, out_dir: StrPath, *, max_length: int, pad_token_id: int = 0,
            padding: str = "no_padding", profile: str = "protein-20", shard_size: int = 64 << 20,
            unready: str = "keep", arrays: bool = False,
            executor: concurrent.futures.Executor | None = None) -> dict[str, Any]:
    """Shards INPUT (a FASTA path, plain or gzip) into out_dir, prepares every shard, merges them into
    out_dir/corpus.json and returns it parsed. unready="drop" leaves records that are not model-ready out.
    Raises CorpusError when a step fails, with the tool's code and message."""
    if unready not in ("keep", "drop"):
        raise ValueError(f"unready must be 'keep' or 'drop', got '{unready}'")
    for name, value in (("max_length", max_length), ("pad_token_id", pad_token_id), ("shard_size", shard_size)):
        _require_int(name, value)
    tool = _find_tool()
    directory = os.fspath(out_dir)
    _check(_call(tool, ["shard", os.fspath(input), "-o", directory, "--shard-size", str(shard_size)]))
    with open(os.path.join(directory, "plan.json"), encoding="utf-8") as plan_file:
        indices = [shard["index"] for shard in json.load(plan_file)["shards"]]
    args = ("--max-length", str(max_length), "--pad-token-id", str(pad_token_id), "--padding", padding,
            "--profile", profile, "--unready", unready) + (("--arrays",) if arrays else ())
    if executor is None:
        for index in indices:
            _check(_run_shard(tool, directory, index, args))
    else:
        futures = [executor.submit(_run_shard, tool, directory, index, args) for index in indices]
        # Every shard finishes (or fails) before any error is raised: no worker is left writing.
        concurrent.futures.wait(futures)
        for future in futures:  # in index order, so the lowest failing shard is the one reported
            _check(future.result())
    corpus = os.path.join(directory, "corpus.json")
    _check(_call(tool, ["merge", directory, "-o", corpus]))
    with open(corpus, encoding="utf-8") as corpus_file:
        result: dict[str, Any] = json.load(corpus_file)
    return result


def _shard_arrays(directory: str, shard: dict[str, Any]) -> dict[str, Any]:
    reference = shard["arrays"]
    with open(os.path.join(directory, reference["file"]), "rb") as manifest_file:
        text = manifest_file.read()
    if "sha256:" + hashlib.sha256(text).hexdigest() != reference["sha256"]:
        raise CorpusError("corpus.invalid_shard", f"{reference['file']} is not the one corpus.json names")
    manifest = json.loads(text)
    if manifest["output_data_sha256"] != shard["output_data_sha256"]:
        raise CorpusError("corpus.invalid_shard", f"{reference['file']} describes arrays of another report")
    import numpy  # only callers of this function need NumPy

    prefix = reference["file"][:-len("arrays.json")]
    loaded: dict[str, Any] = {}
    for entry in manifest["files"]:
        path = os.path.join(directory, entry["name"])
        key = entry["name"][len(prefix):].rsplit(".", 1)[0]
        if entry["dtype"] == "json":
            with open(path, encoding="utf-8") as ids_file:
                loaded[key] = json.load(ids_file)
            continue
        array = numpy.load(path, mmap_mode="r")
        if array.dtype.str != entry["dtype"] or list(array.shape) != entry["shape"]:
            raise CorpusError("corpus.invalid_shard", f"{entry['name']} is not the array {reference['file']} lists")
        loaded[key] = array
    return loaded


def load_arrays(out_dir: StrPath) -> list[dict[str, Any] | None]:
    """The training arrays of every shard in order, memory-mapped read-only: input_ids and
    attention_mask (fixed_length) or offsets (no_padding), truncated, and ids; None for a shard that
    has none. Each shard's arrays.json must be the one corpus.json names, for the same report."""
    directory = os.fspath(out_dir)
    with open(os.path.join(directory, "corpus.json"), encoding="utf-8") as corpus_file:
        shards = json.load(corpus_file)["shards"]
    return [None if shard["arrays"] is None else _shard_arrays(directory, shard) for shard in shards]
