#include "tamri/corpus/job.hpp"

#include "tamri/base/codes.hpp"
#include "tamri/digest/sha256.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/text/utf8.hpp"
#include "tamri/tokenizer/protein.hpp"

#include <fmt/format.h>

#include <charconv>
#include <span>
#include <utility>

namespace tamri::corpus {
namespace {

CorpusError shard_error(std::string message) {
    return CorpusError{code::corpus_invalid_shard, std::move(message)};
}

CorpusRecordIssue record_issue(std::uint64_t record_index, SequenceWorkflowReadinessIssue issue) {
    return CorpusRecordIssue{record_index, std::move(issue.id), issue.warning_count, issue.error_count,
                             std::move(issue.message)};
}

// The readiness issue each unready record would raise, by its index in the whole input. The id is
// made valid UTF-8 as the workflow makes it, so a set-aside record reads as it would have been reported.
std::vector<CorpusRecordIssue> unready_records(std::span<const ProteinSequence> records,
                                               const ProteinTokenizerConfig& config, std::uint64_t first_index) {
    std::vector<CorpusRecordIssue> unready;
    for (std::size_t i = 0; i < records.size(); ++i) {
        TokenizedProtein tokenized = tokenize_protein_with_config(records[i], config);
        text::make_valid_utf8(tokenized.id);
        if (auto issue = workflow_readiness_issue(tokenized)) {
            unready.push_back(record_issue(first_index + i, std::move(*issue)));
        }
    }
    return unready;
}

std::vector<ProteinSequence> without_records(std::vector<ProteinSequence> records,
                                             const std::vector<CorpusRecordIssue>& set_aside,
                                             std::uint64_t first_index) {
    std::vector<ProteinSequence> kept;
    kept.reserve(records.size() - set_aside.size());
    auto next = set_aside.begin();
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (next != set_aside.end() && next->record_index == first_index + i) {
            ++next;
        } else {
            kept.push_back(std::move(records[i]));
        }
    }
    return kept;
}

CorpusProvenance corpus_provenance(const SequenceWorkflowProvenance& provenance, std::string_view profile) {
    return CorpusProvenance{provenance.tamri_core_version,      std::string{profile}, provenance.normalization,
                            provenance.validation_alphabet,     provenance.tokenizer, provenance.model_input_policy,
                            provenance.hashes.vocabulary_sha256};
}

ShardSummary summarize(const ShardPlanEntry& entry, const SequenceWorkflowOutput& output, const ShardSettings& settings,
                       std::vector<CorpusRecordIssue> readiness_issues, std::vector<CorpusRecordIssue> set_aside) {
    const ProteinBatchSummary& batch = output.tokenization.summary;
    ShardSummary summary;
    summary.index = entry.index;
    summary.file = entry.file;
    summary.report = shard_report_file_name(entry.index);
    summary.input_hash = output.provenance.input_hash;
    summary.model_ready = output.model_ready;
    summary.output_data_sha256 = output.provenance.hashes.output_data_sha256;
    summary.provenance = corpus_provenance(output.provenance, settings.profile);
    summary.counts = ShardCounts{entry.records,      batch.records,       set_aside.size(),    readiness_issues.size(),
                                 batch.total_length, batch.valid_records, batch.warning_count, batch.error_count};
    summary.readiness_issues = std::move(readiness_issues);
    summary.set_aside = std::move(set_aside);
    return summary;
}

ShardRun finish_run(const ShardPlanEntry& entry, SequenceWorkflowResult result, const ShardSettings& settings,
                    std::vector<CorpusRecordIssue> set_aside) {
    std::vector<CorpusRecordIssue> readiness_issues;
    const std::vector<TokenizedProtein>& records = result.output.tokenization.records;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (auto issue = workflow_readiness_issue(records[i])) {
            readiness_issues.push_back(record_issue(entry.first_record_index + i, std::move(*issue)));
        }
    }
    ShardRun run{std::move(result.report_json),
                 summarize(entry, result.output, settings, std::move(readiness_issues), std::move(set_aside)),
                 std::move(result.output.model_input)};
    run.report_file_text.push_back('\n');
    run.summary.report_sha256 = sha256_bytes_digest(run.report_file_text);
    return run;
}

// What a report's provenance says of how it was made; everything else in it is skipped.
struct ReportProvenanceHead {
    SequenceWorkflowInvocation invocation;
    std::string input_hash;
    ModelInputPolicy model_input_policy;
};

struct ReportHead {
    ReportProvenanceHead provenance;
};

