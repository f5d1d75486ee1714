"""parse_fasta_records and ProteinSequence."""

import pytest
from hypothesis import given
from hypothesis import strategies as st

import tamri


def records(text):
    return [(record.id, record.sequence) for record in tamri.parse_fasta_records(text)]


# The line rules are the core's and are tested there; these show the text reaches them whole.
@pytest.mark.parametrize("text, expected", [
    (">a\nAC\n>b\ngt\n", [("a", "AC"), ("b", "GT")]),
    ("\u3000>\u00e9t\u00e9 d\nm\u00a0k\n", [("\u00e9t\u00e9", "MK")]),
    (">a\nA\x00C\n", [("a", "A\x00C")]),
])
def test_records_come_back_normalized_in_input_order(text, expected):
    assert records(text) == expected


def test_constructed_sequences_keep_their_values_as_given():
    record = tamri.ProteinSequence(sequence="ac gt", id="")
    assert (record.id, record.sequence) == ("", "ac gt")


@given(st.text(max_size=200))
def test_any_text_gives_records_or_a_fasta_error(text):
    try:
        parsed = tamri.parse_fasta_records(text)
    except tamri.TamriError as error:
        assert error.code.startswith("fasta.")
    else:
        assert all(record.id and record.sequence for record in parsed)
