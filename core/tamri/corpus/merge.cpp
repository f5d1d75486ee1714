#include "tamri/corpus/merge.hpp"

#include "tamri/base/codes.hpp"
#include "tamri/digest/sha256.hpp"

#include <fmt/format.h>

#include <iterator>
#include <utility>

namespace tamri::corpus {
namespace {

void add_counts(ShardCounts& total, const ShardCounts& shard) {
    total.records += shard.records;
    total.reported_records += shard.reported_records;
    total.set_aside_records += shard.set_aside_records;
    total.readiness_issues += shard.readiness_issues;
    total.total_length += shard.total_length;
    total.valid_records += shard.valid_records;
    total.warning_count += shard.warning_count;
    total.error_count += shard.error_count;
}

template <class T>
void append(std::vector<T>& to, std::vector<T>&& from) {
    to.insert(to.end(), std::make_move_iterator(from.begin()), std::make_move_iterator(from.end()));
}

}  // namespace

ShardPlan read_shard_plan(std::string_view plan_text) {
    ShardPlan plan;
    try {
        plan = json::decode_record_document<ShardPlan>(plan_text);
    } catch (const json::DecodeError& error) {
        throw CorpusError{code::corpus_invalid_plan, fmt::format("plan.json is not a shard plan: {}", error.detail())};
    }
    if (plan.format != shard_plan_format) {
        throw CorpusError{code::corpus_invalid_plan,
                          fmt::format("plan.json has format '{}', not '{}'", plan.format, shard_plan_format)};
    }
    for (std::size_t i = 0; i < plan.shards.size(); ++i) {
        const ShardPlanEntry& entry = plan.shards[i];
        if (entry.index != i || entry.file != shard_file_name(i)) {
            throw CorpusError{code::corpus_invalid_plan, fmt::format("plan.json names '{}' as shard {}, not '{}'",
                                                                     entry.file, entry.index, shard_file_name(i))};
        }
    }
    return plan;
}

std::optional<ShardSummary> read_shard_summary(std::string_view summary_text, const ShardPlanEntry& entry) {
    try {
        ShardSummary summary = json::decode_record_document<ShardSummary>(summary_text);
        if (summary.format == shard_summary_format && summary.index == entry.index && summary.file == entry.file &&
            summary.report == shard_report_file_name(entry.index)) {
            return summary;
        }
    } catch (const json::DecodeError&) {
        // Not a summary of this shard: the caller derives one from the report.
    }
    return std::nullopt;
}

CorpusMerger::CorpusMerger(const ShardPlan& plan) : plan_(plan) {
    report_.input = plan.input;
    report_.shard_size = plan.shard_size;
    report_.shards.reserve(plan.shards.size());
}

void CorpusMerger::add(ShardSummary summary) {
    const std::string& report = summary.report;
    const ShardPlanEntry& entry = plan_.shards.at(report_.shards.size());
    if (summary.index != entry.index || summary.input_hash != entry.input_hash) {
        throw input_hash_mismatch(report, summary.input_hash, entry);
    }
    if (!report_.shards.empty() && summary.provenance != report_.provenance) {
        throw CorpusError{code::corpus_invalid_shard,
                          fmt::format("{} was made with other settings, tokenizer or vocabulary than {}", report,
                                      shard_report_file_name(report_.shards.front().index))};
    }
    if (report_.shards.empty()) {
        report_.provenance = std::move(summary.provenance);
    }
    report_.model_ready = report_.model_ready && summary.model_ready;
    add_counts(report_.totals, summary.counts);
    append(report_.readiness_issues, std::move(summary.readiness_issues));
    append(report_.set_aside, std::move(summary.set_aside));
    report_.shards.push_back(CorpusShard{summary.index, std::move(summary.file), summary.counts.records,
                                         std::move(summary.input_hash), std::move(summary.output_data_sha256),
                                         summary.model_ready, std::move(summary.arrays)});
}

std::string CorpusMerger::finish() && {
    report_.corpus_sha256.reset();
    report_.corpus_sha256 = sha256_canonical_json_digest(json::json_text(report_));
    return json::json_text(report_);
}

}  // namespace tamri::corpus
