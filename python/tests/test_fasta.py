"""parse_fasta_records and ProteinSequence."""

import pytest
from hypothesis import given
from hypothesis import strategies as st

import tamri


def records(text):
    return [(record.id, record.sequence) for record in tamri.parse_fasta_records(text)]


@pytest.mark.parametrize(
    "text, expected",
    [
        (">a\nAC\n>b\nGT\n", [("a", "AC"), ("b", "GT")]),
        (">a\r\nac gt\r\n", [("a", "ACGT")]),
        (">seq1 some description\nAC\n\nGT\n", [("seq1", "ACGT")]),
        ("  >x\n;*-\u00e9\n", [("x", ";*-\u00e9")]),
        ("\u3000>\u00e9t\u00e9 d\nm\u00a0k\n", [("\u00e9t\u00e9", "MK")]),
        (">a\nA\x00C\n", [("a", "A\x00C")]),
    ],
)
def test_records_come_back_normalized_in_input_order(text, expected):
    assert records(text) == expected


@pytest.mark.parametrize(
    "text, code, message, location",
    [
        ("", "fasta.empty_input", "FASTA input is empty", None),
        (" \n\t\n", "fasta.empty_input", "FASTA input is empty", None),
        (
            "AC",
            "fasta.missing_header",
            "FASTA input must start with a header line beginning with '>' at line 1",
            {"line": 1, "record_index": None},
        ),
        (
            "\n\nACGT",
            "fasta.missing_header",
            "FASTA input must start with a header line beginning with '>' at line 3",
            {"line": 3, "record_index": None},
        ),
        (
            ">a\n>b\nAC",
            "fasta.missing_sequence",
            "FASTA record 'a' at index 0 does not contain a sequence",
            {"line": 1, "record_index": 0},
        ),
        (
            ">a\nAC\n>b\n",
            "fasta.missing_sequence",
            "FASTA record 'b' at index 1 does not contain a sequence",
            {"line": 3, "record_index": 1},
        ),
        (
            ">a\n>",
            "fasta.missing_identifier",
            "FASTA record at index 1 has an empty identifier",
            {"line": 2, "record_index": 1},
        ),
    ],
)
def test_malformed_fasta_raises_located_errors(text, code, message, location):
    with pytest.raises(tamri.TamriError) as caught:
        tamri.parse_fasta_records(text)
    error = caught.value
    assert (error.code, error.message, error.location, error.args) == (code, message, location, (message,))


def test_text_may_be_passed_by_keyword():
    assert records(">a\nAC") == [(r.id, r.sequence) for r in tamri.parse_fasta_records(fasta_text=">a\nAC")]


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: tamri.parse_fasta_records(b">a\nAC"), "argument 'fasta_text': 'bytes' object cannot be converted to 'str'"),
        (lambda: tamri.parse_fasta_records(None), "argument 'fasta_text': 'NoneType' object cannot be converted to 'str'"),
        (lambda: tamri.parse_fasta_records(), "parse_fasta_records() missing 1 required positional argument: 'fasta_text'"),
        (lambda: tamri.parse_fasta_records("a", "b"), "parse_fasta_records() takes 1 positional argument but 2 were given"),
        (lambda: tamri.parse_fasta_records("a", fasta_text="b"), "parse_fasta_records() got multiple values for argument 'fasta_text'"),
        (lambda: tamri.parse_fasta_records(text="a"), "parse_fasta_records() got an unexpected keyword argument 'text'"),
        (lambda: tamri.ProteinSequence(), "ProteinSequence() missing 2 required positional arguments: 'id' and 'sequence'"),
        (lambda: tamri.ProteinSequence("a", sequence=1), "argument 'sequence': 'int' object cannot be converted to 'str'"),
        (lambda: tamri.ProteinSequence("a", "b", "c"), "ProteinSequence() takes 2 positional arguments but 3 were given"),
    ],
)
def test_argument_failures_use_the_interpreter_wording(call, message):
    with pytest.raises(TypeError) as caught:
        call()
    assert str(caught.value) == message
    assert not isinstance(caught.value, tamri.TamriError)


def test_lone_surrogates_raise_the_interpreter_encode_error():
    with pytest.raises(UnicodeEncodeError):
        tamri.parse_fasta_records(">a\n\ud800")


def test_constructed_sequences_keep_their_values_as_given():
    record = tamri.ProteinSequence(sequence="ac gt", id="")
    assert (record.id, record.sequence) == ("", "ac gt")


header_words = st.text(st.characters(blacklist_categories=("Cs", "Zs", "Cc", "Zl", "Zp")), min_size=1).filter(
    lambda word: not word.startswith(">")
)
residue_lines = st.text(alphabet="acdefghiklmnpqrstvwyXB*- \t", min_size=1).filter(lambda line: line.strip())


@given(st.lists(st.tuples(header_words, st.lists(residue_lines, min_size=1, max_size=4)), min_size=1, max_size=5))
def test_well_formed_records_round_trip(entries):
    text = "".join(f">{ident} description\n" + "\n".join(lines) + "\n" for ident, lines in entries)
    expected = [(ident, "".join(lines).replace(" ", "").replace("\t", "").upper()) for ident, lines in entries]
    assert records(text) == expected


@given(st.text(max_size=200))
def test_any_text_gives_records_or_a_fasta_error(text):
    try:
        parsed = tamri.parse_fasta_records(text)
    except tamri.TamriError as error:
        assert error.code.startswith("fasta.")
    except UnicodeEncodeError:
        assert any("\ud800" <= ch <= "\udfff" for ch in text)
    else:
        assert all(record.id and record.sequence for record in parsed)
