#pragma once

// The three sequence kinds (protein, DNA, RNA) with their configuration texts, alphabet names and
// message labels.

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

// "protein-20", "dna-iupac", "rna-iupac".
[[nodiscard]] constexpr std::string_view sequence_kind_alphabet(SequenceKind kind) noexcept {
    constexpr std::array<std::string_view, 3> names{"protein-20", "dna-iupac", "rna-iupac"};
    return names[static_cast<std::size_t>(kind)];
}

// "protein", "DNA", "RNA": how messages name the kind.
[[nodiscard]] constexpr std::string_view sequence_kind_label(SequenceKind kind) noexcept {
    constexpr std::array<std::string_view, 3> labels{"protein", "DNA", "RNA"};
    return labels[static_cast<std::size_t>(kind)];
}

}  // namespace tamri
