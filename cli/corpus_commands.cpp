#include "commands.hpp"
#include "fasta_input.hpp"
#include "output_file.hpp"

#include "tamri/corpus/shard.hpp"
#include "tamri/json/record.hpp"

#include <fmt/format.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tamri::cli {
namespace {

struct ShardOptions {
    std::string input;
    std::string directory;
    std::string shard_size = "64M";
    bool progress = false;
};

// "64M": a whole number of bytes with an optional K, M or G (powers of 1,024); none for anything else.
std::optional<std::uint64_t> parse_size(std::string_view text) {
    std::uint64_t unit = 1;
    if (!text.empty()) {
        switch (text.back()) {
            case 'K': unit = std::uint64_t{1} << 10; break;
            case 'M': unit = std::uint64_t{1} << 20; break;
            case 'G': unit = std::uint64_t{1} << 30; break;
            default: break;
        }
    }
    const std::string_view digits = unit == 1 ? text : text.substr(0, text.size() - 1);
    std::uint64_t value = 0;
    const auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc{} || stop != digits.data() + digits.size() || value == 0 ||
        value > std::numeric_limits<std::uint64_t>::max() / unit) {
        return std::nullopt;
    }
    return value * unit;
}

// Shard files written under temporary names and given their names together once the whole input
// has been read, so that a failure leaves the directory as it was.
class DirectoryShardWriter final : public corpus::ShardWriter {
public:
    DirectoryShardWriter(std::filesystem::path directory, bool progress)
        : directory_(std::move(directory)), progress_(progress) {}

    void open_shard(const std::string& file) override {
        shards_.push_back(std::make_unique<Output>((directory_ / file).string()));
    }
    void write(std::string_view bytes) override { shards_.back()->write(bytes); }
    void close_shard() override {
        shards_.back()->finish();
        if (progress_) {
            fmt::print(stderr, "tamri shard: {} shards cut\n", shards_.size());
        }
    }

    void publish() {
        for (const auto& shard : shards_) {
            shard->publish();
        }
    }

private:
    std::filesystem::path directory_;
    bool progress_;
    std::vector<std::unique_ptr<Output>> shards_;
};

// A directory this run created, removed again unless the run keeps it: a failed run leaves no trace.
class CreatedDirectory {
public:
    explicit CreatedDirectory(std::filesystem::path path)
        : path_(std::move(path)), created_(std::filesystem::create_directories(path_)) {}
    CreatedDirectory(const CreatedDirectory&) = delete;
    CreatedDirectory& operator=(const CreatedDirectory&) = delete;
    ~CreatedDirectory() {
        if (created_) {
            std::error_code ignored;  // only an empty directory goes; anything left in it stays
            std::filesystem::remove(path_, ignored);
        }
    }

    void keep() noexcept { created_ = false; }

private:
    std::filesystem::path path_;
    bool created_;
};

ExitStatus run_shard(const ShardOptions& options) {
    const std::uint64_t shard_size = *parse_size(options.shard_size);
    const std::filesystem::path directory{options.directory};
    CreatedDirectory created{directory};
    DirectoryShardWriter writer{directory, options.progress || ::isatty(STDERR_FILENO) == 1};
    FastaInput input{options.input};
    const corpus::ShardPlan plan = corpus::cut_fasta_into_shards(input.lines(), shard_size, writer);
    writer.publish();
    // The plan comes last: its presence says that every shard it names is in place.
    write_report((directory / "plan.json").string(), json::record_json_text(plan));
    created.keep();
    return ExitStatus::success;
}

}  // namespace

void add_corpus_commands(CLI::App& app, Command& command) {
    auto options = std::make_shared<ShardOptions>();
    CLI::App* shard = app.add_subcommand(
        "shard",
        "Cut FASTA input into shards of whole records, DIR/shard-NNNNN.fa, and describe them in DIR/plan.json. "
        "Concatenated, the shards are the (decompressed) input; boundaries depend only on the input and the size.");
    add_input_argument(*shard, options->input, "FASTA input, plain or gzip-compressed");
    shard->add_option("-o,--output", options->directory, "The directory to write the shards and plan.json into")
        ->required();
    shard
        ->add_option("--shard-size", options->shard_size,
                     "Largest shard in bytes, with K, M or G for powers of 1,024; a larger record makes a shard of its "
                     "own")
        ->capture_default_str()
        ->check(CLI::Validator{[](std::string& text) {
                                   return parse_size(text) ? std::string{}
                                                           : fmt::format("expected a size such as 64M, got '{}'", text);
                               },
                               ""});
    shard->add_flag("--progress", options->progress,
                    "A line on stderr per shard cut; the default when stderr is a terminal");
    shard->callback([options, &command] { command = [options] { return run_shard(*options); }; });
}

}  // namespace tamri::cli
