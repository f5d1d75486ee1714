#include "tamri/sequence/types.hpp"

#include <span>

namespace tamri {
namespace {

std::vector<ResidueIssue> to_residue_issues(std::span<const SequenceValidationIssue> issues) {
    std::vector<ResidueIssue> converted;
    converted.reserve(issues.size());
    for (const SequenceValidationIssue& issue : issues) {
        converted.push_back(to_residue_issue(issue));
    }
    return converted;
}

}  // namespace

ValidatedSequence to_validated_sequence(ValidatedSequenceRecord&& record) {
    return ValidatedSequence{std::move(record.id),
                             std::move(record.sequence),
                             std::move(record.alphabet),
                             to_residue_issues(record.warnings),
                             to_residue_issues(record.errors),
                             record.valid};
}

}  // namespace tamri
