#pragma once

// Package-relative paths: checked as text first, then resolved and opened so that no file outside
// the package root is ever read. Package directories are untrusted input.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <variant>

namespace tamri::package {

struct PackageArtifactError {
    enum class Kind : std::uint8_t { path_required, absolute_path, outside_root, read_failed };

    Kind kind = Kind::path_required;
    std::string path;      // as given; empty for path_required
    std::string location;  // read_failed only
    std::string reason;    // read_failed only

    friend bool operator==(const PackageArtifactError&, const PackageArtifactError&) = default;
};

// "asset path is required", "asset path '{path}' must be relative to the package root",
// "asset path '{path}' must stay inside the package root" or
// "failed to read asset '{path}' at '{location}': {reason}".
[[nodiscard]] std::string artifact_error_text(const PackageArtifactError& error);

// The system's description of an OS error followed by " (os error {code})".
[[nodiscard]] std::string os_error_text(std::error_code error);

// Whether canonical `target` is `root` or below it, compared component by component (a root
// "pkg" does not contain "pkg2").
[[nodiscard]] bool is_within_root(const std::filesystem::path& target, const std::filesystem::path& root);

// An owned file descriptor, closed when dropped.
class FileHandle {
public:
    FileHandle() noexcept = default;
    explicit FileHandle(int descriptor) noexcept : descriptor_(descriptor) {}
    FileHandle(FileHandle&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    [[nodiscard]] int get() const noexcept { return descriptor_; }
    [[nodiscard]] bool is_open() const noexcept { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

struct PackageFile {
    FileHandle handle;
    std::filesystem::path canonical_path;
};

template <class T>
using ArtifactResult = std::variant<T, PackageArtifactError>;

// Blank → path required; leading "/" → absolute; any ".." or root component → outside root.
// Purely textual.
[[nodiscard]] std::variant<std::monostate, PackageArtifactError> validate_package_relative_path(std::string_view path);

// Opens a regular file inside the root, read-only and without blocking. The open walks the
// canonical path below the root one component at a time without following links, so a component
// swapped for a symbolic link after the checks fails instead of escaping.
[[nodiscard]] ArtifactResult<PackageFile> open_package_file(const std::filesystem::path& root, std::string_view path);

// Reads the whole file; interrupted reads are retried.
[[nodiscard]] ArtifactResult<std::string> read_package_file(const std::filesystem::path& root, std::string_view path);

// Reads an open file to its end in chunks of at most 64 KiB, handing each to `sink`; the error
// of a failed read, or none.
template <class Sink>
[[nodiscard]] std::error_code read_chunks(const FileHandle& file, Sink&& sink);

[[nodiscard]] std::error_code read_chunk(const FileHandle& file, std::span<char> buffer, std::size_t& count);

template <class Sink>
std::error_code read_chunks(const FileHandle& file, Sink&& sink) {
    std::string buffer(std::size_t{64} * 1024, '\0');
    for (;;) {
        std::size_t count = 0;
        if (const std::error_code error = read_chunk(file, buffer, count)) {
            return error;
        }
        if (count == 0) {
            return {};
        }
        sink(std::string_view{buffer.data(), count});
    }
}

}  // namespace tamri::package
