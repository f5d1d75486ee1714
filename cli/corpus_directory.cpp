#include "corpus_directory.hpp"

#include "arrays_output.hpp"
#include "command.hpp"
#include "fasta_input.hpp"
#include "output_file.hpp"

#include "tamri/base/codes.hpp"
#include "tamri/base/version.hpp"
#include "tamri/corpus/merge.hpp"
#include "tamri/digest/sha256.hpp"
#include "tamri/io/file.hpp"

#include <fmt/format.h>

#include <fcntl.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace tamri::cli {
namespace {

// Reads a whole file in pieces; false when it does not exist. Other failures throw "io.read_failed".
template <class Sink>
bool read_file_if_present(const std::filesystem::path& path, Sink&& sink) {
    io::FileHandle file{io::retry_on_interrupt([&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC); })};
    if (!file.is_open()) {
        if (errno == ENOENT) {
            return false;
        }
        throw ToolError{code::io_read_failed, system_failure_text("open", path.string(), errno)};
    }
    if (const std::error_code error = io::read_chunks(file.get(), sink)) {
        throw ToolError{code::io_read_failed, system_failure_text("read", path.string(), error.value())};
    }
    return true;
}

std::optional<std::string> file_text(const std::filesystem::path& path) {
    std::string text;
    if (!read_file_if_present(path, [&text](std::string_view piece) { text.append(piece); })) {
        return std::nullopt;
    }
    return text;
}

// The file's beginning, read until `end` has been seen (or the whole file when it never is).
std::string file_head(const std::filesystem::path& path, std::string_view end) {
    std::string head;
    bool complete = false;
    (void)read_file_if_present(path, [&](std::string_view piece) {
        if (!complete) {
            head.append(piece);
            complete = head.find(end) != std::string::npos;
        }
    });
    return head;
}

// Whether the file holds exactly `expected`, compared piece by piece.
bool file_holds(const std::filesystem::path& path, std::string_view expected) {
    std::size_t offset = 0;
    bool same = true;
    const bool present = read_file_if_present(path, [&](std::string_view piece) {
        same = same && expected.substr(offset, piece.size()) == piece;
        offset += piece.size();
    });
    return present && same && offset == expected.size();
}

std::optional<std::string> file_sha256(const std::filesystem::path& path) {
    Sha256 digest;
    if (!read_file_if_present(path, [&digest](std::string_view piece) { digest.update(piece); })) {
        return std::nullopt;
    }
    return digest.finish();
}

// The index of a shard's file, "shard-00007." and anything (its FASTA, report, summary, arrays);
// none for other names.
std::optional<std::uint64_t> shard_file_index(std::string_view name) {
    constexpr std::string_view prefix = "shard-";
    if (!name.starts_with(prefix)) {
        return std::nullopt;
    }
    name.remove_prefix(prefix.size());
    std::uint64_t index = 0;
    const auto [stop, error] = std::from_chars(name.data(), name.data() + name.size(), index);
    const std::string_view suffix{stop, static_cast<std::size_t>(name.data() + name.size() - stop)};
    if (error != std::errc{} || stop - name.data() < 5 || !suffix.starts_with('.')) {
        return std::nullopt;
    }
    return index;
}

// Shard files written under temporary names and given their names together once the whole input
// has been read, so that a failure leaves the directory as it was.
class DirectoryShardWriter final : public io::FileSink {
public:
    DirectoryShardWriter(const CorpusDirectory& directory, std::function<void(std::string_view)> note)
        : directory_(directory), note_(std::move(note)) {}

    void open(const std::string& file) override {
        shards_.push_back(std::make_unique<Output>(directory_.path(file).string()));
        names_.push_back(file);
    }
    void write(std::string_view bytes) override { shards_.back()->write(bytes); }
    void close() override {
        shards_.back()->finish();
        note_(fmt::format("cut {}", names_.back()));
    }

    void publish() {
        for (const auto& shard : shards_) {
            shard->publish();
        }
    }

private:
    const CorpusDirectory& directory_;
    std::function<void(std::string_view)> note_;
    std::vector<std::unique_ptr<Output>> shards_;
    std::vector<std::string> names_;
};

