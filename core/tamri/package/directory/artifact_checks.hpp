#pragma once

// One referenced file of a package: its checksum text, its path and its content, each failure an
// issue of the report. The issue order for one reference is checksum format, path, file access,
// checksum mismatch.

#include "tamri/package/directory/paths.hpp"
#include "tamri/package/report/report.hpp"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tamri::package {

// True for an absent checksum or "sha256:" and 64 lowercase hexadecimal digits; otherwise pushes
// "{field}.checksum must use sha256:<64 hex>".
bool validate_checksum_format(PackageValidationReport& report, std::string_view field,
                              const std::optional<std::string>& checksum);

// True when the texts are equal; otherwise pushes the mismatch quoting both.
bool validate_checksum_match(PackageValidationReport& report, std::string_view field, std::string_view declared,
                             std::string_view computed);

// "invalid_asset_path" with the error's text.
void push_relative_path_error(PackageValidationReport& report, std::string_view field,
                              const PackageArtifactError& error);

// "invalid_asset_path" naming the field for path errors, "asset_read_failed" for read errors.
void push_artifact_error(PackageValidationReport& report, std::string_view field, std::string_view path,
                         const PackageArtifactError& error);

// True when the file is a regular file inside the root and matches its checksum, if one is
// declared. The file is hashed as a stream, never held whole; a blank path is skipped silently.
bool validate_artifact_reference(PackageValidationReport& report, std::string_view field, std::string_view path,
                                 const std::optional<std::string>& checksum, const std::filesystem::path& root);

// The content of a small asset that passed the same checks, or nothing. Content of a file whose
// checksum is malformed or does not match is never returned.
[[nodiscard]] std::optional<std::string> validated_artifact_bytes(PackageValidationReport& report,
                                                                  std::string_view field, std::string_view path,
                                                                  const std::optional<std::string>& checksum,
                                                                  const std::filesystem::path& root);

}  // namespace tamri::package
