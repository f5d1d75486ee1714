#include "tamri/package/pipeline/toml.hpp"

#include "tamri/text/unicode.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <limits>
#include <utility>

namespace tamri::package {
namespace {

constexpr std::array<std::string_view, 5> sections = {"input", "normalize", "validate", "tokenize", "export"};

std::optional<std::size_t> key_index(std::string_view key) {
    const auto* found = std::find(pipeline_config_keys.begin(), pipeline_config_keys.end(), key);
    if (found == pipeline_config_keys.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - pipeline_config_keys.begin());
}

std::string_view strip_all(std::string_view text, char quote) {
    while (!text.empty() && text.front() == quote) {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == quote) {
        text.remove_suffix(1);
    }
    return text;
}

// Trimmed, cut before " #", trimmed again, then double and single quotes stripped from both ends.
std::string_view plain_value(std::string_view raw) {
    std::string_view value = text::trim_white_space(raw);
    if (const std::size_t comment = value.find(" #"); comment != std::string_view::npos) {
        value = text::trim_white_space(value.substr(0, comment));
    }
    return strip_all(strip_all(value, '"'), '\'');
}

// An unsigned decimal machine word with an optional leading "+".
std::optional<std::size_t> parse_decimal(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    std::size_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

const std::optional<std::string>& value_of(const PipelineConfigValues& values, std::string_view key) {
    return values[*key_index(key)];
}

// Stores one "key = value" line under the current section.
Result<void, ReferencedConfigError> store_line(PipelineConfigValues& values, std::string_view section,
                                               std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
        return invalid_config(fmt::format("invalid pipeline config TOML line: {}", line), std::nullopt);
    }
    const std::string_view name = text::trim_white_space(line.substr(0, equals));
    std::string key = section.empty() ? std::string{name} : fmt::format("{}.{}", section, name);
    const std::optional<std::size_t> index = key_index(key);
    if (!index) {
        return invalid_config(fmt::format("unknown field '{}'", key), key);
    }
    if (values[*index]) {
        return invalid_config(fmt::format("duplicate field '{}'", key), key);
    }
    values[*index] = std::string{plain_value(line.substr(equals + 1))};
    return {};
}

// Walks the lines, filling `values`; the first failure ends the walk.
Result<void, ReferencedConfigError> read_values(std::string_view contents, PipelineConfigValues& values) {
    std::string_view section;
    while (!contents.empty()) {
        const std::size_t end = std::min(contents.find('\n'), contents.size());
        const std::string_view line = text::trim_white_space(contents.substr(0, end));
        contents.remove_prefix(std::min(end + 1, contents.size()));
        if (line.empty() || line.starts_with('#')) {
            continue;
        }
        if (line.size() >= 2 && line.starts_with('[') && line.ends_with(']')) {
            section = text::trim_white_space(line.substr(1, line.size() - 2));
            if (std::find(sections.begin(), sections.end(), section) == sections.end()) {
                return invalid_config(fmt::format("unknown section '{}'", section), std::string{section});
            }
            continue;
        }
        if (auto failure = store_line(values, section, line); !failure.ok()) {
            return failure;
        }
    }
    return {};
}

template <class T>
bool take(Result<T, ReferencedConfigError>&& result, T& target, std::optional<ReferencedConfigError>& failure) {
    if (const ReferencedConfigError* error = result.error()) {
        failure = *error;
        return false;
    }
    target = std::move(result).value();
    return true;
}

}  // namespace

Result<std::string, ReferencedConfigError> required_value(const PipelineConfigValues& values, std::string_view key) {
    const auto& value = value_of(values, key);
    if (!value) {
        return invalid_config(fmt::format("{} is required", key), std::string{key});
    }
    return *value;
}

Result<std::size_t, ReferencedConfigError> parse_usize(const PipelineConfigValues& values) {
    constexpr std::string_view key = "export.max_length";
    const auto& value = value_of(values, key);
    if (!value) {
        return invalid_config(fmt::format("{} is required", key), std::string{key});
    }
    if (const auto number = parse_decimal(*value)) {
        return *number;
    }
    return invalid_config("export.max_length must be an unsigned integer", std::string{key});
}

Result<std::optional<std::uint8_t>, ReferencedConfigError> parse_optional_u8(const PipelineConfigValues& values) {
    constexpr std::string_view key = "export.pad_token_id";
    const auto& value = value_of(values, key);
    if (!value) {
        return std::optional<std::uint8_t>{};
    }
    const auto number = parse_decimal(*value);
    if (!number || *number > std::numeric_limits<std::uint8_t>::max()) {
        return invalid_config("export.pad_token_id must be an unsigned 8-bit integer", std::string{key});
    }
    return std::optional<std::uint8_t>{static_cast<std::uint8_t>(*number)};
}

Result<PipelineConfig, ReferencedConfigError> parse_toml_pipeline_config(std::string_view contents) {
    PipelineConfigValues values;
    if (const auto read = read_values(contents, values); !read.ok()) {
        return *read.error();
    }
    std::optional<ReferencedConfigError> failure;
    std::string schema_version;
    if (!take(required_value(values, "schema_version"), schema_version, failure)) {
        return std::move(*failure);
    }
    if (schema_version != enum_text(PipelineConfigVersion::v0)) {
        return invalid_config("schema_version must be tamri.pipeline.v0", "schema_version");
    }
    PipelineConfig config;
    const bool complete = take(required_value(values, "name"), config.name, failure) &&
                          take(required_value(values, "input.format"), config.input.format, failure) &&
                          take(required_value(values, "input.path"), config.input.path, failure) &&
                          take(required_value(values, "normalize.policy"), config.normalize.policy, failure) &&
                          take(required_value(values, "validate.kind"), config.validate.kind, failure) &&
                          take(required_value(values, "tokenize.profile"), config.tokenize.profile, failure) &&
                          take(required_value(values, "export.format"), config.export_.format, failure) &&
                          take(parse_usize(values), config.export_.max_length, failure) &&
                          take(parse_optional_u8(values), config.export_.pad_token_id, failure);
    if (!complete) {
        return std::move(*failure);
    }
    config.export_.padding = value_of(values, "export.padding").value_or(default_padding());
    return config;
}

}  // namespace tamri::package
