#include "tamri/package/pipeline/fields.hpp"

#include "tamri/sequence/kind.hpp"
#include "tamri/text/unicode.hpp"
#include "tamri/tokenizer/config.hpp"

#include <fmt/format.h>

namespace tamri::package {
namespace {

Result<void, ReferencedConfigError> first_failure(std::initializer_list<Result<void, ReferencedConfigError>> checks) {
    for (const auto& check : checks) {
        if (const ReferencedConfigError* error = check.error()) {
            return *error;
        }
    }
    return {};
}

}  // namespace

Result<void, ReferencedConfigError> require_non_empty(std::string_view field, std::string_view value) {
    if (!text::is_blank(value)) {
        return {};
    }
    return invalid_config(fmt::format("{} is required", field), std::string{field});
}

Result<void, ReferencedConfigError> require_value(std::string_view field, std::string_view value,
                                                  std::string_view expected) {
    if (value == expected) {
        return {};
    }
    return invalid_config(fmt::format("{} must be '{}'", field, expected), std::string{field});
}

Result<void, ReferencedConfigError> validate_padding(std::string_view padding) {
    if (padding == "fixed_length" || padding == "no_padding") {
        return {};
    }
    return invalid_config("export.padding must be 'fixed_length' or 'no_padding'", "export.padding");
}

Result<ProteinTokenizerProfile, ReferencedConfigError> validate_pipeline_config_fields(const PipelineConfig& config) {
    // Cheap, side-effect-free checks run together; the first in order wins.
    if (const auto failure = first_failure(
            {require_non_empty("name", config.name), require_value("input.format", config.input.format, "fasta"),
             require_non_empty("input.path", config.input.path),
             require_value("normalize.policy", config.normalize.policy, "strip_ascii_whitespace_uppercase")});
        !failure.ok()) {
        return *failure.error();
    }
    const std::optional<SequenceKind> kind = parse_enum<SequenceKind>(config.validate.kind);
    if (!kind) {
        return invalid_config("validate.kind must be one of protein, dna, rna", "validate.kind");
    }
    const std::optional<ProteinTokenizerProfile> profile = parse_enum<ProteinTokenizerProfile>(config.tokenize.profile);
    if (!profile) {
        return invalid_config(
            fmt::format("tokenize.profile must be one of {}", fmt::join(enum_texts<ProteinTokenizerProfile>, ", ")),
            "tokenize.profile");
    }
    if (const SequenceKind profile_kind = tokenizer_profile_kind(*profile); profile_kind != *kind) {
        return invalid_config(fmt::format("validate.kind must be '{}' for profile '{}'", enum_text(profile_kind),
                                          config.tokenize.profile),
                              "validate.kind");
    }
    if (const auto failure = require_value("export.format", config.export_.format, "model-input-json"); !failure.ok()) {
        return *failure.error();
    }
    if (config.export_.max_length == 0) {
        return invalid_config("export.max_length must be greater than zero", "export.max_length");
    }
    if (const auto failure = validate_padding(config.export_.padding); !failure.ok()) {
        return *failure.error();
    }
    return *profile;
}

}  // namespace tamri::package
