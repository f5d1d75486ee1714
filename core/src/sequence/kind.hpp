#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace tamri {

// The order is part of the interface: candidate lists and per-kind counts follow it.
enum class SequenceKind { protein = 0, dna = 1, rna = 2 };

inline constexpr std::array<SequenceKind, 3> all_sequence_kinds{SequenceKind::protein, SequenceKind::dna,
                                                                SequenceKind::rna};

// "protein", "dna", "rna": the display and configuration text.
[[nodiscard]] constexpr std::string_view sequence_kind_text(SequenceKind kind) noexcept {
    constexpr std::array<std::string_view, 3> texts{"protein", "dna", "rna"};
    return texts[static_cast<std::size_t>(kind)];
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

// Exact, case-sensitive match of the display text.
[[nodiscard]] constexpr std::optional<SequenceKind> parse_sequence_kind(std::string_view text) noexcept {
    for (const SequenceKind kind : all_sequence_kinds) {
        if (sequence_kind_text(kind) == text) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace tamri
