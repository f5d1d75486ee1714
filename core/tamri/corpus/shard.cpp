#include "tamri/corpus/shard.hpp"

#include "tamri/digest/sha256.hpp"
#include "tamri/digest/stable_hash.hpp"
#include "tamri/fasta/records.hpp"
#include "tamri/fasta/scan.hpp"

#include <fmt/format.h>

namespace tamri::corpus {
namespace {

// Collects the plan while the lines go by: a record's lines wait in `pending_` until the next
// header shows that the record is whole, then go to the open shard or, when they would overflow
// it, to a new one.
class ShardCutter {
public:
    ShardCutter(std::uint64_t shard_size, io::FileSink& writer) : shard_size_(shard_size), writer_(writer) {}

    void take_line(std::string_view line) {
        const bool header = trim_fasta_line_bytes(line).bytes.starts_with('>');
        if (header && pending_records_ > 0) {
            flush_pending();
        }
        if (pending_.empty()) {
            pending_first_line_ = next_line_;
            pending_first_record_ = records_seen_;
        }
        pending_.append(line);
        ++next_line_;
        if (header) {
            ++records_seen_;
            ++pending_records_;
        }
    }

    ShardPlan finish(std::string input_hash) {
        flush_pending();
        close_shard();
        plan_.input = ShardPlanInput{bytes_written_, records_seen_, std::move(input_hash), whole_sha256_.finish()};
        plan_.shard_size = shard_size_;
        return std::move(plan_);
    }

private:
    void flush_pending() {
        if (pending_.empty()) {
            return;
        }
        if (open_ && plan_.shards.back().bytes + pending_.size() > shard_size_) {
            close_shard();
        }
        if (!open_) {
            open_shard();
        }
        ShardPlanEntry& shard = plan_.shards.back();
        writer_.write(pending_);
        shard.bytes += pending_.size();
        shard.records += pending_records_;
        shard_hash_.update(pending_);
        shard_sha256_.update(pending_);
        whole_sha256_.update(pending_);
        bytes_written_ += pending_.size();
        pending_.clear();
        pending_records_ = 0;
    }

    void open_shard() {
        const std::uint64_t index = plan_.shards.size();
        plan_.shards.push_back(ShardPlanEntry{
            index, shard_file_name(index), bytes_written_, 0, pending_first_line_, pending_first_record_, 0, {}, {}});
        writer_.open(plan_.shards.back().file);
        shard_hash_ = StableInputHasher{};
        shard_sha256_ = Sha256{};
        open_ = true;
    }

    void close_shard() {
        if (!open_) {
            return;
        }
        writer_.close();
        ShardPlanEntry& shard = plan_.shards.back();
        shard.input_hash = shard_hash_.finalize();
        shard.sha256 = shard_sha256_.finish();
        open_ = false;
    }

    std::uint64_t shard_size_;
    io::FileSink& writer_;
    ShardPlan plan_;
    bool open_ = false;
    std::string pending_;
    std::uint64_t pending_records_ = 0;
    std::uint64_t pending_first_line_ = 1;
    std::uint64_t pending_first_record_ = 0;
    std::uint64_t next_line_ = 1;
    std::uint64_t records_seen_ = 0;
    std::uint64_t bytes_written_ = 0;
    StableInputHasher shard_hash_;
    Sha256 shard_sha256_;
    Sha256 whole_sha256_;
};

// Hands every line to the cutter as the scanner reads it, so both see the same bytes once.
class CuttingLineReader final : public ByteLineReader {
public:
    CuttingLineReader(ByteLineReader& lines, ShardCutter& cutter) : lines_(lines), cutter_(cutter) {}

    std::string_view read_line() override {
        const std::string_view line = lines_.read_line();
        if (!line.empty()) {
            cutter_.take_line(line);
        }
        return line;
    }

private:
    ByteLineReader& lines_;
    ShardCutter& cutter_;
};

// Keeps nothing but the scanner's check that every record has a sequence.
class CheckingRecordSink final : public NormalizingRecordSink {
public:
    void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) override {
        (void)open_sequence(id, line, record_index);
        sequence.clear();
    }
};

}  // namespace

std::string shard_file_name(std::uint64_t index) {
    return fmt::format("shard-{:05}.fa", index);
}

ShardPlan cut_fasta_into_shards(ByteLineReader& reader, std::uint64_t shard_size, io::FileSink& writer) {
    ShardCutter cutter{shard_size, writer};
    CuttingLineReader lines{reader, cutter};
    CheckingRecordSink sink;
    StableInputHasher hasher;
    scan_fasta_reader(lines, sink, hasher);
    return cutter.finish(hasher.finalize());
}

}  // namespace tamri::corpus
