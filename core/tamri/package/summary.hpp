#pragma once

// A flat view of what a manifest declares, for tools and people: schema, name, layout, metadata
// headlines, model, assets, runtime, counts and every referenced path by role. It does not judge
// the manifest; texts are copied unchanged.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/runtime/contracts.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamri::package {

// The manifest's layout copied field for field; absent entries are written as null.
using PackageDirectoryLayoutSummary = PackageDirectoryLayout;

struct PackageMetadataSummary {
    std::string license;     // the license expression
    std::string citation;    // the preferred citation
    std::string model_card;  // the model card's path
};

struct PackageLayoutSummary {
    std::string model;
    std::optional<std::string> tokenizer;
    std::optional<std::string> vocab;
    std::vector<std::string> pipeline_configs;  // preprocessing, then postprocessing; steps without one skipped
    std::vector<std::string> fixture_inputs;
    std::vector<std::string> fixture_outputs;
};

struct PackageManifestSummary {
    SchemaVersion schema_version = SchemaVersion::v0;
    std::string name;
    std::optional<PackageDirectoryLayoutSummary> package_layout;
    std::optional<PackageMetadataSummary> metadata;
    ModelFormat model_format = ModelFormat::onnx;
    bool has_model_checksum = false;  // any checksum text, the empty one included
    std::optional<ModelArtifactMetadataSummary> model_metadata;
    std::optional<std::string> tokenizer;  // the asset names
    std::optional<std::string> vocab;
    RuntimeBackend runtime_backend = RuntimeBackend::onnx_webgpu;
    RuntimeTargetPlatform runtime_target = RuntimeTargetPlatform::browser_wasm_webgpu;
    std::uint64_t preprocessing_steps = 0;
    std::uint64_t postprocessing_steps = 0;
    std::uint64_t fixtures = 0;
    PackageLayoutSummary layout;
};

// Pure and total.
[[nodiscard]] PackageManifestSummary inspect_package_manifest(const PackageManifest& manifest);

// Compact JSON, keys in declaration order, absent values as null.
[[nodiscard]] std::string to_json(const PackageManifestSummary& summary);

}  // namespace tamri::package
