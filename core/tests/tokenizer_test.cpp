#include "tamri/json/writer.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/lookup.hpp"
#include "tamri/tokenizer/protein.hpp"
#include "tamri/tokenizer/vocab.hpp"
#include "test_support.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamri {
namespace {

using Profile = ProteinTokenizerProfile;

// Vocabulary tokens from their letters: residue i has token id i.
std::vector<VocabToken> tokens_of(std::u32string_view residues) {
    std::vector<VocabToken> tokens;
    for (const char32_t residue : residues) {
        tokens.push_back(VocabToken{residue, static_cast<std::uint8_t>(tokens.size())});
    }
    return tokens;
}

// ---- Profiles ---------------------------------------------------------------------------

// Texts and indices are the enumeration's own; these are what each profile stands for.
TEST(TokenizerProfile, NamesItsVocabularyKindAndConfig) {
    const struct {
        Profile profile;
        std::string_view vocabulary;
        SequenceKind kind;
        bool special;
    } cases[] = {{Profile::protein_20, "protein-20", SequenceKind::protein, false},
                 {Profile::protein_20_special, "protein-20", SequenceKind::protein, true},
                 {Profile::dna_iupac, "dna-iupac", SequenceKind::dna, false},
                 {Profile::dna_iupac_special, "dna-iupac", SequenceKind::dna, true},
                 {Profile::rna_iupac, "rna-iupac", SequenceKind::rna, false},
                 {Profile::rna_iupac_special, "rna-iupac", SequenceKind::rna, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(enum_text(c.profile));
        EXPECT_EQ(builtin_vocabulary(tokenizer_profile_vocabulary(c.profile)).name, c.vocabulary);
        EXPECT_EQ(tokenizer_profile_kind(c.profile), c.kind);
        EXPECT_EQ(protein_tokenizer_config_for_profile(c.profile), (ProteinTokenizerConfig{c.profile, c.special}));
    }
}

// ---- Special tokens and inspection ------------------------------------------------------

// An inspection copies the built-in vocabulary with its special tokens.
TEST(SpecialTokens, NumberOnFromTheUnknownIdOfTheVocabulary) {
    const SpecialTokenSet nucleic{{"<UNK>", 4}, {"<PAD>", 5}, {"<CLS>", 6}, {"<SEP>", 7}, {"<MASK>", 8}};
    const SpecialTokenSet protein{{"<UNK>", 20}, {"<PAD>", 21}, {"<CLS>", 22}, {"<SEP>", 23}, {"<MASK>", 24}};
    for (const Profile profile : {Profile::dna_iupac, Profile::dna_iupac_special, Profile::rna_iupac_special}) {
        EXPECT_EQ(special_tokens_for_profile(profile), nucleic) << enum_text(profile);
    }
    EXPECT_EQ(special_tokens_for_profile(Profile::protein_20), protein);
    EXPECT_EQ(special_tokens_for_profile(Profile::protein_20_special), protein);

    const ProteinTokenizerConfig config{Profile::protein_20_special, true};
    const ProteinTokenizerInspection inspection = inspect_protein_tokenizer_config(config);
    EXPECT_EQ(inspection.vocabulary, (Vocabulary{"protein-20", tokens_of(U"ACDEFGHIKLMNPQRSTVWY"), 20,
                                                 UnknownTokenPolicy::warn_or_error_with_unknown_token}));
    EXPECT_EQ(inspection.special_tokens, protein);
    EXPECT_EQ(inspection.config, config);
}

// ---- Built-in vocabularies and lookup tables --------------------------------------------

TEST(TokenLookupTable, MapsBothCasesOfVocabularyLettersAndNothingElse) {
    EXPECT_EQ(token_lookup_table(BuiltinVocabulary::protein_20)['y'], 19);
    EXPECT_EQ(token_lookup_table(BuiltinVocabulary::dna_iupac)['t'], 3);
    EXPECT_EQ(token_lookup_table(BuiltinVocabulary::rna_iupac)['u'], 3);
    for (const BuiltinVocabulary vocabulary :
         {BuiltinVocabulary::protein_20, BuiltinVocabulary::dna_iupac, BuiltinVocabulary::rna_iupac}) {
        const TokenLookupTable& table = token_lookup_table(vocabulary);
        std::size_t mapped = 0;
        for (std::size_t byte = 0; byte < table.size(); ++byte) {
            if (table[byte] != no_token_id) {
                ++mapped;
                EXPECT_TRUE((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z')) << byte;
            }
        }
        EXPECT_EQ(mapped, 2 * builtin_vocabulary(vocabulary).tokens.size());
    }
}

// ---- Vocabulary and configuration JSON -------------------------------------------------

std::string vocabulary_json(const Vocabulary& vocabulary) {
    json::JsonWriter writer;
    json::write_value(writer, vocabulary);
    return writer.take();
}

TEST(VocabularyJson, WritesNameTokensUnknownIdThenPolicyAndLoadsWhatItWrites) {
    EXPECT_EQ(vocabulary_json(builtin_vocabulary(BuiltinVocabulary::dna_iupac)),
              R"({"name":"dna-iupac","tokens":[{"residue":"A","token_id":0},{"residue":"C","token_id":1},)"
              R"({"residue":"G","token_id":2},{"residue":"T","token_id":3}],"unknown_token_id":4,)"
              R"("unknown_token_policy":"warn_or_error_with_unknown_token"})");
    for (const BuiltinVocabulary vocabulary :
         {BuiltinVocabulary::protein_20, BuiltinVocabulary::dna_iupac, BuiltinVocabulary::rna_iupac}) {
        EXPECT_EQ(load_vocab_json(vocabulary_json(builtin_vocabulary(vocabulary))), builtin_vocabulary(vocabulary));
    }
}

TEST(VocabularyJson, IgnoresExtraKeysAndDoesNotJudgeTheTokens) {
    const Vocabulary vocabulary =
        load_vocab_json(R"({"vocab_size":2,"name":"mine","tokens":[{"residue":"é","token_id":255,"note":1},)"
                        R"({"token_id":255,"residue":"é"}],"unknown_token_policy":"warn_or_error_with_unknown_token",)"
                        R"("unknown_token_id":0})");
    EXPECT_EQ(
        vocabulary,
        (Vocabulary{
            "mine", {{U'\u00e9', 255}, {U'\u00e9', 255}}, 0, UnknownTokenPolicy::warn_or_error_with_unknown_token}));
}

// The flag is read as given, whether or not the profile adds special tokens.
TEST(TokenizerConfigJson, WritesProfileThenFlagAndReadsBothKeysInAnyOrder) {
    json::JsonWriter writer;
    json::write_value(writer, ProteinTokenizerConfig{Profile::protein_20, true});
    EXPECT_EQ(writer.text(), R"({"profile":"protein-20","add_special_tokens":true})");
    EXPECT_EQ(parse_protein_tokenizer_config(writer.text()), (ProteinTokenizerConfig{Profile::protein_20, true}));
    EXPECT_EQ(parse_protein_tokenizer_config(" {\"add_special_tokens\": false,\n \"profile\": \"rna-iupac-special\"} "),
              (ProteinTokenizerConfig{Profile::rna_iupac_special, false}));
}

struct ErrorCase {
    std::string_view input;
    std::string_view detail;
    bool vocabulary = true;
};

class TokenizerJsonErrors : public testing::TestWithParam<ErrorCase> {};

// The vocabulary loader puts the parser's message behind its own code and prefix; the
// configuration reader lets the parser's own failure through.
TEST_P(TokenizerJsonErrors, NameTheKeyOrValueAndItsPosition) {
    const ErrorCase& c = GetParam();
    if (c.vocabulary) {
        EXPECT_EQ(failure_of<TokenizerError>([&] { return load_vocab_json(c.input); }),
                  (Failure{"tokenizer.invalid_vocabulary", fmt::format("invalid vocabulary JSON: {}", c.detail),
                           std::nullopt}));
    } else {
        EXPECT_EQ(failure_of<json::DecodeError>([&] { return parse_protein_tokenizer_config(c.input); }),
                  (Failure{"json.invalid", fmt::format("invalid JSON: {}", c.detail), std::nullopt}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Load, TokenizerJsonErrors,
    testing::Values(
        ErrorCase{R"({"name":"dna-iupac","tokens":[],"unknown_token_id":4})",
                  "missing field `unknown_token_policy` at line 1 column 53"},
        ErrorCase{R"({"tokens":[]})", "missing field `name` at line 1 column 13"},
        ErrorCase{R"({"name":"a","unknown_token_id":256})",
                  "invalid value: integer `256`, expected u8 at line 1 column 34"},
        ErrorCase{R"({"name":"a","tokens":[{"residue":"A","token_id":-1}]})",
                  "invalid value: integer `-1`, expected u8 at line 1 column 50"},
        ErrorCase{R"({"name":"a","tokens":[{"residue":"AB","token_id":0}]})",
                  "invalid value: string \"AB\", expected a character at line 1 column 37"},
        ErrorCase{R"({"name":"a","tokens":[{"residue":"A"}]})", "missing field `token_id` at line 1 column 37"},
        ErrorCase{"[]", "invalid type: sequence, expected struct Vocabulary at line 1 column 0"},
        ErrorCase{R"({"profile":"protein-20","add_special_tokens":false,"vocab":"x"})",
                  "unknown field `vocab`, expected `profile` or `add_special_tokens` at line 1 column 58", false},
        ErrorCase{R"({"add_special_tokens":false})", "missing field `profile` at line 1 column 28", false},
        ErrorCase{R"({"profile":"dna-iupac"})", "missing field `add_special_tokens` at line 1 column 23", false},
        ErrorCase{R"({"profile":"dna-iupac","add_special_tokens":"true"})",
                  "invalid type: string \"true\", expected a boolean at line 1 column 50", false}));

// ---- Tokenization -----------------------------------------------------------------------

struct TokenizeCase {
    Profile profile;
    std::string_view sequence;
    std::vector<std::uint8_t> tokens;
    std::vector<ResidueIssue> warnings;
    std::vector<ResidueIssue> errors;
};

class Tokenize : public testing::TestWithParam<TokenizeCase> {};

TEST_P(Tokenize, GivesOneTokenPerResidueAndOneIssuePerUnknownResidue) {
    const TokenizeCase& c = GetParam();
    const bool valid = c.warnings.empty() && c.errors.empty();
    EXPECT_EQ(tokenize_protein_with_config(ProteinSequence{"seq1", std::string{c.sequence}},
                                           protein_tokenizer_config_for_profile(c.profile)),
              (TokenizedProtein{"seq1", std::string{enum_text(c.profile)}, c.tokens, c.warnings, c.errors,
                                c.tokens.size(), valid}));
}

using Tokens = std::vector<std::uint8_t>;

INSTANTIATE_TEST_SUITE_P(
    Cases, Tokenize,
    testing::Values(
        TokenizeCase{Profile::protein_20, "ACDY", {0, 1, 2, 19}, {}, {}},
        TokenizeCase{Profile::protein_20_special, "mk", {22, 10, 8, 23}, {}, {}},
        TokenizeCase{Profile::protein_20, "mxbjouz", {10, 20, 20, 20, 20, 20, 20}, issues_from(2, U"XBJOUZ"), {}},
        TokenizeCase{Profile::protein_20, "M*K", {10, 20, 8}, {}, {{2, U'*'}}},
        TokenizeCase{Profile::dna_iupac, "ACGTN", {0, 1, 2, 3, 4}, {{5, U'N'}}, {}},
        TokenizeCase{Profile::dna_iupac, "ACGU", {0, 1, 2, 4}, {}, {{4, U'U'}}},
        TokenizeCase{Profile::dna_iupac, "z1", {4, 4}, {}, issues_from(1, U"Z1")},
        TokenizeCase{Profile::rna_iupac, "ACGT", {0, 1, 2, 4}, {}, {{4, U'T'}}},
        TokenizeCase{Profile::rna_iupac_special, "ACGU", {6, 0, 1, 2, 3, 7}, {}, {}},
        TokenizeCase{Profile::rna_iupac, "bdhkmnrsvwy", Tokens(11, 4), issues_from(1, U"BDHKMNRSVWY"), {}},
        TokenizeCase{Profile::dna_iupac, "\tA\r\nC\f G ", {0, 1, 2}, {}, {}},
        TokenizeCase{Profile::dna_iupac, "A\vC", {0, 4, 1}, {}, {{2, U'\v'}}},
        TokenizeCase{Profile::protein_20, "", {}, {}, {}},
        TokenizeCase{Profile::dna_iupac_special, " \n", {6, 7}, {}, {}},
        // Non-ASCII input: positions count characters; only ASCII white space is dropped.
        TokenizeCase{Profile::protein_20, "A\u00e9C", {0, 20, 1}, {}, {{2, U'\u00e9'}}},
        TokenizeCase{Profile::protein_20_special,
                     "a \u00e9x\u3000c",
                     {22, 0, 20, 20, 20, 1, 23},
                     {{3, U'X'}},
                     {{2, U'\u00e9'}, {4, U'\u3000'}}},
        // Not UTF-8: positions count bytes, each high byte is its own error.
        TokenizeCase{Profile::dna_iupac, "a\351 \377n", {0, 4, 4, 4}, {{4, U'N'}}, issues_from(2, U"\u00e9\u00ff")}));

TEST(ProteinBatchSummary, CountsRecordsLengthsAndIssues) {
    const ProteinTokenizerConfig dna = protein_tokenizer_config_for_profile(Profile::dna_iupac);
    // Every count differs, so a field or key that takes another count's value is seen.
    std::vector<TokenizedProtein> batch;
    for (const std::string_view sequence : {"ACGT", "NNU", "AC", "A"}) {
        batch.push_back(tokenize_protein_with_config(ProteinSequence{"r", std::string{sequence}}, dna));
    }
    const ProteinBatchSummary summary = summarize_protein_batch(batch);
    EXPECT_EQ(summary, (ProteinBatchSummary{4, 10, 3, 2, 1}));
    json::JsonWriter writer;
    json::write_value(writer, summary);
    EXPECT_EQ(writer.text(), R"({"records":4,"total_length":10,"valid_records":3,"warning_count":2,"error_count":1})");
    EXPECT_EQ(summarize_protein_batch({}), (ProteinBatchSummary{}));
}

// The streaming tokenizer must match tokenizing each parsed record, including when a shorter
// record follows a longer one in the reused buffer, and fail as the reader does.
TEST(TokenizeFastaStream, MatchesTokenizingEachParsedRecord) {
    const ProteinTokenizerConfig config = protein_tokenizer_config_for_profile(Profile::protein_20_special);
    const std::string text = ">a\nMKV\nLX\n>b desc\nm\n>c\r\nAC\u00e9\n";
    MemoryByteLineReader parsed_reader{text};
    std::vector<TokenizedProtein> expected;
    for (const ProteinSequence& record : parse_fasta_records_reader(parsed_reader).records) {
        expected.push_back(tokenize_protein_with_config(record, config));
    }
    MemoryByteLineReader reader{text};
    EXPECT_EQ(tokenize_fasta_stream(reader, config), expected);

    MemoryByteLineReader missing{">a\nMK\n>b\n>c\nM\n"};
    const Failure failure = failure_of<FastaReadError>([&] { return tokenize_fasta_stream(missing, config); });
    MemoryByteLineReader missing_again{">a\nMK\n>b\n>c\nM\n"};
    EXPECT_EQ(failure, failure_of<FastaReadError>([&] { return parse_fasta_records_reader(missing_again); }));
    EXPECT_EQ(failure.code, "fasta.missing_sequence");
}

}  // namespace
}  // namespace tamri
