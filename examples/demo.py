"""Reads a FASTA file with tamri and prints what the module makes of it."""

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
    show_error(">first\nMKV\n>second\n\n>third\nAC\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/data/demo.fasta")
