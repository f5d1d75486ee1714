#pragma once

// The tokenizer's values: the six built-in profiles and three vocabularies, special tokens,
// configurations, and tokenized sequences with their batch summary.

#include "tamri/base/enum_table.hpp"
#include "tamri/json/record.hpp"
#include "tamri/sequence/kind.hpp"
#include "tamri/sequence/types.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamri {

// The six built-in profiles; the enumerator value is the profile's index.
enum class ProteinTokenizerProfile : std::uint8_t {
    protein_20 = 0,
    protein_20_special = 1,
    dna_iupac = 2,
    dna_iupac_special = 3,
    rna_iupac = 4,
    rna_iupac_special = 5,
};

// Also the alphabet written into tokenized output.
[[nodiscard]] constexpr EnumTable<ProteinTokenizerProfile, 6> enum_table(ProteinTokenizerProfile) noexcept {
    using enum ProteinTokenizerProfile;
    return {{{{protein_20, "protein-20"},
              {protein_20_special, "protein-20-special"},
              {dna_iupac, "dna-iupac"},
              {dna_iupac_special, "dna-iupac-special"},
              {rna_iupac, "rna-iupac"},
              {rna_iupac_special, "rna-iupac-special"}}}};
}

// The three built-in vocabularies; profiles 2n and 2n + 1 share vocabulary n.
enum class BuiltinVocabulary : std::uint8_t { protein_20 = 0, dna_iupac = 1, rna_iupac = 2 };

// The vocabularies' names: vocabulary n is named for the alphabet of kind n.
[[nodiscard]] constexpr EnumTable<BuiltinVocabulary, 3> enum_table(BuiltinVocabulary) noexcept {
    using enum BuiltinVocabulary;
    return {{{{protein_20, sequence_kind_alphabet(SequenceKind::protein)},
              {dna_iupac, sequence_kind_alphabet(SequenceKind::dna)},
              {rna_iupac, sequence_kind_alphabet(SequenceKind::rna)}}}};
}

// A residue outside the vocabulary becomes the unknown token and is reported as a warning
// (ambiguity code) or an error (anything else).
enum class UnknownTokenPolicy : std::uint8_t { warn_or_error_with_unknown_token };

[[nodiscard]] constexpr EnumTable<UnknownTokenPolicy, 1> enum_table(UnknownTokenPolicy) noexcept {
    return {{{{UnknownTokenPolicy::warn_or_error_with_unknown_token, "warn_or_error_with_unknown_token"}}}};
}

struct VocabToken {
    char32_t residue = 0;
    std::uint8_t token_id = 0;

    friend bool operator==(const VocabToken&, const VocabToken&) = default;
};

constexpr auto json_schema(std::type_identity<VocabToken>) {
    return json::record_schema<VocabToken>("struct VocabToken", json::UnknownFields::ignore,
                                           json::field<&VocabToken::residue>("residue"),
                                           json::field<&VocabToken::token_id>("token_id"));
}

struct Vocabulary {
    std::string name;
    std::vector<VocabToken> tokens;  // id order for the built-ins
    std::uint8_t unknown_token_id = 0;
    UnknownTokenPolicy unknown_token_policy = UnknownTokenPolicy::warn_or_error_with_unknown_token;

    friend bool operator==(const Vocabulary&, const Vocabulary&) = default;
};

// Vocabulary assets may carry keys of their own.
constexpr auto json_schema(std::type_identity<Vocabulary>) {
    return json::record_schema<Vocabulary>(
        "struct Vocabulary", json::UnknownFields::ignore, json::field<&Vocabulary::name>("name"),
        json::field<&Vocabulary::tokens>("tokens"), json::field<&Vocabulary::unknown_token_id>("unknown_token_id"),
        json::field<&Vocabulary::unknown_token_policy>("unknown_token_policy"));
}

struct SpecialToken {
    std::string_view text;  // "<UNK>", "<PAD>", "<CLS>", "<SEP>" or "<MASK>"
    std::uint8_t id = 0;

    friend bool operator==(const SpecialToken&, const SpecialToken&) = default;
};

// The five special tokens, numbered on from the vocabulary's unknown id u: UNK u, PAD u+1,
// CLS u+2, SEP u+3, MASK u+4.
struct SpecialTokenSet {
    SpecialToken unk;
    SpecialToken pad;
    SpecialToken cls;
    SpecialToken sep;
    SpecialToken mask;

    friend bool operator==(const SpecialTokenSet&, const SpecialTokenSet&) = default;
};

struct ProteinTokenizerConfig {
    ProteinTokenizerProfile profile = ProteinTokenizerProfile::protein_20;
    bool add_special_tokens = false;

    friend bool operator==(const ProteinTokenizerConfig&, const ProteinTokenizerConfig&) = default;
};

// {"profile":"protein-20","add_special_tokens":false}
constexpr auto json_schema(std::type_identity<ProteinTokenizerConfig>) {
    return json::record_schema<ProteinTokenizerConfig>(
        "struct ProteinTokenizerConfig", json::UnknownFields::reject,
        json::field<&ProteinTokenizerConfig::profile>("profile"),
        json::field<&ProteinTokenizerConfig::add_special_tokens>("add_special_tokens"));
}

struct ProteinTokenizerInspection {
    Vocabulary vocabulary;  // a copy of the profile's built-in vocabulary
    SpecialTokenSet special_tokens;
    ProteinTokenizerConfig config;

    friend bool operator==(const ProteinTokenizerInspection&, const ProteinTokenizerInspection&) = default;
};

// One sequence as 8-bit token ids, with the residues that became the unknown token.
struct TokenizedProtein {
    std::string id;
    std::string alphabet;                // the profile's text, e.g. "protein-20-special"
    std::vector<std::uint8_t> tokens;    // special tokens included
    std::vector<ResidueIssue> warnings;  // ambiguity codes
    std::vector<ResidueIssue> errors;    // everything else outside the vocabulary
    std::size_t length = 0;              // tokens.size()
    bool valid = true;                   // no warnings and no errors

    friend bool operator==(const TokenizedProtein&, const TokenizedProtein&) = default;
};

constexpr auto json_schema(std::type_identity<TokenizedProtein>) {
    using Tokenized = TokenizedProtein;
    return json::record_schema<Tokenized>(
        "struct TokenizedProtein", json::UnknownFields::reject, json::field<&Tokenized::id>("id"),
        json::field<&Tokenized::length>("length"), json::field<&Tokenized::alphabet>("alphabet"),
        json::field<&Tokenized::valid>("valid"), json::field<&Tokenized::tokens>("tokens"),
        json::field<&Tokenized::warnings>("warnings"), json::field<&Tokenized::errors>("errors"));
}

// Counts over a batch of tokenized sequences.
struct ProteinBatchSummary {
    std::size_t records = 0;
    std::size_t total_length = 0;
    std::size_t valid_records = 0;
    std::size_t warning_count = 0;
    std::size_t error_count = 0;

    friend bool operator==(const ProteinBatchSummary&, const ProteinBatchSummary&) = default;
};

constexpr auto json_schema(std::type_identity<ProteinBatchSummary>) {
    using Summary = ProteinBatchSummary;
    return json::record_schema<Summary>(
        "struct ProteinBatchSummary", json::UnknownFields::reject, json::field<&Summary::records>("records"),
        json::field<&Summary::total_length>("total_length"), json::field<&Summary::valid_records>("valid_records"),
        json::field<&Summary::warning_count>("warning_count"), json::field<&Summary::error_count>("error_count"));
}

}  // namespace tamri
