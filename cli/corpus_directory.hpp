#pragma once

// A corpus directory: the shards and plan.json of one input, each shard's report and summary, and
// the corpus report. Every file is written under a temporary name and renamed into place.

#include "tamri/corpus/job.hpp"
#include "tamri/corpus/shard.hpp"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tamri::cli {

struct MergedCorpus {
    std::string report_json;
    bool model_ready = false;
};

class CorpusDirectory {
public:
    CorpusDirectory(std::filesystem::path root, std::string_view command, bool progress)
        : root_(std::move(root)), command_(command), progress_(progress) {}

    // Cuts the input into shards and writes plan.json last. Files of shards past the new plan's
    // last and a corpus report, all stale now, are removed. On failure the directory keeps what it
    // had (one this run created is removed).
    [[nodiscard]] corpus::ShardPlan cut(const std::string& input, std::uint64_t shard_size) const;

    // The plan, refused (CorpusError) when it names anything but its own shard files.
    [[nodiscard]] corpus::ShardPlan plan() const;

    // Runs one shard and writes its report, reads the report back to check it, then writes the
    // summary. Returns whether the shard is model-ready.
    bool run_shard(const corpus::ShardPlanEntry& entry, const corpus::ShardSettings& settings) const;

    // True when the shard's summary verifies for these settings: a rerun keeps its report.
    [[nodiscard]] bool has_current_run(const corpus::ShardPlanEntry& entry,
                                       const corpus::ShardSettings& settings) const;

    // Whether merging checks each report against its summary's digest, or trusts summaries that
    // this process has just written or verified.
    enum class Reports : bool { check, verified_by_this_run };

    // Combines the shards' summaries; a shard without one has it derived from its report, which
    // must be what its shard gives under the settings the report records.
    [[nodiscard]] MergedCorpus merge(const corpus::ShardPlan& plan, Reports reports = Reports::check) const;

    [[nodiscard]] std::filesystem::path path(const std::string& name) const { return root_ / name; }

    // A progress line on stderr, when progress was asked for.
    void note(std::string_view what) const;

private:
    [[nodiscard]] corpus::ShardSummary summary_for_merge(const corpus::ShardPlanEntry& entry, Reports reports) const;
    // The arrays a shard run by hand left beside its report, which must be of that report.
    [[nodiscard]] std::optional<arrays::ArraysReference> arrays_written_by_hand(
        const corpus::ShardPlanEntry& entry, const std::string& output_data_sha256) const;
    // True when the summary names no arrays or its arrays manifest still has the recorded digest.
    [[nodiscard]] bool arrays_as_recorded(const corpus::ShardSummary& summary) const;
    void write_summary(const corpus::ShardSummary& summary) const;
    void remove_stale_files(std::uint64_t shard_count) const;

    std::filesystem::path root_;
    std::string_view command_;  // names the progress lines
    bool progress_;
};

}  // namespace tamri::cli
