#pragma once

// The package manifest: a model package's records and closed sets of texts, as read from its
// JSON document. Records own their texts; optional members are absent keys (or JSON null).

#include "tamri/base/enum_table.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tamri::package {

enum class SchemaVersion : std::uint8_t { v0, v1 };

[[nodiscard]] constexpr EnumTable<SchemaVersion, 2> enum_table(SchemaVersion) noexcept {
    return {{{{SchemaVersion::v0, "tamri.package.v0"}, {SchemaVersion::v1, "tamri.package.v1"}}}};
}

enum class PipelineConfigVersion : std::uint8_t { v0 };

[[nodiscard]] constexpr EnumTable<PipelineConfigVersion, 1> enum_table(PipelineConfigVersion) noexcept {
    return {{{{PipelineConfigVersion::v0, "tamri.pipeline.v0"}}}};
}

enum class RuntimeBackend : std::uint8_t { onnx_webgpu, candle, external_process };

[[nodiscard]] constexpr EnumTable<RuntimeBackend, 3> enum_table(RuntimeBackend) noexcept {
    using enum RuntimeBackend;
    return {{{{onnx_webgpu, "onnx-webgpu"}, {candle, "candle"}, {external_process, "external-process"}}}};
}

enum class RuntimeTargetPlatform : std::uint8_t { browser_wasm_webgpu, local_cpu };

[[nodiscard]] constexpr EnumTable<RuntimeTargetPlatform, 2> enum_table(RuntimeTargetPlatform) noexcept {
    using enum RuntimeTargetPlatform;
    return {{{{browser_wasm_webgpu, "browser-wasm-webgpu"}, {local_cpu, "local-cpu"}}}};
}

enum class ModelFormat : std::uint8_t { onnx, safetensors };

[[nodiscard]] constexpr EnumTable<ModelFormat, 2> enum_table(ModelFormat) noexcept {
    return {{{{ModelFormat::onnx, "onnx"}, {ModelFormat::safetensors, "safetensors"}}}};
}

enum class DataType : std::uint8_t { uint8, float32 };

[[nodiscard]] constexpr EnumTable<DataType, 2> enum_table(DataType) noexcept {
    return {{{{DataType::uint8, "uint8"}, {DataType::float32, "float32"}}}};
}

// Package-relative directories (and the manifest file) the package declares.
struct PackageDirectoryLayout {
    std::string manifest;
    std::string models;
    std::optional<std::string> tokenizers;
    std::optional<std::string> vocabs;
    std::optional<std::string> pipelines;
    std::string fixtures;
    std::optional<std::string> observed;  // only checked for safety
    std::string docs;
};

struct DocumentArtifact {
    std::string path;
    std::optional<std::string> checksum;
};

struct LicenseMetadata {
    std::string expression;
    std::optional<DocumentArtifact> file;
};

struct CitationMetadata {
    std::string preferred_citation;
    std::optional<std::string> doi;
    std::optional<DocumentArtifact> file;
};

struct ModelCardMetadata {
    std::string path;
    std::optional<std::string> checksum;
    std::string summary;
    std::vector<std::string> intended_use;
    std::vector<std::string> limitations;
};

struct PackageMetadata {
    LicenseMetadata license;
    CitationMetadata citation;
    ModelCardMetadata model_card;
};

struct ModelArtifactMetadata {
    std::string name;
    std::optional<std::string> version;
    std::optional<std::string> architecture;
    std::optional<std::string> task;
    std::optional<std::string> source;
    std::optional<std::string> description;
};

struct ModelArtifact {
    ModelFormat format = ModelFormat::onnx;
    std::string path;
    std::optional<std::string> checksum;
    std::optional<ModelArtifactMetadata> metadata;
};

// A tokenizer configuration or vocabulary asset; `name` is the profile or vocabulary name.
struct TokenAsset {
    std::string name;
    std::string path;
    std::optional<std::string> checksum;
    std::optional<std::string> contract_version;
};

// A pipeline configuration file in JSON or TOML.
struct PipelineConfigArtifact {
    std::string path;
    PipelineConfigVersion schema_version = PipelineConfigVersion::v0;
    std::optional<std::string> checksum;
};

struct PipelineStep {
    std::string name;
    std::string implementation;
    std::string contract;
    std::optional<std::string> contract_version;
    std::optional<PipelineConfigArtifact> config;
};

struct RuntimeTarget {
    RuntimeBackend backend = RuntimeBackend::onnx_webgpu;
    RuntimeTargetPlatform target = RuntimeTargetPlatform::browser_wasm_webgpu;
    std::optional<std::string> version;
};

struct PackageFixture {
    std::string name;
    std::string input;
    std::string expected_output;
    std::optional<std::string> input_hash;
    std::optional<std::string> expected_output_hash;
};

// One text per dimension, so symbolic dimensions ("batch") are allowed.
struct DataShape {
    std::vector<std::string> shape;
    DataType dtype = DataType::float32;
};

struct PackageManifest {
    SchemaVersion schema_version = SchemaVersion::v0;
    std::string name;
    std::optional<PackageDirectoryLayout> package_layout;  // required by validation for v1
    std::optional<PackageMetadata> metadata;               // required by validation for v1
    ModelArtifact model;
    std::optional<TokenAsset> tokenizer;
    std::optional<TokenAsset> vocab;
    std::vector<PipelineStep> preprocessing;
    std::vector<PipelineStep> postprocessing;
    RuntimeTarget runtime;
    std::optional<DataShape> expected_input;
    std::optional<DataShape> expected_output;
    std::vector<PackageFixture> fixtures;
};

}  // namespace tamri::package
