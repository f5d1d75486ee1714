#pragma once

// Pipeline configurations: the sequence pipeline a package expects, read from a JSON file or a
// small TOML subset, checked field by field, and its input file kept inside the package root.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/config_error.hpp"
#include "tamri/tokenizer/types.hpp"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tamri::package {

// A "pipeline.invalid_config" failure.
[[nodiscard]] ReferencedConfigError invalid_config(std::string message, std::optional<std::string> location);

[[nodiscard]] inline std::string default_padding() {
    return "fixed_length";
}

struct PipelineInputConfig {
    std::string format;
    std::string path;  // relative to the configuration file's directory
};

struct PipelineNormalizeConfig {
    std::string policy;
};

struct PipelineValidateConfig {
    std::string kind;
};

struct PipelineTokenizeConfig {
    std::string profile;
};

struct PipelineExportConfig {
    std::string format;
    std::size_t max_length = 0;
    std::optional<std::uint8_t> pad_token_id;  // carried, not checked
    std::string padding = default_padding();
};

// Values are kept as written; `validate_pipeline_config_fields` judges them.
struct PipelineConfig {
    PipelineConfigVersion schema_version = PipelineConfigVersion::v0;
    std::string name;
    PipelineInputConfig input;
    PipelineNormalizeConfig normalize;
    PipelineValidateConfig validate;
    PipelineTokenizeConfig tokenize;
    PipelineExportConfig export_;
};

// Picks the syntax by the file's extension, "json" or "toml" in any case.
[[nodiscard]] Result<PipelineConfig, ReferencedConfigError> parse_pipeline_config(
    const std::filesystem::path& config_path, std::string_view contents);

// The canonical absolute form, or "failed to canonicalize '{path}': {io error}".
[[nodiscard]] Result<std::filesystem::path, ReferencedConfigError> canonicalize_pipeline_path(
    const std::filesystem::path& path);

// Reads, parses and checks one configuration file below `root`; its input file must exist inside
// the root. The first failure wins.
[[nodiscard]] Result<void, ReferencedConfigError> validate_pipeline_config_artifact(
    const std::filesystem::path& root, const std::filesystem::path& config_path);

// The workflow settings a configuration declares (its input path is not used).
struct PipelineWorkflowSettings {
    ProteinTokenizerProfile profile = ProteinTokenizerProfile::protein_20;
    std::size_t max_length = 0;
    std::uint8_t pad_token_id = 0;  // 0 when the configuration has none
    std::string padding;
};

// Reads, parses and checks one configuration file as package validation does, without its input.
[[nodiscard]] Result<PipelineWorkflowSettings, ReferencedConfigError> read_pipeline_workflow_settings(
    const std::filesystem::path& config_path);

// The validator the Python functions and the tool use: `validate_pipeline_config_artifact` below `root`.
[[nodiscard]] PipelineConfigValidator pipeline_config_validator(std::filesystem::path root);

}  // namespace tamri::package
