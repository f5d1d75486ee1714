#pragma once

// The model-input workflow: validation, tokenization, readiness and model-input building in one run
// over records, FASTA text or a byte stream, and its settings from the front ends' arguments.

#include "tamri/fasta/records.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/model_input/model_input.hpp"
#include "tamri/tokenizer/types.hpp"
#include "tamri/workflow/output.hpp"
#include "tamri/workflow/reproducibility.hpp"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace tamri {

// A run's output and its compact JSON, which is written once; the caller may move both out.
struct SequenceWorkflowResult {
    SequenceWorkflowOutput output;
    std::string report_json;
};

// Runs validation, tokenization, readiness and (when every record is ready) model-input building
// over the records, with provenance and digests. Throws ModelInputBuildError for an input hash
// that is not "fnv1a64:" and 16 lowercase hexadecimal digits (checked first), for a zero
// `max_length`, and for a failure of model-input building; unusable records are reported in the
// output instead. Identifiers and invocation texts are read as UTF-8, invalid sequences becoming
// U+FFFD, so that the output is always JSON.
[[nodiscard]] SequenceWorkflowResult prepare_model_input_workflow_with_config(std::string input_hash,
                                                                              std::span<const ProteinSequence> records,
                                                                              const ModelInputPolicy& policy,
                                                                              const ProteinTokenizerConfig& config,
                                                                              SequenceWorkflowInvocation invocation);

// The same over records the workflow may consume: their sequences move into the validation block.
[[nodiscard]] SequenceWorkflowResult prepare_model_input_workflow_with_config(std::string input_hash,
                                                                              std::vector<ProteinSequence>&& records,
                                                                              const ModelInputPolicy& policy,
                                                                              const ProteinTokenizerConfig& config,
                                                                              SequenceWorkflowInvocation invocation);

// The issue that keeps a tokenized record out of model input: no tokens, or any warning or error.
[[nodiscard]] std::optional<SequenceWorkflowReadinessIssue> workflow_readiness_issue(const TokenizedProtein& record);

// The settings of a run from FASTA text, which are asked for once the text has been read.
struct SequenceWorkflowSettings {
    ModelInputPolicy policy;
    ProteinTokenizerConfig tokenizer;
    SequenceWorkflowInvocation invocation;
};

// A run's settings as the front ends receive them, the texts not yet judged.
struct WorkflowArguments {
    std::uint64_t max_length = 0;
    std::uint8_t pad_token_id = 0;
    std::string_view padding;
    std::string_view profile;
};

// Judges the padding text, then the profile text (ArgumentError), and builds the settings of a
// run over `record_count` records. The invocation is the Python functions' own: command
// "tamri-python.prepare_workflow", arguments "records={count}" and "profile={profile}"; the
// command-line tool records the same, so that its reports and digests equal theirs.
[[nodiscard]] SequenceWorkflowSettings workflow_settings_from_arguments(const WorkflowArguments& arguments,
                                                                        std::size_t record_count);

template <class SettingsFor>
concept WorkflowSettingsFor = std::same_as<std::invoke_result_t<SettingsFor&&, std::size_t>, SequenceWorkflowSettings>;

// Reads FASTA bytes with the stream reader, which yields the records and the stable input hash of
// the bytes, then calls `settings_for(number of records read)` and runs the workflow. A FASTA
// failure (FastaReadError) comes before anything `settings_for` throws, which comes before the
// workflow's own failures.
template <WorkflowSettingsFor SettingsFor>
[[nodiscard]] SequenceWorkflowResult prepare_model_input_workflow_from_fasta(ByteLineReader& reader,
                                                                             SettingsFor&& settings_for) {
    ParsedFastaInput parsed = parse_fasta_records_reader(reader);
    SequenceWorkflowSettings settings = std::forward<SettingsFor>(settings_for)(parsed.records.size());
    return prepare_model_input_workflow_with_config(std::move(parsed.input_hash), std::move(parsed.records),
                                                    settings.policy, settings.tokenizer,
                                                    std::move(settings.invocation));
}

// The same over FASTA text, whose UTF-8 bytes are read.
template <WorkflowSettingsFor SettingsFor>
[[nodiscard]] SequenceWorkflowResult prepare_model_input_workflow_from_fasta(std::string_view fasta_text,
                                                                             SettingsFor&& settings_for) {
    MemoryByteLineReader reader{fasta_text};
    return prepare_model_input_workflow_from_fasta(reader, std::forward<SettingsFor>(settings_for));
}

}  // namespace tamri
