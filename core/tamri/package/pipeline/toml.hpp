#pragma once

// The TOML subset of pipeline configurations: comments, five sections, dotted keys and plain
// values with their quotes stripped. No escapes; numbers and strings are not told apart.

#include "tamri/package/pipeline/config.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tamri::package {

// The eleven known keys, in the order the record is built.
inline constexpr std::array<std::string_view, 11> pipeline_config_keys = {
    "schema_version",    "name",
    "input.format",      "input.path",
    "normalize.policy",  "validate.kind",
    "tokenize.profile",  "export.format",
    "export.max_length", "export.pad_token_id",
    "export.padding",
};

// Each known key's value as written, in `pipeline_config_keys` order.
using PipelineConfigValues = std::array<std::optional<std::string>, pipeline_config_keys.size()>;

// `contents` must be valid UTF-8 (the artifact reader checks it first).
[[nodiscard]] Result<PipelineConfig, ReferencedConfigError> parse_toml_pipeline_config(std::string_view contents);

// The value of a required key, or "{key} is required".
[[nodiscard]] Result<std::string, ReferencedConfigError> required_value(const PipelineConfigValues& values,
                                                                        std::string_view key);
// "export.max_length": decimal, an optional "+", no overflow.
[[nodiscard]] Result<std::size_t, ReferencedConfigError> parse_usize(const PipelineConfigValues& values);
// "export.pad_token_id": absent, or decimal within 0–255.
[[nodiscard]] Result<std::optional<std::uint8_t>, ReferencedConfigError> parse_optional_u8(
    const PipelineConfigValues& values);

}  // namespace tamri::package
