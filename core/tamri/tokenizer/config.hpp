#pragma once

// Tokenizer profiles and their configurations: the vocabulary, kind and special tokens a profile
// implies, its inspection, and the JSON form of the configuration asset.

#include "tamri/json/decode.hpp"
#include "tamri/sequence/kind.hpp"
#include "tamri/tokenizer/types.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tamri {

[[nodiscard]] constexpr BuiltinVocabulary tokenizer_profile_vocabulary(ProteinTokenizerProfile profile) noexcept {
    return static_cast<BuiltinVocabulary>(static_cast<unsigned>(profile) / 2U);
}

// protein, DNA or RNA: the kind its vocabulary tokenizes.
[[nodiscard]] constexpr SequenceKind tokenizer_profile_kind(ProteinTokenizerProfile profile) noexcept {
    return static_cast<SequenceKind>(static_cast<unsigned>(profile) / 2U);
}

// True for the three "-special" profiles.
[[nodiscard]] constexpr bool tokenizer_profile_adds_special_tokens(ProteinTokenizerProfile profile) noexcept {
    return (static_cast<unsigned>(profile) % 2U) == 1U;
}

// The configuration callers build from a profile: special tokens exactly for "-special".
[[nodiscard]] constexpr ProteinTokenizerConfig protein_tokenizer_config_for_profile(
    ProteinTokenizerProfile profile) noexcept {
    return ProteinTokenizerConfig{profile, tokenizer_profile_adds_special_tokens(profile)};
}

// UNK, PAD, CLS, SEP, MASK numbered on from the unknown id of the profile's vocabulary.
[[nodiscard]] SpecialTokenSet special_tokens_for_profile(ProteinTokenizerProfile profile);

// The profile's built-in vocabulary (copied), its special tokens and the configuration.
[[nodiscard]] ProteinTokenizerInspection inspect_protein_tokenizer_config(const ProteinTokenizerConfig& config);

// Reads a tokenizer configuration asset: exactly the keys "profile" (one of the six texts)
// and "add_special_tokens" (boolean). Throws json::DecodeError ("json.invalid"); whether the flag suits the
// profile is for the caller to judge.
[[nodiscard]] ProteinTokenizerConfig parse_protein_tokenizer_config(std::string_view json_text);

}  // namespace tamri
