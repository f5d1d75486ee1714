// Package directories as an attacker builds them. Each row plants one entry in the package, names
// it in a reference and states the exact issue the check reports; the report must stay JSON. A
// swap row instead trades a name for a link leaving the root while the check runs again and
// again. What lies outside the root must never be read: its digest never appears in a report.

#include "package_test_support.hpp"
#include "tamri/digest/sha256.hpp"
#include "tamri/package/directory/artifact_checks.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <future>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tamri::package {
namespace {

namespace fs = std::filesystem;
using Code = PackageValidationIssueCode;

constexpr std::string_view inside_content = "model bytes";
constexpr std::string_view outside_content = "outside the package";
constexpr std::string_view self_manifest = R"({"model":{"path":"manifest.json"}})";
constexpr std::uintmax_t sparse_size = std::uintmax_t{2} << 30;
constexpr std::string_view sparse_digest = "sha256:a7c744c13cc101ed66c29f672f92455547889cc586ce6d44fe76ae824958ea51";

// base/pkg is the root, base/link-root a link to it, base/outside what must stay unread.
struct Package {
    fs::path base;
    [[nodiscard]] fs::path root() const { return base / "pkg"; }
    [[nodiscard]] fs::path outside() const { return base / "outside"; }
};

void make_socket(const fs::path& path) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(socket, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.native().size(), sizeof address.sun_path);
    path.native().copy(address.sun_path, path.native().size());
    EXPECT_EQ(::bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(socket);
}

// A chain of `links` symbolic links ending at models/m.onnx; the first is named "{links}-0".
void make_chain(const fs::path& root, int links) {
    for (int i = 0; i < links; ++i) {
        const std::string next = i + 1 == links ? "models/m.onnx" : fmt::format("{}-{}", links, i + 1);
        fs::create_symlink(next, root / fmt::format("{}-{}", links, i));
    }
}

// Runs a check on its own thread: a check that blocks (on a FIFO, say) ends the test run instead of
// hanging it, since a blocked open cannot be cancelled.
template <class Check>
auto finishing(Check check) {
    auto task = std::async(std::launch::async, std::move(check));
    if (task.wait_for(std::chrono::seconds{60}) != std::future_status::ready) {
        std::fputs("package check blocked for 60 s\n", stderr);
        std::abort();
    }
    return task.get();
}

long peak_rss_kib() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Messages of the report read back through a validating JSON parser.
std::vector<std::string> messages_of_json(const PackageValidationReport& report) {
    const std::string text = json::json_text(report);
    rapidjson::Document parsed;
    parsed.Parse<rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
    EXPECT_FALSE(parsed.HasParseError()) << text;
    std::vector<std::string> messages;
    if (!parsed.HasParseError()) {
        for (const auto& issue : parsed["structured_issues"].GetArray()) {
            messages.emplace_back(issue["message"].GetString(), issue["message"].GetStringLength());
        }
    }
    return messages;
}

// Device nodes can be made only with CAP_MKNOD; without it the device row is left out.
bool may_make_devices(const fs::path& directory) {
    const fs::path probe = directory / "device-probe";
    const bool made = ::mknod(probe.c_str(), S_IFCHR | 0600, ::makedev(1, 5)) == 0;
    fs::remove(probe);
    return made;
}

// The message names the canonical root as {root}; a mismatch is reported for "{field}.checksum".
struct ExpectedIssue {
    Code code;
    std::string message;
};

// `entry` (below the root) and a link to `outside_target` (below the base directory) trade names
// again and again on another thread while the reference is checked `swap_rounds` times.
struct Swap {
    std::string_view entry;
    std::string_view outside_target;
};

struct EscapeRow {
    std::string_view name;
    void (*plant)(const Package&);
    std::string_view field;
    std::string path;
    std::optional<std::string> checksum;
    std::optional<ExpectedIssue> issue;
    bool through_linked_root = false;
    bool needs_devices = false;
    std::optional<Swap> swap = std::nullopt;
};

constexpr int swap_rounds = 2000;

class PackageEscape : public testing::Test {
protected:
    void SetUp() override {
        write_file(package.root() / "models" / "m.onnx", inside_content);
        write_file(package.outside() / "m.onnx", outside_content);
        fs::create_symlink(package.root(), package.base / "link-root");
        root = fs::canonical(package.root());
    }

    PackageValidationReport check(const EscapeRow& row) const {
        return finishing([&] {
            PackageValidationReport report;
            validate_artifact_reference(report, row.field, row.path, row.checksum,
                                        row.through_linked_root ? package.base / "link-root" : root);
            finish_report(report);
            return report;
        });
    }

    void expect_exact_issue(const EscapeRow& row);
    void expect_no_escape(const EscapeRow& row, const Swap& swap);

