#include "tamri/workflow/workflow.hpp"

#include "tamri/base/choice.hpp"
#include "tamri/base/diagnostic.hpp"
#include "tamri/base/version.hpp"
#include "tamri/digest/stable_hash.hpp"
#include "tamri/json/index.hpp"
#include "tamri/json/writer.hpp"
#include "tamri/sequence/normalization.hpp"
#include "tamri/sequence/validation.hpp"
#include "tamri/text/utf8.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/protein.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <optional>

namespace tamri {
namespace {

// C++ callers may pass any bytes; the output is JSON, so texts are read the way sequences are.
void make_valid_utf8(SequenceWorkflowInvocation& invocation) {
    text::make_valid_utf8(invocation.command);
    std::for_each(invocation.arguments.begin(), invocation.arguments.end(),
                  [](std::string& argument) { text::make_valid_utf8(argument); });
}

// Validation normalizes the sequence it is given in place: a borrowed record's is copied, an
// owned record's moved.
std::string sequence_for_validation(const ProteinSequence& record) {
    return record.sequence;
}
std::string sequence_for_validation(ProteinSequence& record) {
    return std::move(record.sequence);
}

// Validates and tokenizes one record. Tokenizing first lets an owned record hand its sequence
// over to validation; neither step sees the other's result.
template <class Record>
void add_record(Record& record, const ProteinTokenizerConfig& config, SequenceWorkflowOutput& output) {
    std::string id = record.id;
    text::make_valid_utf8(id);
    TokenizedProtein tokenized = tokenize_protein_with_config(record, config);
    tokenized.id = id;
    append_validated_sequence(output.validation, to_validated_sequence(validate_sequence_record(
                                                     std::move(id), sequence_for_validation(record),
                                                     tokenizer_profile_kind(config.profile))));
    output.tokenization.records.push_back(std::move(tokenized));
}

// Generous for the usual texts (escapes are rare), so the report is written without regrowing;
// reserved pages that stay unwritten cost nothing.
std::size_t estimated_report_bytes(const SequenceWorkflowOutput& output) {
    constexpr std::size_t fixed_bytes = 4096;
    constexpr std::size_t record_bytes = 256;
    constexpr std::size_t issue_bytes = 48;
    constexpr std::size_t token_bytes = 4;  // "255,"
    constexpr std::size_t mask_bytes = 2;   // "1,"
    std::size_t bytes = fixed_bytes;
    for (const std::string& argument : output.provenance.invocation.arguments) {
        bytes += argument.size() + 8;
    }
    for (const ValidatedSequence& sequence : output.validation.sequences) {
        bytes += record_bytes + 2 * sequence.id.size() + sequence.sequence.size();
    }
    for (const TokenizedProtein& record : output.tokenization.records) {
        bytes += record_bytes + 2 * record.id.size() + token_bytes * record.tokens.size();
    }
    if (output.model_input) {
        for (const ModelInputRecord& row : output.model_input->records) {
            bytes += record_bytes + row.id.size() + token_bytes * row.input_ids.size() +
                     mask_bytes * row.attention_mask.size();
        }
    }
    const std::size_t issues = output.validation.warning_count + output.validation.error_count +
                               output.tokenization.summary.warning_count + output.tokenization.summary.error_count;
    return bytes + issue_bytes * issues + record_bytes * output.readiness_issues.size();
}

void reserve_index(json::JsonIndex& index, const SequenceWorkflowOutput& output) {
    constexpr std::size_t slots_per_record = 24;  // members of the validated, tokenized and row objects
    constexpr std::size_t containers_per_record = 8;
    const std::size_t records = output.tokenization.records.size() + output.readiness_issues.size();
    const std::size_t issues = output.validation.warning_count + output.validation.error_count +
                               output.tokenization.summary.warning_count + output.tokenization.summary.error_count;
    index.reserve(64 + slots_per_record * records + 3 * issues, 32 + containers_per_record * records + issues);
}

// The digests have a fixed length, so they are written over stand-ins of that length.
void write_digest_in_place(std::string& report, const json::JsonIndex& index, std::uint32_t hashes,
                           std::string_view key, std::string_view digest) {
    const json::JsonIndex::Slot& member = index.slots()[*index.find_member(report, hashes, key)];
    std::copy(digest.begin(), digest.end(), report.begin() + static_cast<std::ptrdiff_t>(member.value_begin + 1));
}

void write_hashes_in_place(std::string& report, const json::JsonIndex& index, const SequenceWorkflowHashes& hashes) {
    constexpr std::uint32_t root = 0;
    const std::uint32_t provenance = index.slots()[*index.find_member(report, root, "provenance")].container;
    const std::uint32_t hashes_object = index.slots()[*index.find_member(report, provenance, "hashes")].container;
    write_digest_in_place(report, index, hashes_object, "vocabulary_sha256", hashes.vocabulary_sha256);
    write_digest_in_place(report, index, hashes_object, "output_data_sha256", hashes.output_data_sha256);
}

// Writes the output once, takes the digests from the written text and puts them in place.
SequenceWorkflowResult finish_with_report(SequenceWorkflowOutput output, ProteinTokenizerProfile profile) {
    const std::string stand_in(sha256_digest_text_size, '0');
    output.provenance.hashes = SequenceWorkflowHashes{stand_in, stand_in};
    json::JsonIndex index;
    reserve_index(index, output);
    json::JsonWriter writer{index};
    writer.reserve(estimated_report_bytes(output));
    json::write_value(writer, output);
    std::string report = writer.take();
    output.provenance.hashes = workflow_hashes(SequenceWorkflowHashContext{profile, report, index});
    write_hashes_in_place(report, index, output.provenance.hashes);
    return SequenceWorkflowResult{std::move(output), std::move(report)};
}

template <class Records>
SequenceWorkflowResult run_workflow(std::string input_hash, Records& records, const ModelInputPolicy& policy,
                                    const ProteinTokenizerConfig& config, SequenceWorkflowInvocation invocation) {
    if (!is_stable_input_hash(input_hash)) {
        throw ModelInputBuildError::invalid_workflow_input_hash(std::move(input_hash));
    }
    check_model_input_policy(policy);

    SequenceWorkflowOutput output;
    output.validation.sequences.reserve(records.size());
    output.tokenization.records.reserve(records.size());
    for (auto& record : records) {
        add_record(record, config, output);
    }
    for (const TokenizedProtein& record : output.tokenization.records) {
        if (std::optional<SequenceWorkflowReadinessIssue> issue = workflow_readiness_issue(record)) {
            output.readiness_issues.push_back(std::move(*issue));
        }
    }
    output.model_ready = output.readiness_issues.empty();
    if (output.model_ready) {
        output.model_input = build_model_inputs_checked(output.tokenization.records, policy);
    }
    output.tokenization.summary = summarize_protein_batch(output.tokenization.records);
    output.workflow = workflow_schema_id(config.profile);

    make_valid_utf8(invocation);
    WorkflowTokenizerMetadata tokenizer = workflow_tokenizer_metadata(config.profile);
    std::string validation_alphabet = tokenizer.name;
    output.provenance = SequenceWorkflowProvenance{std::string{tamri_core_version},
                                                   std::move(invocation),
                                                   std::move(input_hash),
                                                   std::string{normalization_policy_name},
                                                   std::move(validation_alphabet),
                                                   std::move(tokenizer),
                                                   policy,
                                                   {}};
    return finish_with_report(std::move(output), config.profile);
}

}  // namespace

std::optional<SequenceWorkflowReadinessIssue> workflow_readiness_issue(const TokenizedProtein& record) {
    const std::size_t warnings = record.warnings.size();
    const std::size_t errors = record.errors.size();
    std::string message;
    if (record.tokens.empty()) {
        message = fmt::format("sequence '{}' is not model-ready: empty sequences cannot be converted into model input",
                              record.id);
    } else if (warnings > 0 || errors > 0) {
        message = fmt::format(
            "sequence '{}' is not model-ready: {} warnings and {} errors must be resolved before model-input "
            "generation",
            record.id, warnings, errors);
    } else {
        return std::nullopt;
    }
    return SequenceWorkflowReadinessIssue{std::string{code::sequence_not_model_ready}, record.id, warnings, errors,
                                          std::move(message)};
}

SequenceWorkflowResult prepare_model_input_workflow_with_config(std::string input_hash,
                                                                std::span<const ProteinSequence> records,
                                                                const ModelInputPolicy& policy,
                                                                const ProteinTokenizerConfig& config,
                                                                SequenceWorkflowInvocation invocation) {
    return run_workflow(std::move(input_hash), records, policy, config, std::move(invocation));
}

SequenceWorkflowResult prepare_model_input_workflow_with_config(std::string input_hash,
                                                                std::vector<ProteinSequence>&& records,
                                                                const ModelInputPolicy& policy,
                                                                const ProteinTokenizerConfig& config,
                                                                SequenceWorkflowInvocation invocation) {
    return run_workflow(std::move(input_hash), records, policy, config, std::move(invocation));
}

SequenceWorkflowSettings workflow_settings_from_arguments(const WorkflowArguments& arguments,
                                                          std::size_t record_count) {
    const auto padding = parse_choice<PaddingPolicy>(arguments.padding, ArgumentError::invalid_padding);
    const auto profile = parse_choice<ProteinTokenizerProfile>(arguments.profile, ArgumentError::invalid_profile);
    return SequenceWorkflowSettings{
        .policy = ModelInputPolicy{arguments.max_length, arguments.pad_token_id, padding},
        .tokenizer = protein_tokenizer_config_for_profile(profile),
        .invocation = SequenceWorkflowInvocation{"tamri-python.prepare_workflow",
                                                 {fmt::format("records={}", record_count),
                                                  fmt::format("profile={}", enum_text(profile))}},
    };
}

}  // namespace tamri
