#pragma once

// Whether referenced files lie under the directories the package layout declares, and whether
// the declared manifest path is the one validated. Purely textual: nothing is resolved on disk.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>

namespace tamri::package {

// "invalid_asset_path" when a non-blank layout entry is absolute or climbs with "..".
void validate_layout_field(PackageValidationReport& report, std::string_view field, std::string_view value);

// "layout_mismatch" unless the trimmed path is the directory or below it.
void validate_path_under_dir(PackageValidationReport& report, std::string_view field, std::string_view path,
                             std::string_view directory);

// Each step's configuration path under the pipelines directory, fields "{list}[{i}].config.path".
void validate_pipeline_config_layout(PackageValidationReport& report, std::string_view list,
                                     std::span<const PipelineStep> steps, std::string_view directory);

// The manifest path as the package sees it: relative to the root when it lies below it, its
// file name otherwise; "/" separators. Absent when the path has no file name.
[[nodiscard]] std::optional<std::string> validated_manifest_path(const std::filesystem::path& manifest_path,
                                                                 const std::filesystem::path& root);

// The whole layout step of artifact validation; `manifest_path` is compared when known.
void validate_package_layout(PackageValidationReport& report, const PackageManifest& manifest,
                             const PackageDirectoryLayout& layout,
                             const std::optional<std::filesystem::path>& manifest_path,
                             const std::filesystem::path& root);

}  // namespace tamri::package
