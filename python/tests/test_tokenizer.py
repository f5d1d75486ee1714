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
    ("dna-iupac", "acgtn", [0, 1, 2, 3, 4], [("N", 5)], []),
    ("dna-iupac-special", "GU", [6, 2, 4, 7], [], [("U", 2)]),
    ("rna-iupac", "ACGU", [0, 1, 2, 3], [], []),
    ("rna-iupac-special", "", [6, 7], [], []),
    ("protein-20", "AéC", [0, 20, 1], [], [("é", 2)]),
])
def test_profiles_choose_vocabulary_and_special_tokens(profile, sequence, tokens, warnings, errors):
    tokenized = tamri.tokenize_protein(sequence, id="r1", profile=profile)
    assert (tokenized.id, tokenized.alphabet, tokenized.tokens, tokenized.length) == ("r1", profile, tokens, len(tokens))
    assert (issues(tokenized.warnings), issues(tokenized.errors)) == (warnings, errors)
    assert tokenized.valid == (not warnings and not errors)


@pytest.mark.parametrize("sequence", ["A\u00a0C", " a c\n", "A\u2003\tC"])
def test_sequences_are_normalized_before_tokenizing(sequence):
    assert tamri.tokenize_protein(sequence).tokens == [0, 1]


@pytest.mark.parametrize("profile", ["Protein-20", " protein-20", "protein-20 ", "", "protein"])
@pytest.mark.parametrize("call", [
    lambda profile: tamri.tokenize_protein("MK", profile=profile),
    lambda profile: tamri.tokenize_fasta_records("", profile),
    lambda profile: tamri.tokenize_fasta_records("no header", profile=profile),
])
def test_bad_profile_is_raised_before_the_text_is_read(call, profile):
    with pytest.raises(tamri.TamriError) as raised:
        call(profile)
    error = raised.value
    assert (error.code, error.args, error.location) == (
        "tokenizer.invalid_profile", (BAD_PROFILE_MESSAGE.format(profile),), None)


@pytest.mark.parametrize("profile", PROFILES)
def test_fasta_records_are_tokenized_in_order(profile):
    tokenized = tamri.tokenize_fasta_records(">a first\nAC\n\n>b\nc\nA\n", profile)
    expected = [tamri.tokenize_protein("AC", "a", profile), tamri.tokenize_protein("CA", "b", profile)]
    assert [(t.id, t.alphabet, t.tokens, t.length) for t in tokenized] == [
        (t.id, t.alphabet, t.tokens, t.length) for t in expected]


@pytest.mark.parametrize("text, code, message, location", [
    ("", "fasta.empty_input", "FASTA input is empty", None),
    ("AC\n", "fasta.missing_header", "FASTA input must start with a header line beginning with '>' at line 1",
     {"line": 1, "record_index": None}),
])
def test_malformed_fasta_is_raised_with_its_location(text, code, message, location):
    with pytest.raises(tamri.TamriError) as raised:
        tamri.tokenize_fasta_records(text)
    assert (raised.value.code, raised.value.message, raised.value.location) == (code, message, location)


def test_fasta_is_read_with_the_stream_line_rules():
    # An indented header holding non-ASCII text is a sequence line for the stream reader.
    [record] = tamri.tokenize_fasta_records(">a\nAC\n >é\n")
    assert issues(record.errors) == [(">", 3), ("é", 4)]


@pytest.mark.parametrize("kwargs, error, message", [
    ({"sequence": b"MK"}, TypeError, "argument 'sequence': 'bytes' object cannot be converted to 'str'"),
    ({"sequence": "MK", "profile": None}, TypeError, "argument 'profile': 'NoneType' object cannot be converted to 'str'"),
    ({"sequence": "MK", "kind": "dna"}, TypeError, "tokenize_protein() got an unexpected keyword argument 'kind'"),
])
def test_argument_conversion_failures(kwargs, error, message):
    with pytest.raises(error) as raised:
        tamri.tokenize_protein(**kwargs)
    assert str(raised.value) == message


def test_arguments_are_converted_before_the_profile_is_parsed():
    with pytest.raises(TypeError, match="argument 'fasta_text'"):
        tamri.tokenize_fasta_records(b">a\nAC", "bad profile")


def test_tokenized_protein_constructor_stores_values_as_given():
    built = tamri.TokenizedProtein("p", [1, 300, 2**64 - 1], length=7, alphabet="any", errors=[tamri.ResidueIssue("X", 2)])
    assert (built.id, built.alphabet, built.valid, built.tokens, built.length) == ("p", "any", True, [1, 300, 2**64 - 1], 7)
    assert (issues(built.warnings), issues(built.errors)) == ([], [("X", 2)])
    assert tamri.TokenizedProtein("q", (4, 5, 6)).length == 3


@pytest.mark.parametrize("kwargs, error, message", [
    ({"tokens": "ABC"}, TypeError, "argument 'tokens': a 'str' cannot be taken as a list of 'int'"),
    ({"tokens": [1, 2**64]}, OverflowError, None),
    ({"tokens": [1.0]}, TypeError, "argument 'tokens': 'float' object cannot be interpreted as an integer"),
    ({"tokens": [], "length": -1}, OverflowError, None),
    ({"tokens": [], "valid": 1}, TypeError, "argument 'valid': 'int' object cannot be converted to 'bool'"),
    ({"tokens": [], "errors": ["X"]}, TypeError,
     "argument 'errors': 'str' object cannot be converted to 'ResidueIssue'"),
])
def test_tokenized_protein_constructor_refuses(kwargs, error, message):
    with pytest.raises(error) as raised:
        tamri.TokenizedProtein("p", **kwargs)
    if message is not None:
        assert str(raised.value) == message


@pytest.mark.parametrize("attribute, view", [
    ("tokens", list),
    ("warnings", issues),
    ("errors", issues),
])
def test_tokenized_attributes_are_fresh_on_every_access(attribute, view):
    tokenized = tamri.tokenize_protein("MXB*")
    first, second = getattr(tokenized, attribute), getattr(tokenized, attribute)
    assert first is not second and view(first) == view(second) != []
    assert not any(a is b for a, b in zip(first, second)) or attribute == "tokens"
    first.clear()
    assert view(getattr(tokenized, attribute)) == view(second)
