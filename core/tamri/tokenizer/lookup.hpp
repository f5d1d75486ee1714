#pragma once

// Constant per-vocabulary data used on the tokenization path: residue letters, the 256-entry
// byte-to-token tables and the ambiguity codes that turn an unknown residue into a warning.

#include "tamri/sequence/kind.hpp"
#include "tamri/tokenizer/types.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tamri {

using TokenLookupTable = std::array<std::uint8_t, 256>;

// The table entry of a byte that is not in the vocabulary.
inline constexpr std::uint8_t no_token_id = 255;

// The kind whose alphabet a vocabulary is: vocabulary n reads the letters of kind n.
[[nodiscard]] constexpr SequenceKind builtin_vocabulary_kind(BuiltinVocabulary vocabulary) noexcept {
    return static_cast<SequenceKind>(vocabulary);
}

// Residue letters in id order: residue i has token id i.
[[nodiscard]] constexpr std::string_view builtin_vocabulary_residues(BuiltinVocabulary vocabulary) noexcept {
    return kind_alphabet(builtin_vocabulary_kind(vocabulary)).standard;
}

// The unknown id follows the residue ids: 20 for protein-20, 4 for the nucleic vocabularies.
[[nodiscard]] constexpr std::uint8_t builtin_unknown_token_id(BuiltinVocabulary vocabulary) noexcept {
    return static_cast<std::uint8_t>(builtin_vocabulary_residues(vocabulary).size());
}

// Upper-case residues that are reported as warnings rather than errors when unknown.
[[nodiscard]] constexpr std::string_view builtin_ambiguity_codes(BuiltinVocabulary vocabulary) noexcept {
    return kind_alphabet(builtin_vocabulary_kind(vocabulary)).ambiguous;
}

// Upper- and lower-case letters of the vocabulary map to their id; every other byte, all of
// 0x80-0xFF included, to `no_token_id`.
[[nodiscard]] constexpr TokenLookupTable build_token_lookup_table(std::string_view residues) noexcept {
    TokenLookupTable table{};
    table.fill(no_token_id);
    for (std::size_t id = 0; id < residues.size(); ++id) {
        const auto upper = static_cast<unsigned char>(residues[id]);
        table[upper] = static_cast<std::uint8_t>(id);
        table[static_cast<unsigned char>(upper | 0x20U)] = static_cast<std::uint8_t>(id);
    }
    return table;
}

inline constexpr std::array<TokenLookupTable, 3> builtin_token_lookup_tables{
    build_token_lookup_table(builtin_vocabulary_residues(BuiltinVocabulary::protein_20)),
    build_token_lookup_table(builtin_vocabulary_residues(BuiltinVocabulary::dna_iupac)),
    build_token_lookup_table(builtin_vocabulary_residues(BuiltinVocabulary::rna_iupac)),
};

[[nodiscard]] constexpr const TokenLookupTable& token_lookup_table(BuiltinVocabulary vocabulary) noexcept {
    return builtin_token_lookup_tables[static_cast<std::size_t>(vocabulary)];
}

// 1 for each ambiguity code of a vocabulary, in either case: an unknown residue is judged with one
// lookup.
[[nodiscard]] constexpr TokenLookupTable build_ambiguity_table(std::string_view codes) noexcept {
    TokenLookupTable table{};
    for (const char code : codes) {
        const auto upper = static_cast<unsigned char>(code);
        table[upper] = 1;
        table[static_cast<unsigned char>(upper | 0x20U)] = 1;
    }
    return table;
}

inline constexpr std::array<TokenLookupTable, 3> builtin_ambiguity_tables{
    build_ambiguity_table(builtin_ambiguity_codes(BuiltinVocabulary::protein_20)),
    build_ambiguity_table(builtin_ambiguity_codes(BuiltinVocabulary::dna_iupac)),
    build_ambiguity_table(builtin_ambiguity_codes(BuiltinVocabulary::rna_iupac)),
};

// True for an ambiguity code of the vocabulary, in either case.
[[nodiscard]] constexpr bool is_builtin_ambiguity_code(BuiltinVocabulary vocabulary, char32_t residue) noexcept {
    return residue < 0x80 && builtin_ambiguity_tables[static_cast<std::size_t>(vocabulary)][residue] != 0;
}

}  // namespace tamri
