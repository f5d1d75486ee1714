"""A typed project's use of tamri: every function called and every attribute read, checked by
mypy in strict mode against the type stubs (test_typing.py). It also runs."""

from __future__ import annotations  # DiagnosticLocation exists only in the stubs

import json
import sys
from typing import Optional

import tamri


def sequences() -> int:
    records: list[tamri.ProteinSequence] = tamri.parse_fasta_records(">a\nMKV\n")
    record = tamri.ProteinSequence("b", "ACGT")
    ids: list[str] = [r.id for r in records] + [record.id, record.sequence]
    report: tamri.SequenceValidationReport = tamri.validate_fasta_input(">a\nMKX\n")
    kinds = tamri.validate_fasta_input_with_kind(">d\nACGTN\n", "auto")
    counts: list[int] = [report.records, report.valid_records, report.warning_count, report.error_count]
    for validated in report.sequences + kinds.sequences + [tamri.ValidatedSequence("c", "M")]:
        issues: list[tamri.ResidueIssue] = validated.warnings + validated.errors + [tamri.ResidueIssue("X", 3)]
        texts: list[str] = [validated.id, validated.sequence, validated.alphabet] + [i.residue for i in issues]
        flags: list[bool] = [validated.valid]
        counts += [i.position for i in issues] + [len(texts), len(flags)]
    return len(ids) + sum(counts)


def model_inputs() -> int:
    tokenized: list[tamri.TokenizedProtein] = tamri.tokenize_fasta_records(">a\nMKV\n", profile="protein-20-special")
    tokenized.append(tamri.tokenize_protein("ACDY", id="b"))
    tokenized.append(tamri.TokenizedProtein("c", [1, 2], length=2))
    widths: list[int] = [t.length for t in tokenized] + [len(t.tokens) for t in tokenized]
    texts: list[str] = [t.id + t.alphabet for t in tokenized if t.valid and not t.warnings + t.errors]
    rows: list[tamri.ModelInputRecord] = tamri.build_model_inputs_checked(tokenized, 4, pad_token_id=0).records
    rows.append(tamri.ModelInputRecord("d", [1], [1], False))
    masks: list[list[int]] = [r.input_ids + r.attention_mask for r in rows if not r.truncated and r.id]
    return sum(widths) + len(texts) + len(masks)


def workflow() -> int:
    output: tamri.SequenceWorkflowOutput = tamri.prepare_workflow_from_fasta(">a\nMKV\n", 4, padding="fixed_length")
    again = tamri.prepare_workflow(output.input_hash, [tamri.ProteinSequence("a", "MKV")], 4, profile="protein-20")
    ready: bool = output.model_ready and again.model_ready
    rows: list[tamri.ModelInputRecord] = output.records
    report: str = output.report_json
    return len(rows) + len(json.loads(report)) + int(ready)


def packages(manifest_path: str) -> int:
    with open(manifest_path, encoding="utf-8") as file:
        manifest = file.read()
    reports: list[str] = [
        tamri.validate_package_manifest(manifest),
        tamri.inspect_package_manifest(manifest),
        tamri.plan_runtime_bridge(manifest),
        tamri.validate_package_manifest_artifacts(manifest, manifest_path.rsplit("/", 1)[0]),
        tamri.validate_package_manifest_file(manifest_path),
    ]
    return sum(len(report) for report in reports)


def failure() -> Optional[tamri.DiagnosticLocation]:
    try:
        tamri.parse_fasta_records("")
    except tamri.TamriError as error:
        code: str = error.code
        message: str = error.message
        return error.location if code and message else None
    return None


if __name__ == "__main__":
    print(sequences() + model_inputs() + workflow() + packages(sys.argv[1]), failure())