// A directory this run created, removed again unless the run keeps it: a failed run leaves no trace.
class CreatedDirectory {
public:
    explicit CreatedDirectory(std::filesystem::path path) : path_(std::move(path)) {
        std::error_code error;
        created_ = std::filesystem::create_directories(path_, error);
        if (error) {
            throw ToolError{code::io_write_failed,
                            system_failure_text("create directory", path_.string(), error.value())};
        }
    }
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
    bool created_ = false;
};

bool same_settings(const corpus::CorpusProvenance& provenance, const corpus::ShardSettings& settings) {
    const ModelInputPolicy& policy = provenance.model_input_policy;
    return provenance.tamri_core_version == tamri_core_version && provenance.profile == settings.profile &&
           policy.max_length == settings.max_length && policy.pad_token_id == settings.pad_token_id &&
           enum_text(policy.padding) == settings.padding;
}

}  // namespace

corpus::ShardPlan CorpusDirectory::cut(const std::string& input, std::uint64_t shard_size) const {
    CreatedDirectory created{root_};
    DirectoryShardWriter writer{*this, [this](std::string_view what) { note(what); }};
    FastaInput fasta{input};
    corpus::ShardPlan plan = corpus::cut_fasta_into_shards(fasta.lines(), shard_size, writer);
    remove_file_if_present(path("plan.json"));
    remove_stale_files(plan.shards.size());
    writer.publish();
    // The plan comes last: its presence says that every shard it names is in place.
    write_report(path("plan.json").string(), json::json_text(plan));
    created.keep();
    return plan;
}

corpus::ShardPlan CorpusDirectory::plan() const {
    const std::optional<std::string> text = file_text(path("plan.json"));
    if (!text) {
        throw corpus::CorpusError{code::corpus_invalid_plan,
                                  fmt::format("{} has no plan.json: cut the input first", root_.string())};
    }
    return corpus::read_shard_plan(*text);
}

bool CorpusDirectory::run_shard(const corpus::ShardPlanEntry& entry, const corpus::ShardSettings& settings) const {
    FastaInput shard{path(entry.file).string()};
    corpus::ShardRun run = corpus::run_shard(shard.lines(), entry, settings);
    // A summary left from an earlier run must not vouch for the new report if this run is killed.
    remove_file_if_present(path(corpus::shard_summary_file_name(entry.index)));
    const std::filesystem::path report = path(run.summary.report);
    Output output{report.string()};
    output.write(run.report_file_text);
    output.commit();
    if (file_sha256(report) != run.summary.report_sha256) {
        throw corpus::CorpusError{code::corpus_invalid_shard,
                                  fmt::format("{} did not read back as it was written", run.summary.report)};
    }
    const std::filesystem::path prefix = path(corpus::shard_arrays_prefix(entry.index));
    if (settings.arrays && run.model_input) {
        run.summary.arrays = write_arrays(prefix, *run.model_input, run.summary.output_data_sha256);
    } else {
        remove_arrays(prefix);
        if (settings.arrays) {
            fmt::print(stderr, "tamri {}: {} is not model-ready: no arrays written\n", command_, entry.file);
        }
    }
    write_summary(run.summary);
    note(fmt::format("ran {}", entry.file));
    return run.summary.model_ready;
}

bool CorpusDirectory::has_current_run(const corpus::ShardPlanEntry& entry,
                                      const corpus::ShardSettings& settings) const {
    const std::optional<std::string> text = file_text(path(corpus::shard_summary_file_name(entry.index)));
    const std::optional<corpus::ShardSummary> summary = text ? corpus::read_shard_summary(*text, entry) : std::nullopt;
    if (!summary || summary->input_hash != entry.input_hash || !same_settings(summary->provenance, settings)) {
        return false;
    }
    const bool kept_as_asked = settings.unready == corpus::UnreadyRecords::keep ? summary->set_aside.empty()
                                                                                : summary->readiness_issues.empty();
    const bool arrays_as_asked = summary->arrays.has_value() == (settings.arrays && summary->model_ready);
    return kept_as_asked && arrays_as_asked && file_sha256(path(summary->report)) == summary->report_sha256 &&
           arrays_as_recorded(*summary);
}

bool CorpusDirectory::arrays_as_recorded(const corpus::ShardSummary& summary) const {
    return !summary.arrays || file_sha256(path(summary.arrays->file)) == summary.arrays->sha256;
}

MergedCorpus CorpusDirectory::merge(const corpus::ShardPlan& plan, Reports reports) const {
    corpus::CorpusMerger merger{plan};
    for (const corpus::ShardPlanEntry& entry : plan.shards) {
        merger.add(summary_for_merge(entry, reports));
    }
    const bool model_ready = merger.model_ready();
    return MergedCorpus{std::move(merger).finish(), model_ready};
}

