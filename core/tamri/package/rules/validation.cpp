#include "tamri/package/rules/validation.hpp"

#include "tamri/package/rules/contracts.hpp"
#include "tamri/package/rules/fixtures.hpp"
#include "tamri/package/rules/required.hpp"
#include "tamri/package/rules/shapes.hpp"

#include <fmt/format.h>

namespace tamri::package {
namespace {

// A section v1 requires and v0 may leave out.
void push_missing_section_issue(PackageValidationReport& report, const PackageManifest& manifest,
                                std::string_view section) {
    if (manifest.schema_version == SchemaVersion::v1) {
        push_issue(report, PackageValidationIssueCode::required_field, std::string{section},
                   fmt::format("{} is required for {}", section, enum_text(manifest.schema_version)));
    }
}

void validate_metadata(PackageValidationReport& report, const PackageMetadata& metadata) {
    push_required_issue(report, "metadata.license.expression", metadata.license.expression);
    push_required_issue(report, "metadata.citation.preferred_citation", metadata.citation.preferred_citation);
    push_required_issue(report, "metadata.model_card.path", metadata.model_card.path);
    push_required_issue(report, "metadata.model_card.summary", metadata.model_card.summary);
    push_required_list_issue(report, "metadata.model_card.intended_use", metadata.model_card.intended_use);
    push_required_list_issue(report, "metadata.model_card.limitations", metadata.model_card.limitations);
}

void validate_model(PackageValidationReport& report, const ModelArtifact& model) {
    push_required_issue(report, "model.path", model.path);
    if (model.metadata) {
        push_required_issue(report, "model.metadata.name", model.metadata->name);
    }
}

}  // namespace

PackageValidationReport validate_package_manifest(const PackageManifest& manifest) {
    PackageValidationReport report;
    push_required_issue(report, "name", manifest.name);
    if (manifest.package_layout) {
        validate_package_layout_fields(report, *manifest.package_layout, manifest);
    } else {
        push_missing_section_issue(report, manifest, "package_layout");
    }
    if (manifest.metadata) {
        validate_metadata(report, *manifest.metadata);
    } else {
        push_missing_section_issue(report, manifest, "metadata");
    }
    validate_model(report, manifest.model);
    if (manifest.tokenizer) {
        validate_token_asset_identifiers(report, "tokenizer", *manifest.tokenizer);
    }
    if (manifest.vocab) {
        validate_token_asset_identifiers(report, "vocab", *manifest.vocab);
    }
    validate_pipeline_step_identifiers(report, "preprocessing", manifest.preprocessing);
    validate_pipeline_step_identifiers(report, "postprocessing", manifest.postprocessing);
    if (manifest.runtime.backend == RuntimeBackend::external_process) {
        push_issue(report, PackageValidationIssueCode::unsupported_runtime_backend, "runtime.backend",
                   "runtime.backend 'external-process' is experimental and is not supported by the public package "
                   "manifest contract");
    }
    validate_fixture_list(report, manifest);
    if (manifest.expected_input) {
        validate_shape(report, "expected_input", *manifest.expected_input);
    }
    if (manifest.expected_output) {
        validate_shape(report, "expected_output", *manifest.expected_output);
    }
    finish_report(report);
    return report;
}

}  // namespace tamri::package
