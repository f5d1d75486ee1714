#include "tamri/package/directory/layout.hpp"

#include "tamri/package/directory/paths.hpp"
#include "tamri/text/unicode.hpp"
#include "tamri/text/utf8.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace tamri::package {
namespace {

using Code = PackageValidationIssueCode;

void validate_optional_layout_field(PackageValidationReport& report, std::string_view field,
                                    const std::optional<std::string>& value) {
    if (value) {
        validate_layout_field(report, field, *value);
    }
}

void validate_manifest_entry(PackageValidationReport& report, std::string_view entry,
                             const std::filesystem::path& manifest_path, const std::filesystem::path& root) {
    const std::optional<std::string> validated = validated_manifest_path(manifest_path, root);
    if (validated && text::trim_white_space(entry) != text::trim_white_space(*validated)) {
        push_issue(report, Code::layout_mismatch, "package_layout.manifest",
                   fmt::format("package_layout.manifest must match validated manifest path '{}'", *validated));
    }
}

void validate_document_layout(PackageValidationReport& report, const PackageMetadata& metadata, std::string_view docs) {
    if (metadata.license.file) {
        validate_path_under_dir(report, "metadata.license.file.path", metadata.license.file->path, docs);
    }
    if (metadata.citation.file) {
        validate_path_under_dir(report, "metadata.citation.file.path", metadata.citation.file->path, docs);
    }
    validate_path_under_dir(report, "metadata.model_card.path", metadata.model_card.path, docs);
}

}  // namespace

void validate_layout_field(PackageValidationReport& report, std::string_view field, std::string_view value) {
    if (text::is_blank(value)) {
        return;  // required entries are reported by manifest validation
    }
    const auto checked = validate_package_relative_path(value);
    if (const auto* error = checked.error()) {
        push_issue(report, Code::invalid_asset_path, std::string{field}, artifact_error_text(*error));
    }
}

void validate_path_under_dir(PackageValidationReport& report, std::string_view field, std::string_view path,
                             std::string_view directory) {
    if (text::is_blank(path) || text::is_blank(directory)) {
        return;
    }
    std::string_view base = text::trim_white_space(directory);
    while (base.ends_with('/')) {
        base.remove_suffix(1);
    }
    const std::string_view trimmed = text::trim_white_space(path);
    if (trimmed == base || (trimmed.starts_with(base) && trimmed.substr(base.size()).starts_with('/'))) {
        return;
    }
    push_issue(report, Code::layout_mismatch, std::string{field},
               fmt::format("{} must be under declared package directory '{}'", field, directory));
}

void validate_pipeline_config_layout(PackageValidationReport& report, std::string_view list,
                                     std::span<const PipelineStep> steps, std::string_view directory) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].config) {
            validate_path_under_dir(report, fmt::format("{}[{}].config.path", list, i), steps[i].config->path,
                                    directory);
        }
    }
}

std::optional<std::string> validated_manifest_path(const std::filesystem::path& manifest_path,
                                                   const std::filesystem::path& root) {
    std::filesystem::path relative;
    const auto [root_end, path_rest] =
        std::mismatch(root.begin(), root.end(), manifest_path.begin(), manifest_path.end());
    if (root_end == root.end()) {
        for (auto component = path_rest; component != manifest_path.end(); ++component) {
            relative /= *component;
        }
    } else {
        relative = manifest_path.filename();
    }
    if (relative.empty()) {
        return std::nullopt;
    }
    std::string text = text::decode_utf8_lossy(relative.string());
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

void validate_package_layout(PackageValidationReport& report, const PackageManifest& manifest,
                             const PackageDirectoryLayout& layout,
                             const std::optional<std::filesystem::path>& manifest_path,
                             const std::filesystem::path& root) {
    validate_layout_field(report, "package_layout.manifest", layout.manifest);
    if (manifest_path) {
        validate_manifest_entry(report, layout.manifest, *manifest_path, root);
    }
    validate_layout_field(report, "package_layout.models", layout.models);
    validate_layout_field(report, "package_layout.fixtures", layout.fixtures);
    validate_layout_field(report, "package_layout.docs", layout.docs);
    validate_optional_layout_field(report, "package_layout.tokenizers", layout.tokenizers);
    validate_optional_layout_field(report, "package_layout.vocabs", layout.vocabs);
    validate_optional_layout_field(report, "package_layout.pipelines", layout.pipelines);
    validate_optional_layout_field(report, "package_layout.observed", layout.observed);

    validate_path_under_dir(report, "model.path", manifest.model.path, layout.models);
    if (manifest.tokenizer && layout.tokenizers) {
        validate_path_under_dir(report, "tokenizer.path", manifest.tokenizer->path, *layout.tokenizers);
    }
    if (manifest.vocab && layout.vocabs) {
        validate_path_under_dir(report, "vocab.path", manifest.vocab->path, *layout.vocabs);
    }
    if (layout.pipelines) {
        validate_pipeline_config_layout(report, "preprocessing", manifest.preprocessing, *layout.pipelines);
        validate_pipeline_config_layout(report, "postprocessing", manifest.postprocessing, *layout.pipelines);
    }
    for (std::size_t i = 0; i < manifest.fixtures.size(); ++i) {
        const PackageFixture& fixture = manifest.fixtures[i];
        validate_path_under_dir(report, fmt::format("fixtures[{}].input", i), fixture.input, layout.fixtures);
        validate_path_under_dir(report, fmt::format("fixtures[{}].expected_output", i), fixture.expected_output,
                                layout.fixtures);
    }
    if (manifest.metadata) {
        validate_document_layout(report, *manifest.metadata, layout.docs);
    }
}

}  // namespace tamri::package
