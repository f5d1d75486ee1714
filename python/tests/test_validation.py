import inspect

import pytest

import tamri

BAD_KIND_MESSAGE = "invalid sequence kind: '{}'. Expected one of auto, protein, dna, rna"


def issues(items):
    return [(issue.residue, issue.position) for issue in items]


def test_classes_and_functions_keep_module_order():
    names = ["ResidueIssue", "ValidatedSequence", "ProteinSequence", "SequenceValidationReport", "TamriError",
             "parse_fasta_records", "validate_fasta_input", "validate_fasta_input_with_kind"]
    assert [name for name in vars(tamri) if name in names] == names


@pytest.mark.parametrize("target, signature", [
    (tamri.ResidueIssue, "(residue, position)"),
    (tamri.ValidatedSequence,
     "(id, sequence, alphabet='protein-20', valid=True, warnings=None, errors=None)"),
    (tamri.validate_fasta_input, "(fasta_text)"),
    (tamri.validate_fasta_input_with_kind, "(fasta_text, kind)"),
])
def test_text_signatures(target, signature):
    assert str(inspect.signature(target)) == signature


@pytest.mark.parametrize("text, counts", [
    (">a\nMKV\n", (1, 1, 0, 0)),
    (">a\nmk\nx*\n", (1, 0, 1, 1)),
    (">a\nMKV\n>b\nMKX\n", (2, 1, 1, 0)),
    (">a\nMK@\n", (1, 0, 0, 1)),
])
def test_protein_report_counts(text, counts):
    report = tamri.validate_fasta_input(text)
    assert (report.records, report.valid_records, report.warning_count, report.error_count) == counts


def test_protein_records_carry_normalized_sequences_and_positions():
    [record] = tamri.validate_fasta_input(">a\nmk\nx*\n").sequences
    assert (record.id, record.sequence, record.alphabet, record.valid) == ("a", "MKX*", "protein-20", False)
    assert (issues(record.warnings), issues(record.errors)) == ([("X", 3)], [("*", 4)])


@pytest.mark.parametrize("kind, sequence, alphabet, warnings, errors", [
    ("dna", "ACGTN", "dna-iupac", [("N", 5)], []),
    ("rna", "ACGT", "rna-iupac", [], [("T", 4)]),
    ("protein", "ACGT", "protein-20", [], []),
    ("protein", "AéC", "protein-20", [], [("é", 2)]),
    ("auto", "ACGU", "rna-iupac", [], []),
    ("auto", "MKTAYIAKQR", "protein-20", [], []),
])
def test_kind_aware_records(kind, sequence, alphabet, warnings, errors):
    report = tamri.validate_fasta_input_with_kind(f">r\n{sequence}\n", kind)
    [record] = report.sequences
    assert (record.alphabet, issues(record.warnings), issues(record.errors)) == (alphabet, warnings, errors)
    assert record.valid == (not warnings and not errors)
    assert (report.warning_count, report.error_count) == (len(warnings), len(errors))


@pytest.mark.parametrize("kind", ["Protein", " dna", "auto ", "", "DNA"])
@pytest.mark.parametrize("text", ["", ">a\nMKV\n"])
def test_bad_kind_is_raised_before_the_text_is_read(kind, text):
    with pytest.raises(tamri.TamriError) as raised:
        tamri.validate_fasta_input_with_kind(text, kind=kind)
    error = raised.value
    assert (error.code, error.args, error.location) == ("sequence.invalid_kind", (BAD_KIND_MESSAGE.format(kind),), None)


@pytest.mark.parametrize("validate", [tamri.validate_fasta_input,
                                      lambda text: tamri.validate_fasta_input_with_kind(text, "auto")])
@pytest.mark.parametrize("text, code, message, location", [
    (" \n\t", "fasta.empty_input", "FASTA input is empty", None),
    ("MKV\n", "fasta.missing_header", "FASTA input must start with a header line beginning with '>' at line 1",
     {"line": 1, "record_index": None}),
    ("\n>a\n>b\nMKV\n", "fasta.missing_sequence", "FASTA record 'a' at index 0 does not contain a sequence",
     {"line": 2, "record_index": 0}),
])
def test_malformed_fasta_raises_located_errors(validate, text, code, message, location):
    with pytest.raises(tamri.TamriError) as raised:
        validate(text)
    assert (raised.value.code, raised.value.message, raised.value.location) == (code, message, location)


def test_list_attributes_build_new_objects_on_every_access():
    report = tamri.validate_fasta_input(">a\nMKX\n")
    assert report.sequences is not report.sequences
    assert report.sequences[0] is not report.sequences[0]
    record = report.sequences[0]
    first, second = record.warnings, record.warnings
    assert first is not second and first[0] is not second[0]
    assert issues(first) == issues(second) == [("X", 3)]
    first.clear()
    report.sequences.clear()
    assert len(record.warnings) == 1 and report.records == len(report.sequences) == 1


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


@pytest.mark.parametrize("call, error, message", [
    (lambda: tamri.ValidatedSequence("x", "y", warnings="X"), TypeError,
     "argument 'warnings': a 'str' cannot be taken as a list of 'ResidueIssue'"),
    (lambda: tamri.ValidatedSequence("x", "y", errors=[tamri.ResidueIssue("X", 1), "X"]), TypeError,
     "argument 'errors': 'str' object cannot be converted to 'ResidueIssue'"),
    (lambda: tamri.ValidatedSequence("x", "y", errors=3), TypeError,
     "argument 'errors': 'int' object cannot be converted to 'Sequence'"),
    (lambda: tamri.ValidatedSequence("x", "y", valid=1), TypeError,
     "argument 'valid': 'int' object cannot be converted to 'bool'"),
    (lambda: tamri.ResidueIssue(65, -1), TypeError, "argument 'residue': 'int' object cannot be converted to 'str'"),
    (lambda: tamri.ResidueIssue("A", -1), OverflowError, "can't convert negative int to unsigned"),
    (lambda: tamri.validate_fasta_input_with_kind(b">a\nM", 1), TypeError,
     "argument 'fasta_text': 'bytes' object cannot be converted to 'str'"),
    (lambda: tamri.validate_fasta_input_with_kind("", None), TypeError,
     "argument 'kind': 'NoneType' object cannot be converted to 'str'"),
    (lambda: tamri.validate_fasta_input_with_kind(">a\nM"), TypeError,
     "validate_fasta_input_with_kind() missing 1 required positional argument: 'kind'"),
    (lambda: tamri.SequenceValidationReport(), TypeError, "No constructor defined for SequenceValidationReport"),
])
def test_argument_errors(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert type(raised.value) is error and str(raised.value) == message


@pytest.mark.parametrize("instance, attribute", [
    (tamri.ResidueIssue("A", 1), "position"),
    (tamri.validate_fasta_input(">a\nM\n"), "sequences"),
])
def test_attributes_are_read_only(instance, attribute):
    with pytest.raises(AttributeError):
        setattr(instance, attribute, None)
