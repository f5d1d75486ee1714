#include "tamri/package/summary.hpp"

#include <span>

namespace tamri::package {

namespace {

std::optional<PackageMetadataSummary> summarize_metadata(const std::optional<PackageMetadata>& metadata) {
    if (!metadata) {
        return std::nullopt;
    }
    return PackageMetadataSummary{metadata->license.expression, metadata->citation.preferred_citation,
                                  metadata->model_card.path};
}

std::optional<std::string> asset_text(const std::optional<TokenAsset>& asset, std::string TokenAsset::*member) {
    return asset ? std::optional<std::string>{(*asset).*member} : std::nullopt;
}

void append_config_paths(std::vector<std::string>& paths, std::span<const PipelineStep> steps) {
    for (const PipelineStep& step : steps) {
        if (step.config) {
            paths.push_back(step.config->path);
        }
    }
}

PackageLayoutSummary summarize_layout(const PackageManifest& manifest) {
    PackageLayoutSummary layout;
    layout.model = manifest.model.path;
    layout.tokenizer = asset_text(manifest.tokenizer, &TokenAsset::path);
    layout.vocab = asset_text(manifest.vocab, &TokenAsset::path);
    append_config_paths(layout.pipeline_configs, manifest.preprocessing);
    append_config_paths(layout.pipeline_configs, manifest.postprocessing);
    layout.fixture_inputs.reserve(manifest.fixtures.size());
    layout.fixture_outputs.reserve(manifest.fixtures.size());
    for (const PackageFixture& fixture : manifest.fixtures) {
        layout.fixture_inputs.push_back(fixture.input);
        layout.fixture_outputs.push_back(fixture.expected_output);
    }
    return layout;
}

}  // namespace

PackageManifestSummary inspect_package_manifest(const PackageManifest& manifest) {
    return PackageManifestSummary{
        .schema_version = manifest.schema_version,
        .name = manifest.name,
        .package_layout = manifest.package_layout,
        .metadata = summarize_metadata(manifest.metadata),
        .model_format = manifest.model.format,
        .has_model_checksum = manifest.model.checksum.has_value(),
        .model_metadata = manifest.model.metadata,
        .tokenizer = asset_text(manifest.tokenizer, &TokenAsset::name),
        .vocab = asset_text(manifest.vocab, &TokenAsset::name),
        .runtime_backend = manifest.runtime.backend,
        .runtime_target = manifest.runtime.target,
        .preprocessing_steps = manifest.preprocessing.size(),
        .postprocessing_steps = manifest.postprocessing.size(),
        .fixtures = manifest.fixtures.size(),
        .layout = summarize_layout(manifest),
    };
}

}  // namespace tamri::package
