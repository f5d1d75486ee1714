#pragma once

// Sequence kind detection: the kinds under which a raw sequence has the fewest unsupported symbols,
// and the one chosen among them.

#include "tamri/sequence/kind.hpp"

#include <string_view>
#include <vector>

namespace tamri {

struct SequenceKindDetection {
    std::vector<SequenceKind> candidates;  // kinds with the fewest unsupported symbols, in kind order
    bool ambiguous = false;                // more than one candidate
    SequenceKind kind = SequenceKind::dna;

    friend bool operator==(const SequenceKindDetection&, const SequenceKindDetection&) = default;
};

// Detection on raw text: applies the normalization's white-space and case rules itself.
[[nodiscard]] SequenceKindDetection detect_sequence_kind_with_metadata(std::string_view text);

}  // namespace tamri
