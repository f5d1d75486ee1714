#pragma once

// The corpus report: the shards' summaries combined in shard order under the plan's whole-input
// hashes, refused when they do not belong together, and sealed with a digest of its canonical JSON.

#include "tamri/corpus/job.hpp"
#include "tamri/corpus/shard.hpp"
#include "tamri/json/record.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::corpus {

inline constexpr std::string_view corpus_report_format = "tamri.corpus.v0";

struct CorpusShard {
    std::uint64_t index = 0;
    std::string file;
    std::uint64_t records = 0;
    std::string input_hash;
    std::string output_data_sha256;
    bool model_ready = false;
    std::optional<arrays::ArraysReference> arrays;  // null: no training arrays were written
};

struct CorpusReport {
    std::string format{corpus_report_format};
    bool model_ready = true;
    ShardPlanInput input;
    std::uint64_t shard_size = 0;
    CorpusProvenance provenance;
    ShardCounts totals;  // over every shard
    std::vector<CorpusRecordIssue> readiness_issues;
    std::vector<CorpusRecordIssue> set_aside;
    std::vector<CorpusShard> shards;
    // SHA-256 of the canonical JSON of every other member; left out while it is computed.
    std::optional<std::string> corpus_sha256;
};

constexpr auto json_schema(std::type_identity<CorpusShard>) {
    using T = CorpusShard;
    return json::record_schema<T>("struct CorpusShard", json::UnknownFields::reject, json::field<&T::index>("index"),
                                  json::field<&T::file>("file"), json::field<&T::records>("records"),
                                  json::field<&T::input_hash>("input_hash"),
                                  json::field<&T::output_data_sha256>("output_data_sha256"),
                                  json::field<&T::model_ready>("model_ready"), json::field<&T::arrays>("arrays"));
}

constexpr auto json_schema(std::type_identity<CorpusReport>) {
    using T = CorpusReport;
    return json::record_schema<T>("struct CorpusReport", json::UnknownFields::reject, json::field<&T::format>("format"),
                                  json::field<&T::model_ready>("model_ready"), json::field<&T::input>("input"),
                                  json::field<&T::shard_size>("shard_size"), json::field<&T::provenance>("provenance"),
                                  json::field<&T::totals>("totals"),
                                  json::field<&T::readiness_issues>("readiness_issues"),
                                  json::field<&T::set_aside>("set_aside"), json::field<&T::shards>("shards"),
                                  json::field<&T::corpus_sha256>("corpus_sha256", json::Absent::omitted));
}

// Reads plan.json and refuses a plan that names anything but its own shard files, in order.
[[nodiscard]] ShardPlan read_shard_plan(std::string_view plan_text);

// Reads a shard's summary; none when it is not a summary of this shard (the caller derives one).
[[nodiscard]] std::optional<ShardSummary> read_shard_summary(std::string_view summary_text,
                                                             const ShardPlanEntry& entry);

// Combines the summaries of a plan's shards, given in shard order; holds only the summaries' lists.
class CorpusMerger {
public:
    // The plan must outlive the merger.
    explicit CorpusMerger(const ShardPlan& plan);

    // Refuses (CorpusError naming the shard) a summary whose input hash is not the plan's or
    // whose provenance differs from the first shard's.
    void add(ShardSummary summary);

    [[nodiscard]] bool model_ready() const noexcept { return report_.model_ready; }

    // The corpus report's JSON text, its digest in place.
    [[nodiscard]] std::string finish() &&;

private:
    const ShardPlan& plan_;
    CorpusReport report_;
};

}  // namespace tamri::corpus
