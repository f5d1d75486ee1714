#pragma once

// Package-relative paths: checked as text first, then resolved and opened so that no file outside
// the package root is ever read. Package directories are untrusted input.

#include "tamri/base/result.hpp"
#include "tamri/io/file.hpp"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

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

// Whether canonical `target` is `root` or below it, compared component by component (a root
// "pkg" does not contain "pkg2").
[[nodiscard]] bool is_within_root(const std::filesystem::path& target, const std::filesystem::path& root);

struct PackageFile {
    io::FileHandle handle;
    std::filesystem::path canonical_path;
};

// Blank → path required; leading "/" → absolute; any ".." or root component → outside root.
// Purely textual.
[[nodiscard]] Result<void, PackageArtifactError> validate_package_relative_path(std::string_view path);

// Opens a regular file inside the root, read-only and without blocking. The open walks the
// canonical path below the root one component at a time without following links, so a component
// swapped for a symbolic link after the checks fails instead of escaping.
[[nodiscard]] Result<PackageFile, PackageArtifactError> open_package_file(const std::filesystem::path& root,
                                                                          std::string_view path);

// Reads the whole file; interrupted reads are retried.
[[nodiscard]] Result<std::string, PackageArtifactError> read_package_file(const std::filesystem::path& root,
                                                                          std::string_view path);

}  // namespace tamri::package
