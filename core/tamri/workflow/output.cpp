#include "tamri/workflow/output.hpp"

#include "tamri/json/record.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/protein.hpp"
#include "tamri/tokenizer/vocab.hpp"

namespace tamri {

std::string_view workflow_schema_id(ProteinTokenizerProfile profile) noexcept {
    return tokenizer_profile_kind(profile) == SequenceKind::protein ? "protein_model_input.v0"
                                                                    : "sequence_model_input.v0";
}

WorkflowTokenizerMetadata workflow_tokenizer_metadata(ProteinTokenizerProfile profile) {
    const ProteinTokenizerInspection inspection =
        inspect_protein_tokenizer_config(protein_tokenizer_config_for_profile(profile));
    const Vocabulary& vocabulary = inspection.vocabulary;
    return WorkflowTokenizerMetadata{vocabulary.name, vocabulary.tokens.size(), vocabulary.unknown_token_id,
                                     vocabulary.unknown_token_policy};
}

constexpr auto json_schema(std::type_identity<SequenceWorkflowReadinessIssue>) {
    using Issue = SequenceWorkflowReadinessIssue;
    return json::record_schema<Issue>(
        "struct SequenceWorkflowReadinessIssue", json::UnknownFields::reject, json::field<&Issue::code>("code"),
        json::field<&Issue::id>("id"), json::field<&Issue::warning_count>("warning_count"),
        json::field<&Issue::error_count>("error_count"), json::field<&Issue::message>("message"));
}

void write_json(json::JsonWriter& writer, const WorkflowTokenizerMetadata& metadata) {
    json::write_record(writer, metadata);
}

void write_json(json::JsonWriter& writer, const TokenizationWorkflowOutput& tokenization) {
    writer.begin_object().key("summary");
    write_json(writer, tokenization.summary);
    writer.key("records").begin_array();
    for (const TokenizedProtein& record : tokenization.records) {
        write_json(writer, record);
    }
    writer.end_array().end_object();
}

void write_json(json::JsonWriter& writer, const SequenceWorkflowReadinessIssue& issue) {
    json::write_record(writer, issue);
}

void write_json(json::JsonWriter& writer, const SequenceWorkflowProvenance& provenance) {
    writer.begin_object().key("tamri_core_version").string(provenance.tamri_core_version).key("invocation");
    write_json(writer, provenance.invocation);
    writer.key("input_hash")
        .string(provenance.input_hash)
        .key("normalization")
        .string(provenance.normalization)
        .key("validation_alphabet")
        .string(provenance.validation_alphabet)
        .key("tokenizer");
    write_json(writer, provenance.tokenizer);
    writer.key("model_input_policy");
    write_json(writer, provenance.model_input_policy);
    writer.key("hashes");
    write_json(writer, provenance.hashes);
    writer.end_object();
}

void write_json(json::JsonWriter& writer, const SequenceWorkflowOutput& output) {
    writer.begin_object().key("workflow").string(output.workflow).key("model_ready").boolean(output.model_ready);
    writer.key("provenance");
    write_json(writer, output.provenance);
    writer.key("validation");
    write_json(writer, output.validation);
    writer.key("tokenization");
    write_json(writer, output.tokenization);
    writer.key("model_input");
    if (output.model_input) {
        write_json(writer, *output.model_input);
    } else {
        writer.null();
    }
    writer.key("readiness_issues").begin_array();
    for (const SequenceWorkflowReadinessIssue& issue : output.readiness_issues) {
        write_json(writer, issue);
    }
    writer.end_array().end_object();
}

}  // namespace tamri