    TempDirectory base;
    Package package{base.path};
    fs::path root;
};

void PackageEscape::expect_exact_issue(const EscapeRow& row) {
    const long peak_before = peak_rss_kib();
    const auto started = std::chrono::steady_clock::now();
    const PackageValidationReport report = check(row);
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - started;
    RecordProperty(fmt::format("{} (ms)", row.name), fmt::format("{:.2f}", elapsed.count()));
    std::vector<PackageValidationIssue> expected;
    std::vector<std::string> messages;
    if (const auto& issue = row.issue) {
        const std::string field =
            issue->code == Code::checksum_mismatch ? fmt::format("{}.checksum", row.field) : std::string{row.field};
        messages.push_back(fmt::format(fmt::runtime(issue->message), fmt::arg("root", root.string())));
        expected.push_back({issue->code, field, messages.back()});
    }
    EXPECT_EQ(report.structured_issues, expected);
    EXPECT_EQ(messages_of_json(report), messages);
    EXPECT_LT(peak_rss_kib() - peak_before, 64 * 1024) << "the file was not streamed";
}

// Every round must read the file inside, or refuse: as leaving the root, or at the open, because
// the name was swapped after the checks (a link where the file or its directory was, or a link
// read back by the canonicalization). A plain open of the same name, run alongside, shows that
// the race is real: it reads the outside content.
void PackageEscape::expect_no_escape(const EscapeRow& row, const Swap& swap) {
    std::set<std::string> allowed = {"no issue",
                                     fmt::format("model: asset path '{}' must stay inside the package root", row.path)};
    for (const char* reason : {"Too many levels of symbolic links (os error 40)", "Not a directory (os error 20)",
                               "Invalid argument (os error 22)"}) {
        allowed.insert(
            fmt::format("model: failed to read asset '{}' at '{}': {}", row.path, (root / row.path).string(), reason));
    }
    const fs::path entry = root / swap.entry;
    const fs::path link = root / "swap-link";
    fs::create_symlink(package.base / swap.outside_target, link);
    const auto exchange = [&] { return ::renameat2(AT_FDCWD, entry.c_str(), AT_FDCWD, link.c_str(), RENAME_EXCHANGE); };
    ASSERT_EQ(exchange(), 0) << "the file system cannot exchange names";
    ASSERT_EQ(exchange(), 0);
    std::atomic<bool> stop = false;
    std::atomic<long> exchanges = 0;
    std::thread swapper([&] {
        while (!stop) {
            exchanges += exchange() == 0 ? 1 : 0;
        }
    });
    while (exchanges == 0) {
        std::this_thread::yield();
    }
    std::map<std::string, int> outcomes;
    int unconfined_escapes = 0;
    for (int round = 0; round < swap_rounds; ++round) {
        std::ifstream plain(root / row.path);
        const std::string content{std::istreambuf_iterator<char>{plain}, {}};
        unconfined_escapes += content == outside_content ? 1 : 0;
        const PackageValidationReport report = check(row);
        ++outcomes[report.issues.empty() ? "no issue" : fmt::format("{}", fmt::join(report.issues, " | "))];
    }
    stop = true;
    swapper.join();
    if (fs::is_symlink(entry)) {
        EXPECT_EQ(exchange(), 0);
    }
    fs::remove(link);
    EXPECT_GT(unconfined_escapes, 0) << "the swap never showed; the race was not run";
    RecordProperty(fmt::format("{}: plain opens that read outside", row.name), unconfined_escapes);
    for (const auto& [outcome, count] : outcomes) {
        EXPECT_TRUE(allowed.contains(outcome)) << count << " rounds: " << outcome;
        RecordProperty(fmt::format("{}: {}", row.name, outcome), count);
    }
}

TEST_F(PackageEscape, EveryPlantedEntryGetsItsExactIssueAndNothingOutsideIsRead) {
    const std::string digest = sha256_bytes_digest(inside_content);
    const auto read_failed = [](std::string_view path, std::string_view at, std::string_view reason) {
        return fmt::format("model: failed to read asset '{}' at '{{root}}/{}': {}", path, at, reason);
    };
    const std::string not_a_file = "asset path is not a file";
    const std::string eloop = "Too many levels of symbolic links (os error 40)";
    const std::string enoent = "No such file or directory (os error 2)";
    const std::string odd_name = "models/new\nline \"quote\" back\\slash.onnx";
    const auto no_plant = [](const Package&) {};
    const EscapeRow rows[] = {
        {"fifo", [](const Package& p) { ASSERT_EQ(::mkfifo((p.root() / "models/f.onnx").c_str(), 0600), 0); }, "model",
         "models/f.onnx", digest,
         ExpectedIssue{Code::asset_read_failed, read_failed("models/f.onnx", "models/f.onnx", not_a_file)}},
        {"character device",
         [](const Package& p) {
             ASSERT_EQ(::mknod((p.root() / "models/c.onnx").c_str(), S_IFCHR | 0600, ::makedev(1, 5)), 0);
         },
         "model", "models/c.onnx", digest,
         ExpectedIssue{Code::asset_read_failed, read_failed("models/c.onnx", "models/c.onnx", not_a_file)}, false,
         true},
        {"socket", [](const Package& p) { make_socket(p.root() / "models/s.onnx"); }, "model", "models/s.onnx", digest,
         ExpectedIssue{Code::asset_read_failed, read_failed("models/s.onnx", "models/s.onnx", not_a_file)}},
        {"link to /dev/zero", [](const Package& p) { fs::create_symlink("/dev/zero", p.root() / "zero"); }, "model",
         "zero", digest,
         ExpectedIssue{Code::invalid_asset_path, "model: asset path 'zero' must stay inside the package root"}},
        {"link to a link to /dev/urandom",
         [](const Package& p) {
             fs::create_symlink("/dev/urandom", p.root() / "random");
             fs::create_symlink("../random", p.root() / "models/r.onnx");
         },
         "model", "models/r.onnx", digest,
         ExpectedIssue{Code::invalid_asset_path,
                       "model: asset path 'models/r.onnx' must stay inside the package root"}},
        {"link to the /dev directory", [](const Package& p) { fs::create_symlink("/dev", p.root() / "dev"); }, "model",
         "dev/zero", digest,
         ExpectedIssue{Code::invalid_asset_path, "model: asset path 'dev/zero' must stay inside the package root"}},
        {"symlink loop",
         [](const Package& p) {
             fs::create_symlink("loop-b", p.root() / "loop-a");
             fs::create_symlink("loop-a", p.root() / "loop-b");
         },
         "model", "loop-a", digest, ExpectedIssue{Code::asset_read_failed, read_failed("loop-a", "loop-a", eloop)}},
        {"chain of 40 links, the kernel's limit", [](const Package& p) { make_chain(p.root(), 40); }, "model", "40-0",
         digest, std::nullopt},
        {"chain of 41 links", [](const Package& p) { make_chain(p.root(), 41); }, "model", "41-0", digest,
         ExpectedIssue{Code::asset_read_failed, read_failed("41-0", "41-0", eloop)}},
        {"file swapped with a link to outside", no_plant, "model", "models/m.onnx", digest, std::nullopt, false, false,
         Swap{"models/m.onnx", "outside/m.onnx"}},
        {"directory swapped with a link to outside", no_plant, "model", "models/m.onnx", digest, std::nullopt, false,
         false, Swap{"models", "outside"}},
        {"2 GiB sparse fixture",
         [](const Package& p) {
             write_file(p.root() / "fixtures/big.fasta", "");
             fs::resize_file(p.root() / "fixtures/big.fasta", sparse_size);
         },
         "fixtures[0].input", "fixtures/big.fasta", std::string{sparse_digest}, std::nullopt},
        {"newline, quote and backslash in a name", no_plant, "model", odd_name, digest,
         ExpectedIssue{Code::asset_read_failed, read_failed(odd_name, odd_name, enoent)}},
        {"the same name present",
         [](const Package& p) { write_file(p.root() / "models/new\nline \"quote\" back\\slash.onnx", inside_content); },
         "model", odd_name, digest, std::nullopt},
        {"non-UTF-8 bytes in a path given", no_plant, "model", "models/\xff.onnx", std::nullopt,
         ExpectedIssue{Code::asset_read_failed,
                       read_failed("models/\xef\xbf\xbd.onnx", "models/\xef\xbf\xbd.onnx", enoent)}},
        {"link to a directory with a non-UTF-8 name",
         [](const Package& p) {
             fs::create_directories(p.root() / "models/\xff\xfe");
             fs::create_symlink("\xff\xfe", p.root() / "models/d.onnx");
         },
         "model", "models/d.onnx", digest,
         ExpectedIssue{Code::asset_read_failed,
                       read_failed("models/d.onnx", "models/\xef\xbf\xbd\xef\xbf\xbd", not_a_file)}},
        {"the manifest named as the model",
         [](const Package& p) { write_file(p.root() / "manifest.json", self_manifest); }, "model", "manifest.json",
         digest,
         ExpectedIssue{Code::checksum_mismatch, "model.checksum mismatch: expected '" + digest + "' but computed '" +
                                                    sha256_bytes_digest(self_manifest) + "'"}},
        {"root that is a link", no_plant, "model", "models/m.onnx", digest, std::nullopt, true},
        {"root that is a link, missing file", no_plant, "model", "models/none.onnx", digest,
         ExpectedIssue{Code::asset_read_failed, read_failed("models/none.onnx", "models/none.onnx", enoent)}, true},
    };
    const bool devices = may_make_devices(package.base);
    for (const EscapeRow& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.needs_devices && !devices) {
            std::cout << "left out without CAP_MKNOD: " << row.name << '\n';
            continue;
        }
        row.plant(package);
        if (const auto& swap = row.swap) {
            expect_no_escape(row, *swap);
        } else {
            expect_exact_issue(row);
        }
    }
}

}  // namespace
}  // namespace tamri::package
