#pragma once

// The workflow's output: validation, tokenization, model input when every record is ready or the
// readiness issues otherwise, and the provenance, each with its JSON form.

#include "tamri/json/record.hpp"
#include "tamri/model_input/model_input.hpp"
#include "tamri/sequence/report.hpp"
#include "tamri/tokenizer/types.hpp"
#include "tamri/workflow/reproducibility.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamri {

// The profile's base vocabulary as the provenance reports it ("-special" profiles report their base).
struct WorkflowTokenizerMetadata {
    std::string name;
    std::size_t vocab_size = 0;  // residue entries; special tokens are not counted
    std::uint8_t unknown_token_id = 0;
    UnknownTokenPolicy unknown_token_policy = UnknownTokenPolicy::warn_or_error_with_unknown_token;

    friend bool operator==(const WorkflowTokenizerMetadata&, const WorkflowTokenizerMetadata&) = default;
};

constexpr auto json_schema(std::type_identity<WorkflowTokenizerMetadata>) {
    using Metadata = WorkflowTokenizerMetadata;
    return json::record_schema<Metadata>(
        "struct WorkflowTokenizerMetadata", json::UnknownFields::reject, json::field<&Metadata::name>("name"),
        json::field<&Metadata::vocab_size>("vocab_size"), json::field<&Metadata::unknown_token_id>("unknown_token_id"),
        json::field<&Metadata::unknown_token_policy>("unknown_token_policy"));
}

struct TokenizationWorkflowOutput {
    ProteinBatchSummary summary;
    std::vector<TokenizedProtein> records;  // one per input record, input order

    friend bool operator==(const TokenizationWorkflowOutput&, const TokenizationWorkflowOutput&) = default;
};

constexpr auto json_schema(std::type_identity<TokenizationWorkflowOutput>) {
    using Tokenization = TokenizationWorkflowOutput;
    return json::record_schema<Tokenization>("struct TokenizationWorkflowOutput", json::UnknownFields::reject,
                                             json::field<&Tokenization::summary>("summary"),
                                             json::field<&Tokenization::records>("records"));
}

// A record that keeps the batch from becoming model input.
struct SequenceWorkflowReadinessIssue {
    std::string code;  // always "sequence.not_model_ready"
    std::string id;
    std::size_t warning_count = 0;
    std::size_t error_count = 0;
    std::string message;

    friend bool operator==(const SequenceWorkflowReadinessIssue&, const SequenceWorkflowReadinessIssue&) = default;
};

constexpr auto json_schema(std::type_identity<SequenceWorkflowReadinessIssue>) {
    using Issue = SequenceWorkflowReadinessIssue;
    return json::record_schema<Issue>(
        "struct SequenceWorkflowReadinessIssue", json::UnknownFields::reject, json::field<&Issue::code>("code"),
        json::field<&Issue::id>("id"), json::field<&Issue::warning_count>("warning_count"),
        json::field<&Issue::error_count>("error_count"), json::field<&Issue::message>("message"));
}

struct SequenceWorkflowProvenance {
    std::string tamri_core_version;
    SequenceWorkflowInvocation invocation;
    std::string input_hash;
    std::string normalization;        // always "strip_ascii_whitespace_uppercase"
    std::string validation_alphabet;  // the base vocabulary's name
    WorkflowTokenizerMetadata tokenizer;
    ModelInputPolicy model_input_policy;
    SequenceWorkflowHashes hashes;

    friend bool operator==(const SequenceWorkflowProvenance&, const SequenceWorkflowProvenance&) = default;
};

constexpr auto json_schema(std::type_identity<SequenceWorkflowProvenance>) {
    using Provenance = SequenceWorkflowProvenance;
    return json::record_schema<Provenance>(
        "struct SequenceWorkflowProvenance", json::UnknownFields::reject,
        json::field<&Provenance::tamri_core_version>("tamri_core_version"),
        json::field<&Provenance::invocation>("invocation"), json::field<&Provenance::input_hash>("input_hash"),
        json::field<&Provenance::normalization>("normalization"),
        json::field<&Provenance::validation_alphabet>("validation_alphabet"),
        json::field<&Provenance::tokenizer>("tokenizer"),
        json::field<&Provenance::model_input_policy>("model_input_policy"), json::field<&Provenance::hashes>("hashes"));
}

// One run of the workflow. Not being model-ready is a result, not a failure: `model_input` is
// then absent and `readiness_issues` says why.
struct SequenceWorkflowOutput {
    std::string workflow;     // "protein_model_input.v0" or "sequence_model_input.v0"
    bool model_ready = true;  // readiness_issues is empty
    SequenceWorkflowProvenance provenance;
    SequenceValidationReport validation;
    TokenizationWorkflowOutput tokenization;
    std::optional<ModelInput> model_input;
    std::vector<SequenceWorkflowReadinessIssue> readiness_issues;

    friend bool operator==(const SequenceWorkflowOutput&, const SequenceWorkflowOutput&) = default;
};

// The model input is null when absent.
constexpr auto json_schema(std::type_identity<SequenceWorkflowOutput>) {
    using Output = SequenceWorkflowOutput;
    return json::record_schema<Output>(
        "struct SequenceWorkflowOutput", json::UnknownFields::reject, json::field<&Output::workflow>("workflow"),
        json::field<&Output::model_ready>("model_ready"), json::field<&Output::provenance>("provenance"),
        json::field<&Output::validation>("validation"), json::field<&Output::tokenization>("tokenization"),
        json::field<&Output::model_input>("model_input"), json::field<&Output::readiness_issues>("readiness_issues"));
}

// "protein_model_input.v0" for the protein profiles, "sequence_model_input.v0" for the others.
[[nodiscard]] std::string_view workflow_schema_id(ProteinTokenizerProfile profile) noexcept;

// Name, residue count, unknown id and policy of the profile's base vocabulary.
[[nodiscard]] WorkflowTokenizerMetadata workflow_tokenizer_metadata(ProteinTokenizerProfile profile);

}  // namespace tamri
