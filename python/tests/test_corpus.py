"""Corpora cut into shards by the command-line tool: whole records, the input's exact bytes, one plan."""

import gzip
import hashlib
import json
import os

import pytest

import tamri
from test_cli import generated_fasta, run

# CRLF and blank lines between records, a record of about 6 KiB, and plenty of small ones.
TEXT = generated_fasta(7) + ">big\r\n" + "MKV" * 2000 + "\r\n" + generated_fasta(8)


def read_plan(directory):
    plan = json.loads((directory / "plan.json").read_text(encoding="utf-8"))
    return plan, [(directory / shard["file"]).read_bytes() for shard in plan["shards"]]


@pytest.mark.parametrize("feed", ["path", "gzip path", "stdin"])
@pytest.mark.parametrize("size, label", [(1024, "1K"), (4096, "4K"), (1 << 20, "1M")])
def test_shards_are_the_input_cut_before_headers_and_the_plan_describes_them(tmp_path, feed, size, label):
    data = TEXT.encode()
    source = tmp_path / "in.fa"
    source.write_bytes(gzip.compress(data) if "gzip" in feed else data)
    out = tmp_path / "prep"
    arguments = ["shard", "--shard-size", label, "-o", out]
    result = run(*arguments, "-", stdin=data) if feed == "stdin" else run(*arguments, source)
    assert (result.stdout, result.stderr, result.returncode) == (b"", b"", 0)
    plan, shards = read_plan(out)
    assert sorted(os.listdir(out)) == sorted(["plan.json"] + [s["file"] for s in plan["shards"]])
    assert b"".join(shards) == data
    whole = tamri.parse_fasta_records(TEXT)
    assert plan["format"] == "tamri.shard_plan.v0" and plan["shard_size"] == size
    assert plan["input"] == {"bytes": len(data), "records": len(whole),
                             "input_hash": tamri.prepare_workflow_from_fasta(TEXT, 8).input_hash,
                             "sha256": "sha256:" + hashlib.sha256(data).hexdigest()}
    offset, line, read = 0, 1, []
    for index, (entry, shard) in enumerate(zip(plan["shards"], shards)):
        records = tamri.parse_fasta_records(shard.decode())
        assert entry == {"index": index, "file": f"shard-{index:05}.fa", "offset": offset, "bytes": len(shard),
                         "first_line": line, "first_record_index": len(read), "records": len(records),
                         "input_hash": tamri.prepare_workflow_from_fasta(shard.decode(), 8).input_hash,
                         "sha256": "sha256:" + hashlib.sha256(shard).hexdigest()}
        assert len(shard) <= size or len(records) == 1
        offset, line = offset + len(shard), line + shard.count(b"\n")
        read += [(r.id, r.sequence) for r in records]
    assert read == [(r.id, r.sequence) for r in whole]
    assert (size >= len(data)) == (len(shards) == 1)


def test_malformed_input_fails_with_its_global_line_and_leaves_the_directory_as_it_was(tmp_path):
    late = TEXT + ">empty\n>after\nMK\n"
    line = TEXT.count("\n") + 1
    fresh, kept = tmp_path / "fresh", tmp_path / "kept"
    kept.mkdir()
    (kept / "plan.json").write_text("old")
    for out in (fresh, kept):
        result = run("shard", "--shard-size", "1K", "-o", out, "-", stdin=late.encode())
        records = len(tamri.parse_fasta_records(TEXT))
        assert (result.stdout, result.stderr.decode(), result.returncode) == (
            b"", f"tamri: fasta.missing_sequence: FASTA record 'empty' at index {records} does not contain a "
                 f"sequence (line {line}, record_index {records})\n", 2)
    assert not fresh.exists() and os.listdir(kept) == ["plan.json"] and (kept / "plan.json").read_text() == "old"


