#pragma once

// The rules a parsed pipeline configuration must follow, checked in a fixed order; the first
// failure wins.

#include "tamri/package/pipeline/config.hpp"

#include <optional>
#include <string_view>

namespace tamri::package {

// "{field} is required" when the value is blank.
[[nodiscard]] Result<void, ReferencedConfigError> require_non_empty(std::string_view field, std::string_view value);
// "{field} must be '{expected}'" unless the value is exactly `expected`.
[[nodiscard]] Result<void, ReferencedConfigError> require_value(std::string_view field, std::string_view value,
                                                                std::string_view expected);
[[nodiscard]] Result<void, ReferencedConfigError> validate_padding(std::string_view padding);

// The tokenizer profile of a configuration whose every field is acceptable.
[[nodiscard]] Result<ProteinTokenizerProfile, ReferencedConfigError> validate_pipeline_config_fields(
    const PipelineConfig& config);

}  // namespace tamri::package
