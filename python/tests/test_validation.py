import pytest

import tamri

BAD_KIND_MESSAGE = "invalid sequence kind: '{}'. Expected one of auto, protein, dna, rna"


def issues(items):
    return [(issue.residue, issue.position) for issue in items]


@pytest.mark.parametrize("kind, sequence, alphabet, warnings, errors", [
    ("dna", "ACGTN", "dna-iupac", [("N", 5)], []),
    ("rna", "ACGT", "rna-iupac", [], [("T", 4)]),
    ("protein", "ACGT", "protein-20", [], []),
    ("auto", "ACGU", "rna-iupac", [], []),
])
def test_kind_aware_records(kind, sequence, alphabet, warnings, errors):
    report = tamri.validate_fasta_input_with_kind(f">r\n{sequence}\n", kind)
    [record] = report.sequences
    assert (record.alphabet, issues(record.warnings), issues(record.errors)) == (alphabet, warnings, errors)
    assert record.valid == (not warnings and not errors)
    assert (report.warning_count, report.error_count) == (len(warnings), len(errors))


@pytest.mark.parametrize("kind", ["Protein", ""])
@pytest.mark.parametrize("text", ["", ">a\nMKV\n"])
def test_bad_kind_is_raised_before_the_text_is_read(tamri_error, kind, text):
    assert tamri_error(tamri.validate_fasta_input_with_kind, text, kind=kind) == (
        "sequence.invalid_kind", BAD_KIND_MESSAGE.format(kind), None)


# The failure rules are the core's; one case for each entry point shows they reach Python.
@pytest.mark.parametrize("validate, text, expected", [
    (tamri.validate_fasta_input, "MKV\n", ("fasta.missing_header",
     "FASTA input must start with a header line beginning with '>' at line 1", {"line": 1, "record_index": None})),
    (lambda text: tamri.validate_fasta_input_with_kind(text, "auto"), "\n>a\n>b\nMKV\n", ("fasta.missing_sequence",
     "FASTA record 'a' at index 0 does not contain a sequence", {"line": 2, "record_index": 0})),
])
def test_malformed_fasta_raises_located_errors(tamri_error, validate, text, expected):
    assert tamri_error(validate, text) == expected


@pytest.mark.parametrize("residue", ["é", "\U0001F600"])
def test_residue_issue_counts_code_points(residue):
    issue = tamri.ResidueIssue(position=7, residue=residue)
    assert (issue.residue, issue.position) == (residue, 7)
    with pytest.raises(ValueError) as raised:
        tamri.ResidueIssue(residue * 2, 7)
    assert type(raised.value) is ValueError and str(raised.value) == "residue issue must contain exactly one residue"
    with pytest.raises(ValueError):
        tamri.ResidueIssue("", 7)


def test_validated_sequence_defaults_and_stores_values_as_given():
    plain = tamri.ValidatedSequence("x", "mk v")
    assert (plain.sequence, plain.alphabet, plain.valid, plain.warnings, plain.errors) == ("mk v", "protein-20", True,
                                                                                           [], [])
    issue = tamri.ResidueIssue("*", 3)
    kept = tamri.ValidatedSequence("x", "MK*", alphabet="klingon", valid=True, warnings=None, errors=(issue,))
    assert (kept.alphabet, kept.valid, issues(kept.errors)) == ("klingon", True, [("*", 3)])
    assert kept.errors[0] is not issue
