#include "tamri/package/pipeline/config.hpp"

#include "tamri/base/diagnostic.hpp"
#include "tamri/json/record.hpp"
#include "tamri/package/directory/paths.hpp"
#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/pipeline/fields.hpp"
#include "tamri/package/pipeline/toml.hpp"
#include "tamri/text/utf8.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

namespace tamri::package {

constexpr auto json_schema(std::type_identity<PipelineInputConfig>) {
    using Input = PipelineInputConfig;
    return json::record_schema<Input>("struct PipelineInputConfig", json::UnknownFields::reject,
                                      json::field<&Input::format>("format"), json::field<&Input::path>("path"));
}

constexpr auto json_schema(std::type_identity<PipelineNormalizeConfig>) {
    return json::record_schema<PipelineNormalizeConfig>("struct PipelineNormalizeConfig", json::UnknownFields::reject,
                                                        json::field<&PipelineNormalizeConfig::policy>("policy"));
}

constexpr auto json_schema(std::type_identity<PipelineValidateConfig>) {
    return json::record_schema<PipelineValidateConfig>("struct PipelineValidateConfig", json::UnknownFields::reject,
                                                       json::field<&PipelineValidateConfig::kind>("kind"));
}

constexpr auto json_schema(std::type_identity<PipelineTokenizeConfig>) {
    return json::record_schema<PipelineTokenizeConfig>("struct PipelineTokenizeConfig", json::UnknownFields::reject,
                                                       json::field<&PipelineTokenizeConfig::profile>("profile"));
}

constexpr auto json_schema(std::type_identity<PipelineExportConfig>) {
    using Export = PipelineExportConfig;
    return json::record_schema<Export>("struct PipelineExportConfig", json::UnknownFields::reject,
                                       json::field<&Export::format>("format"),
                                       json::field<&Export::max_length, &json::decode_usize>("max_length"),
                                       json::field<&Export::pad_token_id>("pad_token_id"),
                                       json::field<&Export::padding>("padding", json::Presence::optional));
}

constexpr auto json_schema(std::type_identity<PipelineConfig>) {
    using Config = PipelineConfig;
    return json::record_schema<Config>(
        "struct PipelineConfig", json::UnknownFields::reject, json::field<&Config::schema_version>("schema_version"),
        json::field<&Config::name>("name"), json::field<&Config::input>("input"),
        json::field<&Config::normalize>("normalize"), json::field<&Config::validate>("validate"),
        json::field<&Config::tokenize>("tokenize"), json::field<&Config::export_>("export"));
}

namespace {

Result<PipelineConfig, ReferencedConfigError> parse_json_pipeline_config(const std::filesystem::path& config_path,
                                                                         std::string_view contents) {
    try {
        return json::decode_record_document<PipelineConfig>(contents);
    } catch (const json::DecodeError& error) {
        return invalid_config(fmt::format("invalid pipeline config JSON: {}", error.detail()), config_path.string());
    }
}

// The configuration's content as UTF-8 text, read below the root without leaving it when the
// path names a file under the root, which is how artifact validation calls.
Result<std::string, ReferencedConfigError> read_config_text(const std::filesystem::path& root,
                                                            const std::filesystem::path& config_path) {
    const std::filesystem::path relative = config_path.lexically_relative(root);
    auto content = read_package_file(root, relative.empty() ? config_path.string() : relative.string());
    if (const PackageArtifactError* error = content.error()) {
        const std::string reason =
            error->kind == PackageArtifactError::Kind::read_failed ? error->reason : artifact_error_text(*error);
        return invalid_config(fmt::format("failed to read pipeline config: {}", reason), config_path.string());
    }
    std::string& text = content.value();
    if (const auto invalid = text::first_utf8_error(text)) {
        return invalid_config(fmt::format("failed to read pipeline config: stream did not contain valid UTF-8: {}",
                                          text::describe_utf8_error(*invalid)),
                              config_path.string());
    }
    return std::move(text);
}

// A configuration whose fields are all acceptable, and its tokenizer profile.
struct CheckedPipelineConfig {
    PipelineConfig config;
    ProteinTokenizerProfile profile;
};

Result<CheckedPipelineConfig, ReferencedConfigError> read_checked_config(const std::filesystem::path& root,
                                                                         const std::filesystem::path& config_path) {
    const auto text = read_config_text(root, config_path);
    if (const ReferencedConfigError* error = text.error()) {
        return *error;
    }
    auto parsed = parse_pipeline_config(config_path, text.value());
    if (const ReferencedConfigError* error = parsed.error()) {
        return *error;
    }
    const auto profile = validate_pipeline_config_fields(parsed.value());
    if (const ReferencedConfigError* error = profile.error()) {
        return *error;
    }
    return CheckedPipelineConfig{std::move(parsed.value()), profile.value()};
}

}  // namespace

ReferencedConfigError invalid_config(std::string message, std::optional<std::string> location) {
    return {std::string{code::pipeline_invalid_config}, std::move(message), std::move(location)};
}

Result<PipelineConfig, ReferencedConfigError> parse_pipeline_config(const std::filesystem::path& config_path,
                                                                    std::string_view contents) {
    const std::string extension = config_path.extension().string();
    if (extension.size() < 2 || text::first_utf8_error(extension)) {
        return invalid_config("pipeline config path must have .json or .toml extension", config_path.string());
    }
    std::string lowered = extension.substr(1);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (lowered == "json") {
        return parse_json_pipeline_config(config_path, contents);
    }
    if (lowered == "toml") {
        return parse_toml_pipeline_config(contents);
    }
    return invalid_config(fmt::format("unsupported pipeline config extension: {}", lowered), config_path.string());
}

Result<std::filesystem::path, ReferencedConfigError> canonicalize_pipeline_path(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path canonical = std::filesystem::canonical(path, error);
    if (error) {
        return invalid_config(fmt::format("failed to canonicalize '{}': {}", path.string(), io::os_error_text(error)),
                              path.string());
    }
    return canonical;
}

Result<void, ReferencedConfigError> validate_pipeline_config_artifact(const std::filesystem::path& root,
                                                                      const std::filesystem::path& config_path) {
    const auto checked = read_checked_config(root, config_path);
    if (const ReferencedConfigError* error = checked.error()) {
        return *error;
    }
    const PipelineConfig& config = checked.value().config;
    const std::filesystem::path input{config.input.path};
    if (input.is_absolute()) {
        return invalid_config("package pipeline input.path must be package-relative", "input.path");
    }
    const auto canonical_root = canonicalize_pipeline_path(root);
    if (const ReferencedConfigError* error = canonical_root.error()) {
        return *error;
    }
    const std::filesystem::path directory = config_path.has_parent_path() ? config_path.parent_path() : ".";
    const auto canonical_input = canonicalize_pipeline_path(directory / input);
    if (const ReferencedConfigError* error = canonical_input.error()) {
        return *error;
    }
    if (!is_within_root(canonical_input.value(), canonical_root.value())) {
        return invalid_config("package pipeline input.path must stay inside the package root", "input.path");
    }
    return {};
}

Result<PipelineWorkflowSettings, ReferencedConfigError> read_pipeline_workflow_settings(
    const std::filesystem::path& config_path) {
    const std::filesystem::path directory = config_path.has_parent_path() ? config_path.parent_path() : ".";
    const auto checked = read_checked_config(directory, config_path);
    if (const ReferencedConfigError* error = checked.error()) {
        return *error;
    }
    const PipelineExportConfig& exported = checked.value().config.export_;
    return PipelineWorkflowSettings{checked.value().profile, exported.max_length, exported.pad_token_id.value_or(0),
                                    exported.padding};
}

PipelineConfigValidator pipeline_config_validator(std::filesystem::path root) {
    return [root = std::move(root)](const std::filesystem::path& config_path) {
        return validate_pipeline_config_artifact(root, config_path);
    };
}

}  // namespace tamri::package