@pytest.mark.parametrize("size", ["0", "64k", "1T", "M", "-1", "18446744073709551615K"])
def test_a_shard_size_that_is_no_size_is_refused(tmp_path, size):
    result = run("shard", "--shard-size", size, "-o", tmp_path / "out", "-", stdin=b">a\nM\n")
    assert (result.stderr.decode(), result.returncode) == (
        f"tamri: cli.invalid_arguments: --shard-size: expected a size such as 64M, got '{size}'\n", 2)


SETTINGS = ["--max-length", "48", "--padding", "fixed_length", "--pad-token-id", "3", "--profile", "protein-20"]


def corpus(tmp_path, *options, name="prep", text=TEXT):
    source = tmp_path / "in.fa"
    source.write_text(text, encoding="utf-8", newline="")
    out = tmp_path / name
    result = run("corpus", source, "-o", out, "--shard-size", "2K", *SETTINGS, *options)
    assert (result.stdout, result.stderr) == (b"", b"")
    return out, result.returncode


@pytest.mark.parametrize("unready", ["keep", "drop"])
def test_each_shard_report_is_the_module_report_and_the_corpus_report_recomputes(tmp_path, unready):
    out, status = corpus(tmp_path, "--jobs", "2", "--unready", unready)
    report = json.loads((out / "corpus.json").read_text(encoding="utf-8"))
    plan, shards = read_plan(out)
    set_aside = {issue["record_index"] for issue in report["set_aside"]}
    for entry, shard in zip(plan["shards"], shards):
        records = tamri.parse_fasta_records(shard.decode())
        first = entry["first_record_index"]
        if unready == "keep":
            expected = tamri.prepare_workflow_from_fasta(shard.decode(), 48, 3, "fixed_length", "protein-20")
        else:
            kept = [r for i, r in enumerate(records) if first + i not in set_aside]
            expected = tamri.prepare_workflow(entry["input_hash"], kept, 48, 3, "fixed_length", "protein-20")
        assert (out / f"shard-{entry['index']:05}.json").read_text(encoding="utf-8") == expected.report_json + "\n"
    blocked = report["readiness_issues"] if unready == "keep" else report["set_aside"]
    assert blocked and [issue["record_index"] for issue in blocked] == sorted(issue["record_index"] for issue in blocked)
    assert (status, report["model_ready"]) == ((1, False) if unready == "keep" else (0, True))
    assert report["input"] == plan["input"] and [s["file"] for s in report["shards"]] == [s["file"] for s in plan["shards"]]
    assert all(shard["arrays"] is None for shard in report["shards"])
    digest = report.pop("corpus_sha256")
    canonical = json.dumps(report, sort_keys=True, separators=(",", ":"), ensure_ascii=False).encode()
    assert digest == "sha256:" + hashlib.sha256(canonical).hexdigest()


def test_shards_run_by_hand_get_the_same_summaries_and_corpus_report_from_merge(tmp_path):
    out, _ = corpus(tmp_path)
    hand = tmp_path / "hand"
    run("shard", tmp_path / "in.fa", "-o", hand, "--shard-size", "2K")
    for shard in sorted(hand.glob("shard-*.fa")):
        run("workflow", shard, *SETTINGS, "-o", shard.with_suffix(".json"))
    result = run("merge", hand)
    assert result.stdout == (out / "corpus.json").read_bytes() and result.returncode == 1
    assert sorted(os.listdir(hand)) == sorted(set(os.listdir(out)) - {"corpus.json"})
    assert all((hand / name).read_bytes() == (out / name).read_bytes() for name in os.listdir(hand))


def swap_plan_file(out):
    plan = json.loads((out / "plan.json").read_text())
    plan["shards"][0]["file"] = "../x"
    (out / "plan.json").write_text(json.dumps(plan))


