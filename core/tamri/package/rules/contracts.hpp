#pragma once

// The rule groups for what the rest of the package relies on: token asset and pipeline step
// identifiers, and the layout entries the manifest's assets need.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"

#include <span>
#include <string_view>

namespace tamri::package {

// "{asset}.name", and "{asset}.contract_version" when given, must not be blank.
void validate_token_asset_identifiers(PackageValidationReport& report, std::string_view asset,
                                      const TokenAsset& token_asset);

// "{list}[{i}].name", ".implementation", ".contract", and ".contract_version" when given.
void validate_pipeline_step_identifiers(PackageValidationReport& report, std::string_view list,
                                        std::span<const PipelineStep> steps);

// The required layout entries, the entries the manifest's tokenizer, vocabulary and step
// configurations need, then every step configuration's path.
void validate_package_layout_fields(PackageValidationReport& report, const PackageDirectoryLayout& layout,
                                    const PackageManifest& manifest);

// "{list}[{i}].config.path" of every step that has a configuration.
void validate_pipeline_step_configs(PackageValidationReport& report, std::string_view list,
                                    std::span<const PipelineStep> steps);

}  // namespace tamri::package
