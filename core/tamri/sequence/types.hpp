#pragma once

// The values of sequence validation: residue issues and validated records, protein and kind-aware,
// and the conversion from the kind-aware form to the plain one.

#include "tamri/sequence/detection.hpp"
#include "tamri/sequence/kind.hpp"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tamri {

namespace json {
class JsonWriter;
}

// One ambiguous or unsupported symbol of a normalized sequence.
struct ResidueIssue {
    std::size_t position = 0;  // 1-based index in the normalized sequence
    char32_t residue = 0;      // one Unicode scalar value, ASCII letters upper-cased

    friend bool operator==(const ResidueIssue&, const ResidueIssue&) = default;
};

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

// {"residue":"X","position":3}
void write_json(json::JsonWriter& writer, const ResidueIssue& issue);

// {"id":…,"sequence":…,"alphabet":…,"valid":…,"warnings":[…],"errors":[…]}
void write_json(json::JsonWriter& writer, const ValidatedSequence& sequence);

}  // namespace tamri