@pytest.mark.parametrize("change, message", [
    (lambda out: (out / "shard-00001.json").unlink(),
     "corpus.invalid_shard: shard-00001.json is missing: shard-00001.fa has not been run"),
    (lambda out: (out / "shard-00001.json").write_text((out / "shard-00001.json").read_text().replace(",20,", ",21,", 1)),
     "corpus.invalid_shard: shard-00001.json changed after its run was verified: its digest is sha256:"),
    (lambda out: [(out / "shard-00001.summary.json").unlink(),
                  (out / "shard-00001.json").write_text((out / "shard-00001.json").read_text().replace(",20,", ",21,", 1))],
     "corpus.invalid_shard: shard-00001.json is not what shard-00001.fa gives under the settings it records"),
    (lambda out: [(out / "shard-00002.summary.json").unlink(),
                  (out / "shard-00002.json").write_bytes((out / "shard-00001.json").read_bytes())],
     "corpus.invalid_shard: shard-00002.json has input hash fnv1a64:"),
    (lambda out: run("run-shard", out, "2", *SETTINGS[:-2], "--profile", "protein-20-special"),
     "corpus.invalid_shard: shard-00002.json was made with other settings, tokenizer or vocabulary than shard-00000.json"),
    (swap_plan_file, "corpus.invalid_plan: plan.json names '../x' as shard 0, not 'shard-00000.fa'"),
])
def test_merge_refuses_shards_that_do_not_belong_to_the_plan_and_settings(tmp_path, change, message):
    out, _ = corpus(tmp_path)
    change(out)
    result = run("merge", out, "-o", out / "again.json")
    assert result.stderr.decode().startswith("tamri: " + message) and result.returncode == 2
    assert not (out / "again.json").exists()


def test_a_rerun_keeps_the_shards_it_can_verify_and_a_new_cut_removes_stale_files(tmp_path):
    out, _ = corpus(tmp_path)
    first = (out / "corpus.json").read_bytes()
    (out / "shard-00001.summary.json").unlink()
    (out / "shard-00002.json").write_text("{}")
    stamps = {name: (out / name).stat().st_mtime_ns for name in ("shard-00000.json", "shard-00003.json")}
    rerun = run("corpus", tmp_path / "in.fa", "-o", out, "--shard-size", "2K", *SETTINGS, "--jobs", "1", "--progress")
    assert rerun.returncode == 1 and (out / "corpus.json").read_bytes() == first
    lines = rerun.stderr.decode().splitlines()
    shards = len(read_plan(out)[1])
    assert [line for line in lines if " cut " in line] == [f"tamri corpus: cut shard-{i:05}.fa" for i in range(shards)]
    assert [line for line in lines if " cut " not in line] == [
        f"tamri corpus: {'ran' if i in (1, 2) else 'kept'} shard-{i:05}.fa" for i in range(shards)]
    assert all((out / name).stat().st_mtime_ns == stamp for name, stamp in stamps.items())
    result = run("corpus", tmp_path / "in.fa", "-o", out, "--shard-size", "1M", *SETTINGS)
    assert result.returncode == 1 and sorted(os.listdir(out)) == [
        "corpus.json", "plan.json", "shard-00000.fa", "shard-00000.json", "shard-00000.summary.json"]


PIPELINE = """schema_version = "tamri.pipeline.v0"
name = "pre"
[input]
format = "fasta"
path = "unused.fa"
[normalize]
policy = "strip_ascii_whitespace_uppercase"
[validate]
kind = "{kind}"
[tokenize]
profile = "protein-20"
[export]
format = "model-input-json"
max_length = 48
pad_token_id = 3
padding = "fixed_length"
"""


@pytest.mark.parametrize("kind, error", [
    ("protein", None),
    ("dna", "tamri: pipeline.invalid_config: validate.kind must be 'protein' for profile 'protein-20'\n"),
])
def test_a_pipeline_configuration_stands_for_the_settings(tmp_path, kind, error):
    config = tmp_path / "pre.toml"
    config.write_text(PIPELINE.format(kind=kind))
    by_config = run("workflow", "-", "--pipeline-config", config, stdin=TEXT.encode())
    by_flags = run("workflow", "-", *SETTINGS, stdin=TEXT.encode())
    if error:
        assert (by_config.stdout, by_config.stderr.decode(), by_config.returncode) == (b"", error, 2)
    else:
        assert (by_config.stdout, by_config.returncode) == (by_flags.stdout, 1)