corpus::ShardSummary CorpusDirectory::summary_for_merge(const corpus::ShardPlanEntry& entry, Reports reports) const {
    const std::string summary_name = corpus::shard_summary_file_name(entry.index);
    const std::optional<std::string> summary_text = file_text(path(summary_name));
    std::optional<corpus::ShardSummary> summary =
        summary_text ? corpus::read_shard_summary(*summary_text, entry) : std::nullopt;
    if (summary && reports == Reports::verified_by_this_run) {
        return std::move(*summary);
    }
    const std::string report_name = corpus::shard_report_file_name(entry.index);
    const std::optional<std::string> report_sha256 = file_sha256(path(report_name));
    if (!report_sha256) {
        throw corpus::CorpusError{code::corpus_invalid_shard,
                                  fmt::format("{} is missing: {} has not been run", report_name, entry.file)};
    }
    if (summary) {
        if (summary->report_sha256 != *report_sha256) {
            throw corpus::CorpusError{
                code::corpus_invalid_shard,
                fmt::format("{} changed after its run was verified: its digest is {}, {} records {}", report_name,
                            *report_sha256, summary_name, summary->report_sha256)};
        }
        if (!arrays_as_recorded(*summary)) {
            throw corpus::CorpusError{code::corpus_invalid_shard,
                                      fmt::format("{} changed after its run was verified", summary->arrays->file)};
        }
        return std::move(*summary);
    }
    // Run by hand: the summary is derived by running the shard again under the report's own settings.
    const corpus::ShardSettings settings =
        corpus::report_settings(file_head(path(report_name), corpus::report_head_end), entry);
    FastaInput shard{path(entry.file).string()};
    corpus::ShardRun run = corpus::run_shard(shard.lines(), entry, settings);
    if (!file_holds(path(report_name), run.report_file_text)) {
        throw corpus::CorpusError{
            code::corpus_invalid_shard,
            fmt::format("{} is not what {} gives under the settings it records", report_name, entry.file)};
    }
    run.summary.arrays = arrays_written_by_hand(entry, run.summary.output_data_sha256);
    write_summary(run.summary);
    return std::move(run.summary);
}

std::optional<arrays::ArraysReference> CorpusDirectory::arrays_written_by_hand(
    const corpus::ShardPlanEntry& entry, const std::string& output_data_sha256) const {
    const std::string name = arrays::arrays_manifest_name(corpus::shard_arrays_prefix(entry.index));
    const std::optional<std::string> text = file_text(path(name));
    if (!text) {
        return std::nullopt;
    }
    std::string described;
    try {
        described = json::decode_record_document<arrays::ArraysManifest>(*text).output_data_sha256;
    } catch (const json::DecodeError& error) {
        throw corpus::CorpusError{code::corpus_invalid_shard,
                                  fmt::format("{} is not an arrays manifest: {}", name, error.detail())};
    }
    if (described != output_data_sha256) {
        throw corpus::CorpusError{code::corpus_invalid_shard,
                                  fmt::format("{} describes arrays of another report than {}", name,
                                              corpus::shard_report_file_name(entry.index))};
    }
    return arrays::ArraysReference{name, sha256_bytes_digest(*text)};
}

void CorpusDirectory::write_summary(const corpus::ShardSummary& summary) const {
    write_report(path(corpus::shard_summary_file_name(summary.index)).string(), json::json_text(summary));
}

void CorpusDirectory::remove_stale_files(std::uint64_t shard_count) const {
    remove_file_if_present(path("corpus.json"));
    std::error_code error;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator file{root_, error}, end; !error && file != end; file.increment(error)) {
        const std::optional<std::uint64_t> index = shard_file_index(file->path().filename().string());
        if (index && *index >= shard_count) {
            stale.push_back(file->path());
        }
    }
    if (error) {
        throw ToolError{code::io_read_failed, system_failure_text("list", root_.string(), error.value())};
    }
    for (const std::filesystem::path& file : stale) {
        remove_file_if_present(file);
    }
}

void CorpusDirectory::note(std::string_view what) const {
    if (progress_) {
        fmt::print(stderr, "tamri {}: {}\n", command_, what);
    }
}

}  // namespace tamri::cli