constexpr auto json_schema(std::type_identity<ReportProvenanceHead>) {
    using T = ReportProvenanceHead;
    return json::record_schema<T>("struct SequenceWorkflowProvenance", json::UnknownFields::ignore,
                                  json::field<&T::invocation>("invocation"), json::field<&T::input_hash>("input_hash"),
                                  json::field<&T::model_input_policy>("model_input_policy"));
}

constexpr auto json_schema(std::type_identity<ReportHead>) {
    return json::record_schema<ReportHead>("struct SequenceWorkflowOutput", json::UnknownFields::ignore,
                                           json::field<&ReportHead::provenance>("provenance"));
}

// "records=12" and "profile=protein-20", as every workflow run records them.
std::optional<std::pair<std::uint64_t, std::string>> invocation_settings(const SequenceWorkflowInvocation& invocation) {
    constexpr std::string_view records_key = "records=";
    constexpr std::string_view profile_key = "profile=";
    const std::vector<std::string>& arguments = invocation.arguments;
    if (arguments.size() != 2 || !arguments[0].starts_with(records_key) || !arguments[1].starts_with(profile_key)) {
        return std::nullopt;
    }
    const std::string_view digits = std::string_view{arguments[0]}.substr(records_key.size());
    std::uint64_t records = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), records);
    if (error != std::errc{} || stop != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return std::pair{records, arguments[1].substr(profile_key.size())};
}

}  // namespace

CorpusError input_hash_mismatch(std::string_view report, std::string_view input_hash, const ShardPlanEntry& entry) {
    return shard_error(fmt::format("{} has input hash {}, but plan.json gives {} for {}", report, input_hash,
                                   entry.input_hash, entry.file));
}

std::string shard_report_file_name(std::uint64_t index) {
    return fmt::format("shard-{:05}.json", index);
}

std::string shard_summary_file_name(std::uint64_t index) {
    return fmt::format("shard-{:05}.summary.json", index);
}

std::string shard_arrays_prefix(std::uint64_t index) {
    return fmt::format("shard-{:05}", index);
}

ShardRun run_shard(ByteLineReader& shard, const ShardPlanEntry& entry, const ShardSettings& settings) {
    ParsedFastaInput parsed = parse_fasta_records_reader(shard);
    if (parsed.input_hash != entry.input_hash || parsed.records.size() != entry.records) {
        throw shard_error(
            fmt::format("{} is not the shard plan.json describes: {} records with input hash {}, "
                        "the plan says {} with {}",
                        entry.file, parsed.records.size(), parsed.input_hash, entry.records, entry.input_hash));
    }
    std::vector<CorpusRecordIssue> set_aside;
    if (settings.unready == UnreadyRecords::drop) {
        const SequenceWorkflowSettings probe = workflow_settings_from_arguments(settings.arguments(), 0);
        set_aside = unready_records(parsed.records, probe.tokenizer, entry.first_record_index);
        if (!set_aside.empty()) {
            parsed.records = without_records(std::move(parsed.records), set_aside, entry.first_record_index);
        }
    }
    SequenceWorkflowSettings workflow = workflow_settings_from_arguments(settings.arguments(), parsed.records.size());
    SequenceWorkflowResult result =
        prepare_model_input_workflow_with_config(std::move(parsed.input_hash), std::move(parsed.records),
                                                 workflow.policy, workflow.tokenizer, std::move(workflow.invocation));
    return finish_run(entry, std::move(result), settings, std::move(set_aside));
}

ShardSettings report_settings(std::string_view report_head, const ShardPlanEntry& entry) {
    const std::string report = shard_report_file_name(entry.index);
    // The marker cannot occur inside a JSON string (its quotes would be escaped), so the first one
    // ends the root's third member; what the head claims is checked later against a rerun.
    std::string members{report_head.substr(0, report_head.find(report_head_end))};
    if (members.size() < report_head.size()) {
        members.push_back('}');
    }
    ReportHead head;
    try {
        head = json::decode_record_document<ReportHead>(members);
    } catch (const json::DecodeError& error) {
        throw shard_error(fmt::format("{} is not a workflow report: {}", report, error.detail()));
    }
    const ReportProvenanceHead& provenance = head.provenance;
    if (provenance.input_hash != entry.input_hash) {
        throw input_hash_mismatch(report, provenance.input_hash, entry);
    }
    const auto invoked = invocation_settings(provenance.invocation);
    if (!invoked || invoked->first > entry.records) {
        throw shard_error(fmt::format("{} does not record a workflow run over {}", report, entry.file));
    }
    const ModelInputPolicy& policy = provenance.model_input_policy;
    return ShardSettings{policy.max_length, policy.pad_token_id, std::string{enum_text(policy.padding)},
                         invoked->second, invoked->first < entry.records ? UnreadyRecords::drop : UnreadyRecords::keep};
}

}  // namespace tamri::corpus
