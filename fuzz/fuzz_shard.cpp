// The shard cutter: the shards concatenate to the input, each reads to its share of the whole
// input's records in order, none is empty or larger than the size unless it holds one record,
// and malformed input fails exactly as reading it whole does.
#include "fuzz_support.hpp"

#include "tamri/corpus/shard.hpp"
#include "tamri/fasta/scan.hpp"

#include <optional>
#include <string>
#include <vector>

namespace {

using tamri::fuzz::require;

class CollectingShardWriter final : public tamri::io::FileSink {
public:
    std::vector<std::string> shards;

    void open(const std::string&) override { shards.emplace_back(); }
    void write(std::string_view bytes) override { shards.back().append(bytes); }
    void close() override {}
};

// The records of the bytes, or the failure's code and location.
struct Reading {
    std::vector<tamri::ProteinSequence> records;
    std::string input_hash;
    std::optional<std::string> failure;
};

std::string failure_text(const tamri::FastaReadError& error) {
    const auto location = error.location();
    return std::string{error.code()} + ": " + error.message() +
           (location && location->line ? " line " + std::to_string(*location->line) : "");
}

Reading read_whole(std::string_view bytes) {
    tamri::MemoryByteLineReader lines{bytes};
    try {
        tamri::ParsedFastaInput parsed = tamri::parse_fasta_records_reader(lines);
        return {std::move(parsed.records), std::move(parsed.input_hash), std::nullopt};
    } catch (const tamri::FastaReadError& error) {
        return {{}, {}, failure_text(error)};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input || input->empty()) {
        return 0;
    }
    // The first byte picks the shard size, so that small inputs still make several shards.
    const std::uint64_t shard_size = static_cast<unsigned char>(input->front()) % 64 + 1;
    const std::string_view text = input->substr(1);
    const Reading whole = read_whole(text);
    CollectingShardWriter writer;
    tamri::MemoryByteLineReader lines{text};
    std::optional<tamri::corpus::ShardPlan> plan;
    try {
        plan = tamri::corpus::cut_fasta_into_shards(lines, shard_size, writer);
    } catch (const tamri::FastaReadError& error) {
        tamri::fuzz::require_well_formed(error);
        require(whole.failure == failure_text(error));
        return 0;
    }
    require(!whole.failure && plan->input.input_hash == whole.input_hash);
    require(plan->shards.size() == writer.shards.size());
    std::string joined;
    std::vector<tamri::ProteinSequence> records;
    for (std::size_t i = 0; i < writer.shards.size(); ++i) {
        const std::string& shard = writer.shards[i];
        const Reading part = read_whole(shard);
        require(!part.failure && !part.records.empty());
        require(plan->shards[i].bytes == shard.size() && plan->shards[i].records == part.records.size());
        require(shard.size() <= shard_size || part.records.size() == 1);
        joined += shard;
        records.insert(records.end(), part.records.begin(), part.records.end());
    }
    require(joined == text && records == whole.records);
    return 0;
}
