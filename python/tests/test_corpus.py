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
