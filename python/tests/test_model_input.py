import pytest

import tamri

ZERO_LENGTH_MESSAGE = "invalid model input policy: max_length must be greater than zero"


def rows(model_input):
    return [(r.id, r.input_ids, r.attention_mask, r.truncated) for r in model_input.records]


@pytest.mark.parametrize("tokens, max_length, pad, padding, expected", [
    ([1, 2, 3], 1, 0, "no_padding", ([1], [1], True)),
    ([255, 0], 2**64 - 1, 255, "no_padding", ([255, 0], [1, 1], False)),
])
def test_rows_are_cut_and_padded(tokens, max_length, pad, padding, expected):
    built = tamri.build_model_inputs_checked([tamri.TokenizedProtein("p", tokens)], max_length, pad, padding)
    assert rows(built) == [("p", *expected)]


# Runs in rows are built by repetition: lengths straddle the shortest repeated run (16) and the
# pad value may equal the last token, merging the two runs.
@pytest.mark.parametrize("run, pad", [(0, 7), (8, 7), (15, 7), (16, 7), (17, 0), (40, 1), (47, 0)])
def test_runs_of_tokens_and_padding_read_back_exactly(run, pad):
    tokenized = tamri.tokenize_fasta_records(f">r\n{'A' * run}C\n")
    built = tamri.build_model_inputs_checked(tokenized, 48, pad_token_id=pad, padding="fixed_length")
    padding = 47 - run
    assert rows(built) == [("r", [0] * run + [1] + [pad] * padding, [1] * (run + 1) + [0] * padding, False)]


def test_tokenized_sequences_become_rows_in_order():
    tokenized = tamri.tokenize_fasta_records(">a\nMK\n>b\nACD\n", "protein-20-special")
    built = tamri.build_model_inputs_checked(tokenized, max_length=4, padding="fixed_length", pad_token_id=21)
    assert rows(built) == [("a", [22, 10, 8, 23], [1, 1, 1, 1], False), ("b", [22, 0, 1, 2], [1, 1, 1, 1], True)]


def test_defaults_are_pad_zero_and_no_padding():
    assert rows(tamri.build_model_inputs_checked((tamri.TokenizedProtein("p", [5]),), 3)) == [("p", [5], [1], False)]
    assert tamri.build_model_inputs_checked([], 1).records == []


@pytest.mark.parametrize("padding", ["fixed", "Fixed_Length", " no_padding", ""])
def test_bad_padding_uses_the_binding_message(tamri_error, padding):
    assert tamri_error(tamri.build_model_inputs_checked, [], 0, padding=padding) == (
        "model_input.invalid_policy", f"invalid padding: '{padding}'. Expected 'fixed_length' or 'no_padding'", None)


@pytest.mark.parametrize("tokenized, max_length, expected", [
    ([], 0, ("model_input.invalid_policy", ZERO_LENGTH_MESSAGE)),
    ([tamri.TokenizedProtein("p", [300])], 0, ("model_input.invalid_sequence",
                                                "token id 300 is outside the supported 0..=255 range")),
    # Every record's tokens are checked before any record is judged by the core.
    ([tamri.TokenizedProtein("e", []), tamri.TokenizedProtein("p", [1, 256, 999])], 4,
     ("model_input.invalid_sequence", "token id 256 is outside the supported 0..=255 range")),
    ([tamri.TokenizedProtein("p", [2**64 - 1])], 4,
     ("model_input.invalid_sequence", "token id 18446744073709551615 is outside the supported 0..=255 range")),
    ([tamri.TokenizedProtein("p", [1], valid=True, errors=[tamri.ResidueIssue("*", 1)])], 4,
     ("model_input.invalid_sequence",
      "sequence 'p' is not model-ready: 0 warnings and 1 errors must be resolved before building model input")),
    (tamri.tokenize_fasta_records(">ok\nMK\n>x\nMXB\n"), 4,
     ("model_input.invalid_sequence",
      "sequence 'x' is not model-ready: 2 warnings and 0 errors must be resolved before building model input")),
])
def test_checks_run_in_order(tamri_error, tokenized, max_length, expected):
    assert tamri_error(tamri.build_model_inputs_checked, tokenized, max_length) == (*expected, None)


def test_valid_false_without_issues_still_builds():
    # Readiness is read from the issue lists, not from the flag.
    built = tamri.build_model_inputs_checked([tamri.TokenizedProtein("p", [1], valid=False)], 2)
    assert rows(built) == [("p", [1], [1], False)]


def test_model_input_record_constructor_stores_values_as_given():
    record = tamri.ModelInputRecord("r", [1, 300], (1,), truncated=False)
    assert (record.id, record.input_ids, record.attention_mask, record.truncated) == ("r", [1, 300], [1], False)


def test_a_row_too_long_to_allocate_is_a_memory_error():
    with pytest.raises(MemoryError):
        tamri.build_model_inputs_checked([tamri.TokenizedProtein("p", [1])], 2**64 - 1, padding="fixed_length")
