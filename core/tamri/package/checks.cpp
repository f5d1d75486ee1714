#include "tamri/package/checks.hpp"

#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/pipeline/config.hpp"

#include <utility>

namespace tamri::package {

Result<PackageManifest, ManifestReadError> read_package_manifest(const std::string& path) {
    auto text = read_package_manifest_file(path);
    if (const ManifestReadError* error = text.error()) {
        return *error;
    }
    return parse_package_manifest(text.value());
}

Result<PackageValidationReport, ManifestReadError> validate_package_manifest_file(const std::string& path) {
    auto manifest = read_package_manifest(path);
    if (const ManifestReadError* error = manifest.error()) {
        return *error;
    }
    const std::filesystem::path manifest_path{path};
    // A bare file name lies in the working directory.
    const std::filesystem::path root =
        manifest_path.has_parent_path() ? manifest_path.parent_path() : std::filesystem::path{"."};
    return validate_package_manifest_artifacts_with_manifest_path_and_pipeline_config_validator(
        manifest.value(), root, manifest_path, pipeline_config_validator(root));
}

PackageValidationReport validate_package_manifest_artifacts(const PackageManifest& manifest,
                                                            const std::filesystem::path& root) {
    return validate_package_manifest_artifacts_with_pipeline_config_validator(manifest, root,
                                                                              pipeline_config_validator(root));
}

}  // namespace tamri::package
