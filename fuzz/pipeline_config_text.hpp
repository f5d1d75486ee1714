#pragma once

// A pipeline configuration written back out in both of its syntaxes, so that the targets can
// read what they wrote and compare. Both writers live here, apart from the readers they check.

#include "fuzz_support.hpp"
#include "tamri/base/enum_table.hpp"
#include "tamri/json/writer.hpp"
#include "tamri/package/pipeline/config.hpp"
#include "tamri/package/pipeline/fields.hpp"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <fmt/format.h>

namespace tamri::fuzz {

inline std::string pipeline_config_json(const package::PipelineConfig& config) {
    json::JsonWriter writer;
    writer.begin_object();
    writer.key("schema_version").string(enum_text(config.schema_version));
    writer.key("name").string(config.name);
    writer.key("input").begin_object();
    writer.key("format").string(config.input.format).key("path").string(config.input.path).end_object();
    writer.key("normalize").begin_object().key("policy").string(config.normalize.policy).end_object();
    writer.key("validate").begin_object().key("kind").string(config.validate.kind).end_object();
    writer.key("tokenize").begin_object().key("profile").string(config.tokenize.profile).end_object();
    writer.key("export").begin_object().key("format").string(config.export_.format);
    writer.key("max_length").unsigned_integer(config.export_.max_length).key("pad_token_id");
    if (config.export_.pad_token_id) {
        writer.unsigned_integer(*config.export_.pad_token_id);
    } else {
        writer.null();
    }
    writer.key("padding").string(config.export_.padding).end_object();
    writer.end_object();
    return writer.take();
}

// Whether the TOML subset, which has no escapes and strips quotes and comments, can carry the
// value: one line, no '#', no quote at either end.
inline bool toml_can_hold(std::string_view value) {
    const auto quote = [](char c) { return c == '"' || c == '\''; };
    return value.find_first_of("\n#") == std::string_view::npos &&
           (value.empty() || (!quote(value.front()) && !quote(value.back())));
}

// The configuration in the TOML subset, or nothing when one of its texts cannot be written there.
inline std::optional<std::string> pipeline_config_toml(const package::PipelineConfig& config) {
    const std::array texts = {std::string_view{config.name},           std::string_view{config.input.format},
                              std::string_view{config.input.path},     std::string_view{config.normalize.policy},
                              std::string_view{config.validate.kind},  std::string_view{config.tokenize.profile},
                              std::string_view{config.export_.format}, std::string_view{config.export_.padding}};
    for (const std::string_view text : texts) {
        if (!toml_can_hold(text)) {
            return std::nullopt;
        }
    }
    std::string toml = fmt::format(
        "schema_version = \"{}\"\nname = \"{}\"\n[input]\nformat = \"{}\"\npath = \"{}\"\n"
        "[normalize]\npolicy = \"{}\"\n[validate]\nkind = \"{}\"\n[tokenize]\nprofile = \"{}\"\n"
        "[export]\nformat = \"{}\"\nmax_length = {}\npadding = \"{}\"\n",
        enum_text(config.schema_version), config.name, config.input.format, config.input.path, config.normalize.policy,
        config.validate.kind, config.tokenize.profile, config.export_.format, config.export_.max_length,
        config.export_.padding);
    if (config.export_.pad_token_id) {
        toml += fmt::format("pad_token_id = {}\n", *config.export_.pad_token_id);
    }
    return toml;
}

inline void require_well_formed(const package::ReferencedConfigError& error) {
    require(error.code == code::pipeline_invalid_config);
    require_catalogued(error.code, code::Emitter::report_issue);
    require_utf8(error.message);
    if (error.location) {
        require_utf8(*error.location);
    }
}

// Reads a configuration as `file_name` would be read; nothing when it is refused.
inline std::optional<package::PipelineConfig> read_pipeline_config(std::string_view file_name,
                                                                   std::string_view contents) {
    auto parsed = package::parse_pipeline_config(std::string{file_name}, contents);
    if (const auto* error = parsed.error()) {
        require_well_formed(*error);
        return std::nullopt;
    }
    return std::move(parsed).value();
}

// A configuration read from either syntax reads back the same from its JSON and, where the
// subset can hold its texts, from its TOML; its field checks give a profile or a well-formed issue.
inline void require_round_trips(const package::PipelineConfig& config) {
    const std::string json_text = pipeline_config_json(config);
    const std::optional<package::PipelineConfig> from_json = read_pipeline_config("pipeline.json", json_text);
    require(from_json.has_value() && pipeline_config_json(*from_json) == json_text);
    if (const std::optional<std::string> toml = pipeline_config_toml(config)) {
        const std::optional<package::PipelineConfig> from_toml = read_pipeline_config("pipeline.toml", *toml);
        require(from_toml.has_value() && pipeline_config_json(*from_toml) == json_text);
    }
    const auto checked = package::validate_pipeline_config_fields(config);
    if (const auto* error = checked.error()) {
        require_well_formed(*error);
    }
}

}  // namespace tamri::fuzz
