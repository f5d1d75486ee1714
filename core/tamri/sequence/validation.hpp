#pragma once

// Residue validation of one record: the protein, DNA and RNA alphabets as lookup tables, the
// classification of one symbol, and a record validated as protein or under a given kind.

#include "tamri/sequence/kind.hpp"
#include "tamri/sequence/types.hpp"
#include "tamri/text/ascii.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {

namespace alphabet {

[[nodiscard]] constexpr std::array<std::uint8_t, 256> make_byte_table(std::string_view members) noexcept {
    std::array<std::uint8_t, 256> table{};
    for (const char c : members) {
        table[static_cast<unsigned char>(c)] = 1;
    }
    return table;
}

// Bit n stands for the letter 'A' + n; only A-Y fit, so Z is never a member.
[[nodiscard]] constexpr std::uint32_t make_letter_mask(std::string_view letters) noexcept {
    std::uint32_t mask = 0;
    for (const char c : letters) {
        mask |= 1U << static_cast<unsigned>(c - 'A');
    }
    return mask;
}

// Protein: 256-entry tables indexed by the (upper-cased) byte; 1 = member.
inline constexpr std::array<std::uint8_t, 256> protein_standard =
    make_byte_table(kind_alphabet(SequenceKind::protein).standard);
inline constexpr std::string_view protein_ambiguous_letters = kind_alphabet(SequenceKind::protein).ambiguous;
inline constexpr std::array<std::uint8_t, 256> protein_ambiguous = make_byte_table(protein_ambiguous_letters);

// DNA and RNA: 25-bit masks over A-Y, with one ambiguity mask for both.
inline constexpr std::uint32_t nucleic_letter_count = 25;
inline constexpr std::uint32_t nucleic_ambiguous_mask = make_letter_mask(kind_alphabet(SequenceKind::dna).ambiguous);
inline constexpr std::uint32_t dna_standard_mask = make_letter_mask(kind_alphabet(SequenceKind::dna).standard);
inline constexpr std::uint32_t rna_standard_mask = make_letter_mask(kind_alphabet(SequenceKind::rna).standard);

static_assert(kind_alphabet(SequenceKind::dna).ambiguous == kind_alphabet(SequenceKind::rna).ambiguous);
static_assert(((nucleic_ambiguous_mask | dna_standard_mask | rna_standard_mask) >> nucleic_letter_count) == 0);

}  // namespace alphabet

enum class ResidueClass : std::uint8_t { standard, ambiguous, unsupported };

// One table lookup for the common case; a byte is taken as already upper-cased.
[[nodiscard]] constexpr ResidueClass classify_protein_byte(unsigned char byte) noexcept {
    if (alphabet::protein_standard[byte] != 0) {
        return ResidueClass::standard;
    }
    return alphabet::protein_ambiguous[byte] != 0 ? ResidueClass::ambiguous : ResidueClass::unsupported;
}

// One shift-and-mask test; `standard_mask` is the DNA or the RNA mask.
[[nodiscard]] constexpr ResidueClass classify_nucleic_byte(unsigned char byte, std::uint32_t standard_mask) noexcept {
    const auto index = static_cast<std::uint32_t>(byte) - static_cast<std::uint32_t>('A');
    if (index >= alphabet::nucleic_letter_count) {
        return ResidueClass::unsupported;
    }
    const std::uint32_t bit = 1U << index;
    if ((alphabet::nucleic_ambiguous_mask & bit) != 0) {
        return ResidueClass::ambiguous;
    }
    return (standard_mask & bit) != 0 ? ResidueClass::standard : ResidueClass::unsupported;
}

[[nodiscard]] constexpr std::uint32_t nucleic_standard_mask(SequenceKind kind) noexcept {
    return kind == SequenceKind::rna ? alphabet::rna_standard_mask : alphabet::dna_standard_mask;
}

// Judges any character under `kind`: ASCII is upper-cased first, non-ASCII is never supported.
[[nodiscard]] constexpr ResidueClass classify_residue(char32_t residue, SequenceKind kind) noexcept {
    if (residue >= 0x80) {
        return ResidueClass::unsupported;
    }
    const unsigned char byte = text::ascii_upper(static_cast<unsigned char>(residue));
    return kind == SequenceKind::protein ? classify_protein_byte(byte)
                                         : classify_nucleic_byte(byte, nucleic_standard_mask(kind));
}

// Protein validation of one record. Byte-normalizes `sequence` in place, classifies it and
// stores it as text; bytes that are not valid UTF-8 are stored as U+FFFD, while the issues
// keep byte positions and report such bytes as the characters U+0080-U+00FF.
[[nodiscard]] ValidatedSequence validate_protein_sequence_owned(std::string id, std::string sequence);

// The same for a sequence already normalized (as FASTA sinks leave it): ASCII is judged without
// a second normalization pass.
[[nodiscard]] ValidatedSequence validate_normalized_protein_sequence(std::string id, std::string sequence);

// Kind-aware validation of one record; `detection` stays absent. Normalizes `sequence` in
// place (text that is not valid UTF-8 is first read with U+FFFD replacements).
[[nodiscard]] ValidatedSequenceRecord validate_sequence_record(std::string id, std::string sequence, SequenceKind kind);

}  // namespace tamri
