"""Reads a FASTA file with tamri and prints what the module makes of it."""

import json
import sys

import tamri


def show_records(text):
    print("== parse_fasta_records")
    for record in tamri.parse_fasta_records(text):
        preview = record.sequence if len(record.sequence) <= 40 else record.sequence[:37] + "..."
        print(f"  {record.id:<24} {len(record.sequence):>4} residues  {preview}")


def describe_issues(issues):
    return ", ".join(f"{issue.residue}@{issue.position}" for issue in issues) or "-"


def show_validation(text):
    print("== validate_fasta_input_with_kind(..., 'auto')")
    report = tamri.validate_fasta_input_with_kind(text, "auto")
    print(
        f"  records={report.records} valid={report.valid_records} "
        f"warnings={report.warning_count} errors={report.error_count}"
    )
    for sequence in report.sequences:
        print(
            f"  {sequence.id:<24} {sequence.alphabet:<11} valid={sequence.valid!s:<5} "
            f"warnings={describe_issues(sequence.warnings)} errors={describe_issues(sequence.errors)}"
        )


def show_model_inputs(text):
    print("== tokenize_fasta_records + build_model_inputs_checked (protein-20-special, max_length 12)")
    tokenized = tamri.tokenize_fasta_records(text, profile="protein-20-special")
    ready = [record for record in tokenized if record.valid]
    for record in tokenized:
        if not record.valid:
            print(f"  {record.id:<24} skipped: {len(record.warnings)} warnings, {len(record.errors)} errors")
    model_input = tamri.build_model_inputs_checked(ready, 12, pad_token_id=21, padding="fixed_length")
    for row in model_input.records:
        print(f"  {row.id:<24} ids={row.input_ids} mask={row.attention_mask} truncated={row.truncated}")


def show_workflow(text):
    print("== prepare_workflow_from_fasta (protein-20, max_length 12, fixed_length)")
    output = tamri.prepare_workflow_from_fasta(text, 12, padding="fixed_length")
    report = json.loads(output.report_json)
    hashes = report["provenance"]["hashes"]
    print(f"  model_ready={output.model_ready} input_hash={output.input_hash}")
    print(f"  vocabulary_sha256={hashes['vocabulary_sha256']}")
    print(f"  output_data_sha256={hashes['output_data_sha256']}")
    for issue in report["readiness_issues"]:
        print(f"  {issue['code']}: {issue['message']}")
    ready = tamri.prepare_workflow_from_fasta(">ready\nMKVLA\n", 8, padding="fixed_length")
    print(f"  a ready batch: model_ready={ready.model_ready} rows={[row.input_ids for row in ready.records]}")


def show_error(text):
    print("== a malformed input")
    try:
        tamri.parse_fasta_records(text)
    except tamri.TamriError as error:
        print(f"  {error.code}: {error.message}  location={error.location}")


def main(path):
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    show_records(text)
    show_validation(text)
    show_model_inputs(text)
    show_workflow(text)
    show_error(">first\nMKV\n>second\n\n>third\nAC\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/data/demo.fasta")
