import gc
import pytest

import tamri

PROFILES = ["protein-20", "protein-20-special", "dna-iupac", "dna-iupac-special", "rna-iupac", "rna-iupac-special"]
BAD_PROFILE_MESSAGE = ("invalid tokenizer profile: '{}'. Expected one of protein-20, protein-20-special, dna-iupac, "
                       "dna-iupac-special, rna-iupac, rna-iupac-special")


def issues(items):
    return [(issue.residue, issue.position) for issue in items]


def test_defaults_are_user_and_protein_20():
    tokenized = tamri.tokenize_protein("acdy")
    assert (tokenized.id, tokenized.alphabet, tokenized.valid) == ("user", "protein-20", True)
    assert (tokenized.tokens, tokenized.length) == ([0, 1, 2, 19], 4)


@pytest.mark.parametrize("profile, sequence, tokens, warnings, errors", [
    ("protein-20", "MKX*", [10, 8, 20, 20], [("X", 3)], [("*", 4)]),
    ("protein-20-special", "MK", [22, 10, 8, 23], [], []),
    ("dna-iupac-special", "GU", [6, 2, 4, 7], [], [("U", 2)]),
    ("rna-iupac", "ACGU", [0, 1, 2, 3], [], []),
    ("protein-20", "AéC", [0, 20, 1], [], [("é", 2)]),
    # The sequence is normalized first, Unicode white space included.
    ("protein-20", " a\u00a0c\u2003\t\n", [0, 1], [], []),
])
def test_profiles_choose_vocabulary_and_special_tokens(profile, sequence, tokens, warnings, errors):
    tokenized = tamri.tokenize_protein(sequence, id="r1", profile=profile)
    assert (tokenized.id, tokenized.alphabet, tokenized.tokens, tokenized.length) == ("r1", profile, tokens, len(tokens))
    assert (issues(tokenized.warnings), issues(tokenized.errors)) == (warnings, errors)
    assert tokenized.valid == (not warnings and not errors)


# Which near misses are refused is the core's to pin; these show the refusal comes first.
@pytest.mark.parametrize("profile", ["Protein-20", ""])
@pytest.mark.parametrize("call", [
    lambda profile: tamri.tokenize_protein("MK", profile=profile),
    lambda profile: tamri.tokenize_fasta_records("", profile),
    lambda profile: tamri.tokenize_fasta_records("no header", profile=profile),
])
def test_bad_profile_is_raised_before_the_text_is_read(tamri_error, call, profile):
    assert tamri_error(call, profile) == ("tokenizer.invalid_profile", BAD_PROFILE_MESSAGE.format(profile), None)


@pytest.mark.parametrize("profile", PROFILES)
def test_fasta_records_are_tokenized_in_order(profile):
    tokenized = tamri.tokenize_fasta_records(">a first\nAC\n\n>b\nc\nA\n", profile)
    expected = [tamri.tokenize_protein("AC", "a", profile), tamri.tokenize_protein("CA", "b", profile)]
    assert [(t.id, t.alphabet, t.tokens, t.length) for t in tokenized] == [
        (t.id, t.alphabet, t.tokens, t.length) for t in expected]


def test_fasta_is_read_with_the_stream_line_rules():
    # An indented header holding non-ASCII text is a sequence line for the stream reader.
    [record] = tamri.tokenize_fasta_records(">a\nAC\n >\u00e9\n")
    assert issues(record.errors) == [(">", 3), ("\u00e9", 4)]


def test_tokenized_protein_constructor_stores_values_as_given():
    built = tamri.TokenizedProtein("p", [1, 300, 2**64 - 1], length=7, alphabet="any", errors=[tamri.ResidueIssue("X", 2)])
    assert (built.id, built.alphabet, built.valid, built.tokens, built.length) == ("p", "any", True, [1, 300, 2**64 - 1], 7)
    assert (issues(built.warnings), issues(built.errors)) == ([], [("X", 2)])
    assert tamri.TokenizedProtein("q", (4, 5, 6)).length == 3


# Token lists are made with the collector held off; it must come back as it was, and the lists
# must stay ordinary tracked lists whose cycles it collects.
@pytest.mark.parametrize("enabled", [True, False])
def test_token_lists_leave_the_collector_as_it_was(enabled):
    (gc.enable if enabled else gc.disable)()
    try:
        tokens = tamri.tokenize_protein("MKV").tokens
        assert gc.isenabled() is enabled and gc.is_tracked(tokens)
        tokens.append(tokens)
        del tokens
        assert gc.collect() >= 1
    finally:
        gc.enable()
