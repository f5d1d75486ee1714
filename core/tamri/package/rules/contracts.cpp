#include "tamri/package/rules/contracts.hpp"

#include "tamri/package/rules/required.hpp"

#include <algorithm>

namespace tamri::package {
namespace {

bool has_config(const PipelineStep& step) {
    return step.config.has_value();
}

bool any_step_has_config(const PackageManifest& manifest) {
    return std::any_of(manifest.preprocessing.begin(), manifest.preprocessing.end(), has_config) ||
           std::any_of(manifest.postprocessing.begin(), manifest.postprocessing.end(), has_config);
}

void push_required_if_given(PackageValidationReport& report, const FieldPath& field,
                            const std::optional<std::string>& value) {
    if (value) {
        push_required_issue(report, field, *value);
    }
}

}  // namespace

void validate_token_asset_identifiers(PackageValidationReport& report, std::string_view asset,
                                      const TokenAsset& token_asset) {
    push_required_issue(report, {asset, ".name"}, token_asset.name);
    push_required_if_given(report, {asset, ".contract_version"}, token_asset.contract_version);
}

void validate_pipeline_step_identifiers(PackageValidationReport& report, std::string_view list,
                                        std::span<const PipelineStep> steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const PipelineStep& step = steps[i];
        push_required_issue(report, {list, i, ".name"}, step.name);
        push_required_issue(report, {list, i, ".implementation"}, step.implementation);
        push_required_issue(report, {list, i, ".contract"}, step.contract);
        push_required_if_given(report, {list, i, ".contract_version"}, step.contract_version);
    }
}

void validate_package_layout_fields(PackageValidationReport& report, const PackageDirectoryLayout& layout,
                                    const PackageManifest& manifest) {
    push_required_issue(report, "package_layout.manifest", layout.manifest);
    push_required_issue(report, "package_layout.models", layout.models);
    push_required_issue(report, "package_layout.fixtures", layout.fixtures);
    push_required_issue(report, "package_layout.docs", layout.docs);
    if (manifest.tokenizer) {
        push_required_option_issue(report, "package_layout.tokenizers", layout.tokenizers);
    }
    if (manifest.vocab) {
        push_required_option_issue(report, "package_layout.vocabs", layout.vocabs);
    }
    if (any_step_has_config(manifest)) {
        push_required_option_issue(report, "package_layout.pipelines", layout.pipelines);
    }
    validate_pipeline_step_configs(report, "preprocessing", manifest.preprocessing);
    validate_pipeline_step_configs(report, "postprocessing", manifest.postprocessing);
}

void validate_pipeline_step_configs(PackageValidationReport& report, std::string_view list,
                                    std::span<const PipelineStep> steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].config) {
            push_required_issue(report, {list, i, ".config.path"}, steps[i].config->path);
        }
    }
}

}  // namespace tamri::package
