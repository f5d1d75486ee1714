#pragma once

// Cutting a FASTA stream into shards of whole records, in one pass and the memory of its longest
// record, and the plan that describes them: sizes, positions, record counts and digests.

#include "tamri/io/file_sink.hpp"
#include "tamri/io/line_reader.hpp"
#include "tamri/json/record.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::corpus {

inline constexpr std::string_view shard_plan_format = "tamri.shard_plan.v0";

// The whole input as the plan records it.
struct ShardPlanInput {
    std::uint64_t bytes = 0;
    std::uint64_t records = 0;
    std::string input_hash;  // the stable input hash of every byte, as a workflow over all of them reports it
    std::string sha256;
};

struct ShardPlanEntry {
    std::uint64_t index = 0;
    std::string file;
    std::uint64_t offset = 0;  // of its first byte in the input
    std::uint64_t bytes = 0;
    std::uint64_t first_line = 0;  // 1-based, in the input
    std::uint64_t first_record_index = 0;
    std::uint64_t records = 0;
    std::string input_hash;
    std::string sha256;
};

struct ShardPlan {
    std::string format{shard_plan_format};
    ShardPlanInput input;
    std::uint64_t shard_size = 0;
    std::vector<ShardPlanEntry> shards;
};

constexpr auto json_schema(std::type_identity<ShardPlanInput>) {
    using T = ShardPlanInput;
    return json::record_schema<T>("struct ShardPlanInput", json::UnknownFields::reject, json::field<&T::bytes>("bytes"),
                                  json::field<&T::records>("records"), json::field<&T::input_hash>("input_hash"),
                                  json::field<&T::sha256>("sha256"));
}

constexpr auto json_schema(std::type_identity<ShardPlanEntry>) {
    using T = ShardPlanEntry;
    return json::record_schema<T>("struct ShardPlanEntry", json::UnknownFields::reject, json::field<&T::index>("index"),
                                  json::field<&T::file>("file"), json::field<&T::offset>("offset"),
                                  json::field<&T::bytes>("bytes"), json::field<&T::first_line>("first_line"),
                                  json::field<&T::first_record_index>("first_record_index"),
                                  json::field<&T::records>("records"), json::field<&T::input_hash>("input_hash"),
                                  json::field<&T::sha256>("sha256"));
}

constexpr auto json_schema(std::type_identity<ShardPlan>) {
    using T = ShardPlan;
    return json::record_schema<T>("struct ShardPlan", json::UnknownFields::reject, json::field<&T::format>("format"),
                                  json::field<&T::input>("input"), json::field<&T::shard_size>("shard_size"),
                                  json::field<&T::shards>("shards"));
}

// "shard-00007.fa": at least five digits, so that names sort in shard order up to 100,000 shards.
[[nodiscard]] std::string shard_file_name(std::uint64_t index);

// Reads the stream once, checking it with the FASTA stream scanner's rules, and cuts it before
// header lines into shards of at most `shard_size` bytes (one record larger than that makes a shard
// of its own). The shards concatenate to the input. Throws FastaReadError for malformed FASTA, with
// the line and record index of the whole input; `writer` may have received shards by then, each a file named as the
// plan names it.
[[nodiscard]] ShardPlan cut_fasta_into_shards(ByteLineReader& reader, std::uint64_t shard_size, io::FileSink& writer);

}  // namespace tamri::corpus
