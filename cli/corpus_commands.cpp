#include "commands.hpp"
#include "corpus_directory.hpp"
#include "settings_options.hpp"

#include "tamri/base/codes.hpp"
#include "tamri/corpus/job.hpp"
#include "tamri/corpus/shard.hpp"
#include "tamri/workflow/workflow.hpp"

#include <fmt/format.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
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

bool progress_wanted(bool flag) {
    return flag || ::isatty(STDERR_FILENO) == 1;
}

ExitStatus run_shard_command(const ShardOptions& options) {
    const CorpusDirectory directory{options.directory, "shard", progress_wanted(options.progress)};
    (void)directory.cut(options.input, *parse_size(options.shard_size));
    return ExitStatus::success;
}

struct RunShardOptions {
    std::string directory;
    std::uint64_t index = 0;
    SettingsOptions settings;
};

ExitStatus run_one_shard(const RunShardOptions& options) {
    const corpus::ShardSettings settings = options.settings.resolve();
    const CorpusDirectory directory{options.directory, "run-shard", false};
    const corpus::ShardPlan plan = directory.plan();
    if (options.index >= plan.shards.size()) {
        throw ToolError{code::cli_invalid_arguments,
                        fmt::format("INDEX: got {}, but the plan's shards are numbered from 0 to {}", options.index,
                                    plan.shards.size() - 1)};
    }
    return status_for(directory.run_shard(plan.shards[options.index], settings));
}

struct MergeOptions {
    std::string directory;
    std::string output = "-";
};

ExitStatus run_merge(const MergeOptions& options) {
    const CorpusDirectory directory{options.directory, "merge", false};
    const MergedCorpus merged = directory.merge(directory.plan());
    write_report(options.output, merged.report_json);
    return status_for(merged.model_ready);
}

struct CorpusOptions {
    ShardOptions shard;
    unsigned jobs = std::max(1U, std::thread::hardware_concurrency());
    SettingsOptions settings;
};

// Runs the shards `jobs` at a time, each thread taking the next shard not yet run; a shard whose
// summary verifies under the same settings is kept. The failure of the lowest shard is rethrown
// once every running shard has finished.
void run_shards(const CorpusDirectory& directory, const corpus::ShardPlan& plan, const corpus::ShardSettings& settings,
                unsigned jobs) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::vector<std::exception_ptr> failures(plan.shards.size());
    const auto work = [&] {
        for (std::size_t i = next++; i < plan.shards.size() && !failed; i = next++) {
            try {
                if (directory.has_current_run(plan.shards[i], settings)) {
                    directory.note(fmt::format("kept {}", plan.shards[i].file));
                } else {
                    (void)directory.run_shard(plan.shards[i], settings);
                }
            } catch (...) {
                failures[i] = std::current_exception();
                failed = true;
            }
        }
    };
    {
        std::vector<std::jthread> threads;
        for (unsigned i = 1; i < std::min<std::size_t>(jobs, plan.shards.size()); ++i) {
            threads.emplace_back(work);
        }
        work();
    }
    for (const std::exception_ptr& failure : failures) {
        if (failure) {
            std::rethrow_exception(failure);
        }
    }
}

ExitStatus run_corpus(const CorpusOptions& options) {
    const corpus::ShardSettings settings = options.settings.resolve();
    const CorpusDirectory directory{options.shard.directory, "corpus", progress_wanted(options.shard.progress)};
    const corpus::ShardPlan plan = directory.cut(options.shard.input, *parse_size(options.shard.shard_size));
    run_shards(directory, plan, settings, options.jobs);
    const MergedCorpus merged = directory.merge(plan, CorpusDirectory::Reports::verified_by_this_run);
    write_report(directory.path("corpus.json").string(), merged.report_json);
    return status_for(merged.model_ready);
}

void add_shard_options(CLI::App& command, ShardOptions& options) {
    add_input_argument(command, options.input, "FASTA input, plain or gzip-compressed");
    command.add_option("-o,--output", options.directory, "The corpus directory to write into")->required();
    command
        .add_option("--shard-size", options.shard_size,
                    "Largest shard in bytes, with K, M or G for powers of 1,024; a larger record makes a shard of its "
                    "own")
        ->capture_default_str()
        ->check(CLI::Validator{[](std::string& text) {
                                   return parse_size(text) ? std::string{}
                                                           : fmt::format("expected a size such as 64M, got '{}'", text);
                               },
                               ""});
    command.add_flag("--progress", options.progress,
                     "A line on stderr per step; the default when stderr is a terminal");
}

}  // namespace

void add_corpus_commands(CLI::App& app, Command& command) {
    auto shard_options = std::make_shared<ShardOptions>();
    CLI::App* shard = app.add_subcommand(
        "shard",
        "Cut FASTA input into shards of whole records, DIR/shard-NNNNN.fa, and describe them in DIR/plan.json. "
        "Concatenated, the shards are the (decompressed) input; boundaries depend only on the input and the size.");
    add_shard_options(*shard, *shard_options);
    shard->callback(
        [shard_options, &command] { command = [shard_options] { return run_shard_command(*shard_options); }; });

    auto run_options = std::make_shared<RunShardOptions>();
    CLI::App* run_shard = app.add_subcommand(
        "run-shard",
        "Run the workflow over shard INDEX of DIR/plan.json: DIR/shard-NNNNN.json is its report and "
        "DIR/shard-NNNNN.summary.json what merge reads of it. Exit status 0 when the shard is model-ready, 1 "
        "otherwise.");
    run_shard->add_option("DIR", run_options->directory, "The corpus directory")->required();
    run_shard->add_option("INDEX", run_options->index, "The shard's index in the plan")
        ->required()
        ->check(unsigned_decimal<std::uint64_t>());
    add_settings_options(*run_shard, run_options->settings);
    add_shard_run_options(*run_shard, run_options->settings);
    run_shard->callback([run_options, &command] { command = [run_options] { return run_one_shard(*run_options); }; });

    auto merge_options = std::make_shared<MergeOptions>();
    CLI::App* merge = app.add_subcommand(
        "merge",
        "Combine the shard reports of DIR in shard order into the corpus report and print it. Refuses shards "
        "that are missing, changed, or not of this plan and these settings. Exit status 0 when every shard is "
        "model-ready, 1 otherwise.");
    merge->add_option("DIR", merge_options->directory, "The corpus directory")->required();
    add_output_option(*merge, merge_options->output);
    merge->callback([merge_options, &command] { command = [merge_options] { return run_merge(*merge_options); }; });

    auto corpus_options = std::make_shared<CorpusOptions>();
    CLI::App* corpus = app.add_subcommand(
        "corpus",
        "shard, run-shard for every shard (--jobs at a time) and merge into DIR/corpus.json. Rerun, keeps the "
        "shards already run under the same settings. Exit status 0 when the corpus is model-ready, 1 otherwise.");
    add_shard_options(*corpus, corpus_options->shard);
    corpus->add_option("--jobs", corpus_options->jobs, "Shards run at a time; the default is the number of cores")
        ->check(CLI::Range(1U, 1024U))
        ->capture_default_str();
    add_settings_options(*corpus, corpus_options->settings);
    add_shard_run_options(*corpus, corpus_options->settings);
    corpus->callback(
        [corpus_options, &command] { command = [corpus_options] { return run_corpus(*corpus_options); }; });
}

}  // namespace tamri::cli
