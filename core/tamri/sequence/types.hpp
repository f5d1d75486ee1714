#pragma once

// The values of sequence validation: residue issues and validated records, protein and kind-aware,
// and the conversion from the kind-aware form to the plain one.

#include "tamri/json/record.hpp"
#include "tamri/sequence/detection.hpp"
#include "tamri/sequence/kind.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace tamri {

// One ambiguous or unsupported symbol of a normalized sequence.
struct ResidueIssue {
    std::size_t position = 0;  // 1-based index in the normalized sequence
    char32_t residue = 0;      // one Unicode scalar value, ASCII letters upper-cased

    friend bool operator==(const ResidueIssue&, const ResidueIssue&) = default;
};

// {"residue":"X","position":3}
constexpr auto json_schema(std::type_identity<ResidueIssue>) {
    return json::record_schema<ResidueIssue>("struct ResidueIssue", json::UnknownFields::reject,
                                             json::field<&ResidueIssue::residue>("residue"),
                                             json::field<&ResidueIssue::position>("position"));
}

// Ambiguous symbols are warnings, unsupported symbols errors.
enum class IssueSeverity { warning, error };

// A residue issue of kind-aware validation, with its message and the kind it was judged under.
struct SequenceValidationIssue {
    std::string message;
    std::size_t position = 0;  // 1-based index in the normalized sequence
    char32_t residue = 0;
    IssueSeverity severity = IssueSeverity::error;
    SequenceKind kind = SequenceKind::protein;

    friend bool operator==(const SequenceValidationIssue&, const SequenceValidationIssue&) = default;
};

// One record validated against one alphabet.
struct ValidatedSequence {
    std::string id;
    std::string sequence;  // normalized
    std::string alphabet;  // "protein-20", "dna-iupac" or "rna-iupac"
    std::vector<ResidueIssue> warnings;
    std::vector<ResidueIssue> errors;
    bool valid = true;  // no warnings and no errors

    friend bool operator==(const ValidatedSequence&, const ValidatedSequence&) = default;
};

constexpr auto json_schema(std::type_identity<ValidatedSequence>) {
    using Sequence = ValidatedSequence;
    return json::record_schema<Sequence>(
        "struct ValidatedSequence", json::UnknownFields::reject, json::field<&Sequence::id>("id"),
        json::field<&Sequence::sequence>("sequence"), json::field<&Sequence::alphabet>("alphabet"),
        json::field<&Sequence::valid>("valid"), json::field<&Sequence::warnings>("warnings"),
        json::field<&Sequence::errors>("errors"));
}

// One record of kind-aware validation; `detection` is set only when the kind was detected.
struct ValidatedSequenceRecord {
    std::string id;
    std::string sequence;  // normalized
    std::string alphabet;
    std::vector<SequenceValidationIssue> warnings;
    std::vector<SequenceValidationIssue> errors;
    std::optional<SequenceKindDetection> detection;
    bool valid = true;  // no warnings and no errors
    SequenceKind kind = SequenceKind::protein;

    friend bool operator==(const ValidatedSequenceRecord&, const ValidatedSequenceRecord&) = default;
};

// Keeps the position and residue; the list an issue sits in already tells its severity.
[[nodiscard]] constexpr ResidueIssue to_residue_issue(const SequenceValidationIssue& issue) noexcept {
    return ResidueIssue{issue.position, issue.residue};
}

// Drops the kind, the detection and the issue messages; texts are moved.
[[nodiscard]] ValidatedSequence to_validated_sequence(ValidatedSequenceRecord&& record);

}  // namespace tamri
