#include "tamri/sequence/detection.hpp"

#include "tamri/text/ascii.hpp"
#include "tamri/text/unicode.hpp"
#include "tamri/text/walk.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace tamri {
namespace {

enum SymbolClass : std::uint8_t {
    supported_by_protein = 1U << 0U,
    supported_by_dna = 1U << 1U,
    supported_by_rna = 1U << 2U,
    protein_only = 1U << 3U,
};
// The support bits follow the kinds' order.
static_assert(supported_by_rna == supported_by_protein << static_cast<unsigned>(SequenceKind::rna));

// Classes of upper-case ASCII symbols; every other byte is unsupported by all kinds.
constexpr std::array<std::uint8_t, 256> symbol_classes = [] {
    std::array<std::uint8_t, 256> table{};
    for (const SequenceKind kind : enum_values<SequenceKind>) {
        const KindAlphabet& alphabet = kind_alphabet(kind);
        const auto bit = static_cast<std::uint8_t>(supported_by_protein << static_cast<unsigned>(kind));
        for (const std::string_view letters : {alphabet.standard, alphabet.ambiguous}) {
            for (const char c : letters) {
                table[static_cast<unsigned char>(c)] |= bit;
            }
        }
    }
    // Letters only protein reads are evidence for protein.
    for (std::uint8_t& symbol_class : table) {
        if (symbol_class == supported_by_protein) {
            symbol_class |= protein_only;
        }
    }
    return table;
}();

struct DetectionTally {
    std::array<std::size_t, 3> unsupported{};  // indexed by SequenceKind
    bool protein_evidence = false;
    bool saw_t = false;
    bool saw_u = false;

    void count(std::uint8_t symbol_class) noexcept {
        unsupported[0] += (symbol_class & supported_by_protein) ? 0 : 1;
        unsupported[1] += (symbol_class & supported_by_dna) ? 0 : 1;
        unsupported[2] += (symbol_class & supported_by_rna) ? 0 : 1;
        protein_evidence = protein_evidence || (symbol_class & protein_only) != 0;
    }

    void count_ascii(unsigned char byte) noexcept {
        const unsigned char upper = text::ascii_upper(byte);
        count(symbol_classes[upper]);
        saw_t = saw_t || upper == 'T';
        saw_u = saw_u || upper == 'U';
    }
};

DetectionTally tally_symbols(std::string_view text) {
    DetectionTally tally;
    text::walk_text(
        text,
        [&tally](std::string_view ascii) {
            for (const char ch : ascii) {
                const auto byte = static_cast<unsigned char>(ch);
                if (!text::is_ascii_white_space(byte)) {
                    tally.count_ascii(byte);
                }
            }
        },
        [&tally](char32_t c, std::string_view) {
            if (text::is_unicode_white_space(c)) {
                return;
            }
            if (c < 0x80) {
                tally.count_ascii(static_cast<unsigned char>(c));
            } else {
                tally.count(0);
            }
        });
    return tally;
}

bool contains(const std::vector<SequenceKind>& kinds, SequenceKind kind) {
    return std::find(kinds.begin(), kinds.end(), kind) != kinds.end();
}

SequenceKind choose_kind(const DetectionTally& tally, const std::vector<SequenceKind>& candidates) {
    const auto first_candidate = [&](std::initializer_list<SequenceKind> preference) {
        for (const SequenceKind kind : preference) {
            if (contains(candidates, kind)) {
                return kind;
            }
        }
        return SequenceKind::protein;
    };
    if (tally.protein_evidence && contains(candidates, SequenceKind::protein)) {
        return SequenceKind::protein;
    }
    if (tally.saw_u && !tally.saw_t) {
        return first_candidate({SequenceKind::rna, SequenceKind::dna});
    }
    return first_candidate({SequenceKind::dna, SequenceKind::rna});
}

}  // namespace

SequenceKindDetection detect_sequence_kind_with_metadata(std::string_view text) {
    const DetectionTally tally = tally_symbols(text);
    const std::size_t best = *std::min_element(tally.unsupported.begin(), tally.unsupported.end());
    SequenceKindDetection detection;
    detection.candidates.reserve(3);
    for (const SequenceKind kind : enum_values<SequenceKind>) {
        if (tally.unsupported[static_cast<std::size_t>(kind)] == best) {
            detection.candidates.push_back(kind);
        }
    }
    detection.ambiguous = detection.candidates.size() > 1;
    detection.kind = choose_kind(tally, detection.candidates);
    return detection;
}

}  // namespace tamri
