#pragma once

// A package checked the way both front ends offer it: from its manifest file, whose directory is the
// package root, or from a parsed manifest and a root, with pipeline configurations checked by the
// default validator.

#include "tamri/base/result.hpp"
#include "tamri/package/directory/artifacts.hpp"
#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"

#include <filesystem>
#include <string>

namespace tamri::package {

// The manifest file read and parsed; json::DecodeError ("json.invalid") when its text is no manifest.
[[nodiscard]] Result<PackageManifest, ManifestReadError> read_package_manifest(const std::string& path);

// Every file of the package checked against the manifest read from `path`, which
// "package_layout.manifest" must name.
[[nodiscard]] Result<PackageValidationReport, ManifestReadError> validate_package_manifest_file(
    const std::string& path);

[[nodiscard]] PackageValidationReport validate_package_manifest_artifacts(const PackageManifest& manifest,
                                                                          const std::filesystem::path& root);

}  // namespace tamri::package
