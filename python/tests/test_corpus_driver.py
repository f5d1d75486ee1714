"""tamri_corpus.prepare on one machine, a process pool and Dask: the same corpus.json as the tool's own runs."""

import contextlib
import json
import multiprocessing
import os
import random
import sys
from concurrent.futures import ProcessPoolExecutor

import pytest

from test_cli import ROOT, TOOL, run

# A build tree has no copy of the pure-Python driver; an installed copy stays first on the path.
sys.path.append(str(ROOT / "python"))
import tamri_corpus  # noqa: E402

# Worker interpreters under the preloaded sanitizer runtime test nothing of ours and are slow to start.
SANITIZED = pytest.mark.skipif(bool(os.environ.get("TAMRI_SANITIZED")), reason="no worker processes when sanitized")
# Debian's Dask starts its event loop in a way the Tornado it ships calls deprecated.
pytestmark = pytest.mark.filterwarnings("ignore:make_current is deprecated:DeprecationWarning")
CorpusError = tamri_corpus.CorpusError
EXECUTORS = {"in process": lambda request: contextlib.nullcontext(),
             "process pool": lambda request: ProcessPoolExecutor(2, mp_context=multiprocessing.get_context("spawn")),
             "dask": lambda request: request.getfixturevalue("dask_client").get_executor()}


@pytest.fixture(scope="module")
def dask_client():
    import distributed
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, host="127.0.0.1",
                                  dashboard_address=None) as cluster, distributed.Client(cluster) as client:
        yield client


@pytest.fixture
def source(tmp_path, monkeypatch):
    monkeypatch.setenv("TAMRI_CLI", TOOL)
    rng = random.Random(3)
    # About 10 KiB, so several shards of 2 KiB; every ninth record has an ambiguous residue, so is not model-ready.
    (tmp_path / "in.fa").write_text("".join(f">c{i}\n" + "".join(rng.choices("ACDEFGHIKLMNPQRSTVWY", k=rng.randint(
        20, 200))) + "X" * (i % 9 == 4) + "\n" for i in range(70)))
    return tmp_path / "in.fa"


def quiet(result, status):
    assert (result.stdout, result.stderr, result.returncode) == (b"", b"", status)


@pytest.mark.parametrize("unready", ["keep", "drop"])
@pytest.mark.parametrize("way", ["jobs 1", "jobs 2", "in process", pytest.param("process pool", marks=SANITIZED),
                                 pytest.param("dask", marks=SANITIZED)])
def test_every_way_of_running_the_shards_writes_the_same_corpus(source, tmp_path, request, unready, way):
    hand, out, ready = tmp_path / "hand", tmp_path / "out", unready == "drop"
    quiet(run("shard", source, "-o", hand, "--shard-size", "2048"), 0)
    shards = json.loads((hand / "plan.json").read_text())["shards"]
    for shard in shards:  # a shard is not model-ready when it keeps a record with X
        quiet(run("run-shard", hand, shard["index"], "--max-length", "64", "--unready", unready),
              int(not ready and b"X" in (hand / shard["file"]).read_bytes()))
    quiet(run("merge", hand, "-o", hand / "corpus.json"), int(not ready))
    expected = (hand / "corpus.json").read_bytes()
    assert (len(shards) >= 4, json.loads(expected)["model_ready"]) == (True, ready)
    if way.startswith("jobs"):
        quiet(run("corpus", source, "-o", out, "--jobs", way[-1], "--shard-size", "2048", "--max-length", "64",
                  "--unready", unready), int(not ready))
    else:
        with EXECUTORS[way](request) as executor:
            corpus = tamri_corpus.prepare(str(source), out, max_length=64, shard_size=2048, unready=unready,
                                          executor=executor)
        assert corpus == json.loads(expected)
    assert (out / "corpus.json").read_bytes() == expected


@pytest.mark.parametrize("tool, text, options, error", [
    (TOOL, "MKV\n", {}, CorpusError("fasta.missing_header",
                                   "FASTA input must start with a header line beginning with '>' at line 1 (line 1)")),
    (TOOL, ">a\nMK\n", {"padding": "none"},
     CorpusError("model_input.invalid_policy", "invalid padding: 'none'. Expected 'fixed_length' or 'no_padding'")),
    ("./no-such-tamri", ">a\nMK\n", {}, CorpusError("cli.not_found", "cannot run './no-such-tamri': No such file or "
                                                                   "directory")),
    (TOOL, ">a\nMK\n", {"unready": "Keep"}, ValueError("unready must be 'keep' or 'drop', got 'Keep'")),
    (TOOL, ">a\nMK\n", {"shard_size": True}, TypeError("shard_size must be an int, got bool")),
])
def test_a_failing_step_raises_the_tools_code(source, tmp_path, monkeypatch, tool, text, options, error):
    monkeypatch.setenv("TAMRI_CLI", tool)
    source.write_text(text)
    with pytest.raises(type(error)) as raised:
        tamri_corpus.prepare(source, tmp_path / "out", max_length=64, **options)
    assert (raised.value.args, str(raised.value), getattr(raised.value, "code", None)) == (
        error.args, str(error), getattr(error, "code", None))
