#pragma once

// One shard's part of a corpus: its workflow run, with the records that cannot become model input
// kept (the shard is then not model-ready) or set aside, and the small summary that merging reads
// instead of the shard's whole report.

#include "tamri/arrays/arrays.hpp"
#include "tamri/base/diagnostic.hpp"
#include "tamri/base/enum_table.hpp"
#include "tamri/corpus/shard.hpp"
#include "tamri/json/record.hpp"
#include "tamri/model_input/model_input.hpp"
#include "tamri/workflow/output.hpp"
#include "tamri/workflow/workflow.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::corpus {

// What happens to records that would keep their shard from becoming model input.
enum class UnreadyRecords { keep, drop };

[[nodiscard]] constexpr EnumTable<UnreadyRecords, 2> enum_table(UnreadyRecords) noexcept {
    return {{{{UnreadyRecords::keep, "keep"}, {UnreadyRecords::drop, "drop"}}}};
}

// A plan, shard, report or summary that cannot be trusted; the message names the file.
class CorpusError final : public PlainDiagnostic {
public:
    using PlainDiagnostic::PlainDiagnostic;
};

// A record that is not model-ready, by its index in the whole input.
struct CorpusRecordIssue {
    std::uint64_t record_index = 0;
    std::string id;
    std::uint64_t warning_count = 0;
    std::uint64_t error_count = 0;
    std::string message;

    friend bool operator==(const CorpusRecordIssue&, const CorpusRecordIssue&) = default;
};

// What every shard of one corpus shares: the settings, the tokenizer and its vocabulary.
struct CorpusProvenance {
    std::string tamri_core_version;
    std::string profile;
    std::string normalization;
    std::string validation_alphabet;
    WorkflowTokenizerMetadata tokenizer;
    ModelInputPolicy model_input_policy;
    std::string vocabulary_sha256;

    friend bool operator==(const CorpusProvenance&, const CorpusProvenance&) = default;
};

struct ShardCounts {
    std::uint64_t records = 0;           // in the shard
    std::uint64_t reported_records = 0;  // in its report: all of them, or those not set aside
    std::uint64_t set_aside_records = 0;
    std::uint64_t readiness_issues = 0;
    std::uint64_t total_length = 0;  // residues of the reported records
    std::uint64_t valid_records = 0;
    std::uint64_t warning_count = 0;
    std::uint64_t error_count = 0;
};

inline constexpr std::string_view shard_summary_format = "tamri.shard_summary.v0";

// What merging needs of one shard's report, and the report file's digest, which shows whether the
// report changed since its run was verified.
struct ShardSummary {
    std::string format{shard_summary_format};
    std::uint64_t index = 0;
    std::string file;    // the shard's FASTA
    std::string report;  // its workflow report
    std::string input_hash;
    bool model_ready = false;
    std::string output_data_sha256;
    std::string report_sha256;  // of the report file's bytes
    CorpusProvenance provenance;
    ShardCounts counts;
    std::vector<CorpusRecordIssue> readiness_issues;
    std::vector<CorpusRecordIssue> set_aside;
    std::optional<arrays::ArraysReference> arrays;  // null: no training arrays were written
};

constexpr auto json_schema(std::type_identity<CorpusRecordIssue>) {
    using T = CorpusRecordIssue;
    return json::record_schema<T>("struct CorpusRecordIssue", json::UnknownFields::reject,
                                  json::field<&T::record_index>("record_index"), json::field<&T::id>("id"),
                                  json::field<&T::warning_count>("warning_count"),
                                  json::field<&T::error_count>("error_count"), json::field<&T::message>("message"));
}

constexpr auto json_schema(std::type_identity<CorpusProvenance>) {
    using T = CorpusProvenance;
    return json::record_schema<T>(
        "struct CorpusProvenance", json::UnknownFields::reject,
        json::field<&T::tamri_core_version>("tamri_core_version"), json::field<&T::profile>("profile"),
        json::field<&T::normalization>("normalization"), json::field<&T::validation_alphabet>("validation_alphabet"),
        json::field<&T::tokenizer>("tokenizer"), json::field<&T::model_input_policy>("model_input_policy"),
        json::field<&T::vocabulary_sha256>("vocabulary_sha256"));
}

