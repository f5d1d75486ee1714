#pragma once

// The three sequence kinds (protein, DNA, RNA) with their configuration texts, message labels and
// alphabets: the one declaration of each kind's letters, from which validation, detection and the
// tokenizer's tables are all derived.

#include "tamri/base/enum_table.hpp"

#include <array>
#include <cstddef>
#include <string_view>

namespace tamri {

// The order is part of the interface: candidate lists and per-kind counts follow it.
enum class SequenceKind { protein = 0, dna = 1, rna = 2 };

// The display and configuration texts.
[[nodiscard]] constexpr EnumTable<SequenceKind, 3> enum_table(SequenceKind) noexcept {
    return {{{{SequenceKind::protein, "protein"}, {SequenceKind::dna, "dna"}, {SequenceKind::rna, "rna"}}}};
}

// A kind's upper-case letters; lower case is read as upper case everywhere.
struct KindAlphabet {
    std::string_view name;
    std::string_view standard;   // in token-id order: the built-in vocabulary gives letter i id i
    std::string_view ambiguous;  // IUPAC ambiguity codes: a warning, never an error
};

inline constexpr std::array<KindAlphabet, 3> kind_alphabets{{
    {"protein-20", "ACDEFGHIKLMNPQRSTVWY", "BJOUXZ"},
    {"dna-iupac", "ACGT", "BDHKMNRSVWY"},
    {"rna-iupac", "ACGU", "BDHKMNRSVWY"},
}};

[[nodiscard]] constexpr const KindAlphabet& kind_alphabet(SequenceKind kind) noexcept {
    return kind_alphabets[static_cast<std::size_t>(kind)];
}

// "protein-20", "dna-iupac", "rna-iupac".
[[nodiscard]] constexpr std::string_view sequence_kind_alphabet(SequenceKind kind) noexcept {
    return kind_alphabet(kind).name;
}

// "protein", "DNA", "RNA": how messages name the kind.
[[nodiscard]] constexpr std::string_view sequence_kind_label(SequenceKind kind) noexcept {
    constexpr std::array<std::string_view, 3> labels{"protein", "DNA", "RNA"};
    return labels[static_cast<std::size_t>(kind)];
}

}  // namespace tamri
