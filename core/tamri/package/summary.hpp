#pragma once

// A flat view of what a manifest declares, for tools and people: schema, name, layout, metadata
// headlines, model, assets, runtime, counts and every referenced path by role. It does not judge
// the manifest; texts are copied unchanged.

#include "tamri/json/record.hpp"
#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/runtime/contracts.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
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

constexpr auto json_schema(std::type_identity<PackageMetadataSummary>) {
    using Metadata = PackageMetadataSummary;
    return json::record_schema<Metadata>(
        "struct PackageMetadataSummary", json::UnknownFields::reject, json::field<&Metadata::license>("license"),
        json::field<&Metadata::citation>("citation"), json::field<&Metadata::model_card>("model_card"));
}

constexpr auto json_schema(std::type_identity<PackageLayoutSummary>) {
    using Layout = PackageLayoutSummary;
    return json::record_schema<Layout>(
        "struct PackageLayoutSummary", json::UnknownFields::reject, json::field<&Layout::model>("model"),
        json::field<&Layout::tokenizer>("tokenizer"), json::field<&Layout::vocab>("vocab"),
        json::field<&Layout::pipeline_configs>("pipeline_configs"),
        json::field<&Layout::fixture_inputs>("fixture_inputs"),
        json::field<&Layout::fixture_outputs>("fixture_outputs"));
}

constexpr auto json_schema(std::type_identity<PackageManifestSummary>) {
    using Summary = PackageManifestSummary;
    return json::record_schema<Summary>(
        "struct PackageManifestSummary", json::UnknownFields::reject,
        json::field<&Summary::schema_version>("schema_version"), json::field<&Summary::name>("name"),
        json::field<&Summary::package_layout>("package_layout"), json::field<&Summary::metadata>("metadata"),
        json::field<&Summary::model_format>("model_format"),
        json::field<&Summary::has_model_checksum>("has_model_checksum"),
        json::field<&Summary::model_metadata>("model_metadata"), json::field<&Summary::tokenizer>("tokenizer"),
        json::field<&Summary::vocab>("vocab"), json::field<&Summary::runtime_backend>("runtime_backend"),
        json::field<&Summary::runtime_target>("runtime_target"),
        json::field<&Summary::preprocessing_steps>("preprocessing_steps"),
        json::field<&Summary::postprocessing_steps>("postprocessing_steps"),
        json::field<&Summary::fixtures>("fixtures"), json::field<&Summary::layout>("layout"));
}

}  // namespace tamri::package
