#pragma once

// Artifact validation: a whole package directory checked against its manifest, every referenced
// file visited in a fixed order. Never fails; every finding is an issue of the returned report.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/config_error.hpp"
#include "tamri/package/report/report.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tamri::package {

[[nodiscard]] PackageValidationReport validate_package_manifest_artifacts_with_pipeline_config_validator(
    const PackageManifest& manifest, const std::filesystem::path& root, const PipelineConfigValidator& validator);

// Also compares "package_layout.manifest" with the manifest file's path.
[[nodiscard]] PackageValidationReport
validate_package_manifest_artifacts_with_manifest_path_and_pipeline_config_validator(
    const PackageManifest& manifest, const std::filesystem::path& root,
    const std::optional<std::filesystem::path>& manifest_path, const PipelineConfigValidator& validator);

// The configuration references of one step list, each handed to the validator once its file passed.
void validate_pipeline_configs(PackageValidationReport& report, std::string_view list,
                               std::span<const PipelineStep> steps, const std::filesystem::path& root,
                               const PipelineConfigValidator& validator);

// "invalid_pipeline_config" when the validator rejects the file.
void validate_referenced_pipeline_config(PackageValidationReport& report, std::string_view field, std::string_view path,
                                         const std::filesystem::path& root, const PipelineConfigValidator& validator);

// A manifest file that cannot be read whole as UTF-8 text.
struct ManifestReadError {
    std::string path;  // as given
    std::string reason;
};

// "failed to read package manifest '{path}': {reason}"
[[nodiscard]] std::string manifest_read_error_text(const ManifestReadError& error);

// The whole manifest file as UTF-8 text. Opened without blocking; only a regular file is read.
[[nodiscard]] Result<std::string, ManifestReadError> read_package_manifest_file(const std::string& path);

}  // namespace tamri::package
