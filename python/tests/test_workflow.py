"""The sequence workflow: readiness, provenance, digests and the order of its checks."""

import hashlib
import json
import pathlib

import pytest

import tamri

# The core's version, which every provenance records, as the build reads it.
VERSION = (pathlib.Path(__file__).resolve().parents[2] / "VERSION").read_text(encoding="utf-8").strip()

ZERO_HASH = "fnv1a64:0000000000000000"


def canonical_digest(value):
    text = json.dumps(value, sort_keys=True, separators=(",", ":"), ensure_ascii=False)
    return "sha256:" + hashlib.sha256(text.encode("utf-8")).hexdigest()


def output_data_digest(report_json):
    """Recomputes the output-data digest from a stored report with nothing but json and hashlib."""
    report = json.loads(report_json)
    provenance = report.pop("provenance")
    del provenance["hashes"]
    return canonical_digest({**report, **provenance})


def test_an_empty_batch_is_ready_with_an_empty_model_input():
    output = tamri.prepare_workflow(ZERO_HASH, [], 8)
    assert (output.model_ready, output.input_hash, output.records) == (True, ZERO_HASH, [])


def test_report_of_a_fasta_run_states_its_provenance_exactly():
    text = ">a\nMKV\n>b\nACDY\n"
    output = tamri.prepare_workflow_from_fasta(text, 4, padding="fixed_length", profile="protein-20-special")
    rows = [(r.id, r.input_ids, r.attention_mask, r.truncated) for r in output.records]
    assert rows == [("a", [22, 10, 8, 17], [1, 1, 1, 1], True), ("b", [22, 0, 1, 2], [1, 1, 1, 1], True)]
    provenance = json.loads(output.report_json)["provenance"]
    hashes = provenance.pop("hashes")
    # The rest of the provenance is the core's, pinned there.
    assert (provenance["tamri_core_version"], provenance["invocation"], provenance["input_hash"]) == (
        VERSION, {"command": "tamri-python.prepare_workflow", "arguments": ["records=2", "profile=protein-20-special"]},
        output.input_hash)
    vocabulary = {"name": "protein-20",
                  "tokens": [{"residue": r, "token_id": i} for i, r in enumerate("ACDEFGHIKLMNPQRSTVWY")],
                  "unknown_token_id": 20, "unknown_token_policy": "warn_or_error_with_unknown_token"}
    assert hashes == {"vocabulary_sha256": canonical_digest(vocabulary),
                      "output_data_sha256": output_data_digest(output.report_json)}


def test_unusable_records_are_reported_not_raised():
    records = [tamri.ProteinSequence("ok", "MKV"), tamri.ProteinSequence("bad", "MK*B"),
               tamri.ProteinSequence("empty", ""), tamri.ProteinSequence("ok", "MKV")]
    output = tamri.prepare_workflow(ZERO_HASH, records, 8, profile="protein-20")
    assert (output.model_ready, output.records) == (False, [])
    report = json.loads(output.report_json)
    assert report["model_input"] is None
    assert [s["id"] for s in report["validation"]["sequences"]] == ["ok", "bad", "empty", "ok"]
    assert [r["id"] for r in report["tokenization"]["records"]] == ["ok", "bad", "empty", "ok"]
    assert json.loads(output.report_json)["provenance"]["hashes"]["output_data_sha256"] == output_data_digest(
        output.report_json)


def test_the_same_records_give_byte_identical_reports_from_either_function():
    text = '>q"\\\x01 é\nMKVXB\n>d\nacgtn\n>d\nACGT\n'
    for profile in ["protein-20", "dna-iupac-special", "rna-iupac"]:
        from_fasta = tamri.prepare_workflow_from_fasta(text, 3, 7, "fixed_length", profile)
        records = tamri.parse_fasta_records(text)
        direct = tamri.prepare_workflow(from_fasta.input_hash, records, 3, 7, "fixed_length", profile)
        assert direct.report_json == from_fasta.report_json


@pytest.mark.parametrize("call, expected", [
    (lambda: tamri.prepare_workflow("fnv1a64:ABCDEF0123456789", [], 0), (
        "workflow.invalid_input_hash",
        "invalid workflow input hash 'fnv1a64:ABCDEF0123456789': expected fnv1a64:<16 lowercase hex>", None)),
    (lambda: tamri.prepare_workflow(ZERO_HASH, [], 0), (
        "model_input.invalid_policy", "invalid model input policy: max_length must be greater than zero", None)),
    # Padding, then profile, are judged before the input hash.
    (lambda: tamri.prepare_workflow("bad", [], 0, padding="FIXED_LENGTH", profile="x"), (
        "model_input.invalid_policy", "invalid padding: 'FIXED_LENGTH'. Expected 'fixed_length' or 'no_padding'",
        None)),
    (lambda: tamri.prepare_workflow("bad", [], 0, profile="Protein-20"), (
        "tokenizer.invalid_profile", "invalid tokenizer profile: 'Protein-20'. Expected one of protein-20, "
        "protein-20-special, dna-iupac, dna-iupac-special, rna-iupac, rna-iupac-special", None)),
    # Reading the FASTA text comes before everything but argument extraction.
    (lambda: tamri.prepare_workflow_from_fasta("MK\n", 0, padding="bad"), (
        "fasta.missing_header", "FASTA input must start with a header line beginning with '>' at line 1",
        {"line": 1, "record_index": None})),
])
def test_malformed_calls_raise_in_the_order_of_their_checks(tamri_error, call, expected):
    assert tamri_error(call) == expected