constexpr auto json_schema(std::type_identity<ShardCounts>) {
    using T = ShardCounts;
    return json::record_schema<T>(
        "struct ShardCounts", json::UnknownFields::reject, json::field<&T::records>("records"),
        json::field<&T::reported_records>("reported_records"), json::field<&T::set_aside_records>("set_aside_records"),
        json::field<&T::readiness_issues>("readiness_issues"), json::field<&T::total_length>("total_length"),
        json::field<&T::valid_records>("valid_records"), json::field<&T::warning_count>("warning_count"),
        json::field<&T::error_count>("error_count"));
}

constexpr auto json_schema(std::type_identity<ShardSummary>) {
    using T = ShardSummary;
    return json::record_schema<T>(
        "struct ShardSummary", json::UnknownFields::reject, json::field<&T::format>("format"),
        json::field<&T::index>("index"), json::field<&T::file>("file"), json::field<&T::report>("report"),
        json::field<&T::input_hash>("input_hash"), json::field<&T::model_ready>("model_ready"),
        json::field<&T::output_data_sha256>("output_data_sha256"), json::field<&T::report_sha256>("report_sha256"),
        json::field<&T::provenance>("provenance"), json::field<&T::counts>("counts"),
        json::field<&T::readiness_issues>("readiness_issues"), json::field<&T::set_aside>("set_aside"),
        json::field<&T::arrays>("arrays"));
}

// A report or summary whose input hash is not the plan's for its shard: left from another cut.
[[nodiscard]] CorpusError input_hash_mismatch(std::string_view report, std::string_view input_hash,
                                              const ShardPlanEntry& entry);

// "shard-00007.json", "shard-00007.summary.json" and "shard-00007", the prefix of its arrays.
[[nodiscard]] std::string shard_report_file_name(std::uint64_t index);
[[nodiscard]] std::string shard_summary_file_name(std::uint64_t index);
[[nodiscard]] std::string shard_arrays_prefix(std::uint64_t index);

// A shard run's settings as the front ends receive them, the texts not yet judged.
struct ShardSettings {
    std::uint64_t max_length = 0;
    std::uint8_t pad_token_id = 0;
    std::string padding;
    std::string profile;
    UnreadyRecords unready = UnreadyRecords::keep;
    bool arrays = false;  // training arrays beside the report when the shard is model-ready

    [[nodiscard]] WorkflowArguments arguments() const noexcept {
        return WorkflowArguments{max_length, pad_token_id, padding, profile};
    }
};

// A shard's workflow report (the text of its file: compact JSON and a line feed), its summary and
// its rows when it is model-ready.
struct ShardRun {
    std::string report_file_text;
    ShardSummary summary;
    std::optional<ModelInput> model_input;
};

// Runs the workflow over one shard of the plan. With `keep`, the report is that of the workflow
// over all of the shard's records, as a workflow over its FASTA text gives it; with `drop`, that of
// the workflow over the records that are model-ready, under the shard's input hash. Throws
// CorpusError when the shard's records or input hash are not the plan's, and the workflow's own
// failures.
[[nodiscard]] ShardRun run_shard(ByteLineReader& shard, const ShardPlanEntry& entry, const ShardSettings& settings);

// The members of a report before "validation", which hold its provenance: a report is read only
// that far, however large the rest.
inline constexpr std::string_view report_head_end = R"(,"validation":)";

// The settings a shard's report was made with, read from its provenance: `drop` when it covers
// fewer records than the shard holds. `report_head` is the report's beginning up to at least
// `report_head_end`, or all of it. Throws CorpusError naming the report when it is not the
// beginning of a workflow report over this shard.
[[nodiscard]] ShardSettings report_settings(std::string_view report_head, const ShardPlanEntry& entry);

}  // namespace tamri::corpus
