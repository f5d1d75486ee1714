#include "tamri/sequence/types.hpp"

#include "tamri/json/writer.hpp"

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

void write_issue_list(json::JsonWriter& writer, std::span<const ResidueIssue> issues) {
    writer.begin_array();
    for (const ResidueIssue& issue : issues) {
        write_json(writer, issue);
    }
    writer.end_array();
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

void write_json(json::JsonWriter& writer, const ResidueIssue& issue) {
    writer.begin_object()
        .key("residue")
        .character(issue.residue)
        .key("position")
        .unsigned_integer(issue.position)
        .end_object();
}

void write_json(json::JsonWriter& writer, const ValidatedSequence& sequence) {
    writer.begin_object()
        .key("id")
        .string(sequence.id)
        .key("sequence")
        .string(sequence.sequence)
        .key("alphabet")
        .string(sequence.alphabet)
        .key("valid")
        .boolean(sequence.valid);
    writer.key("warnings");
    write_issue_list(writer, sequence.warnings);
    writer.key("errors");
    write_issue_list(writer, sequence.errors);
    writer.end_object();
}

}  // namespace tamri
