#include "tamri/package/directory/artifact_content.hpp"

#include "tamri/json/decode.hpp"
#include "tamri/text/unicode.hpp"
#include "tamri/text/utf8.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/vocab.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace tamri::package {
namespace {

// The contract version of a profile or vocabulary name.
std::string contract_version_of(std::string_view name) {
    return fmt::format("{}.v0", name);
}

bool contradicts(const std::optional<std::string>& declared, std::string_view actual) {
    return declared && !text::is_blank(*declared) && *declared != actual;
}

void compare_with_builtin(PackageValidationReport& report, const Vocabulary& vocabulary) {
    const std::optional<BuiltinVocabulary> builtin = parse_enum<BuiltinVocabulary>(vocabulary.name);
    if (!builtin) {
        return;  // other names, the "-special" ones included, have no built-in table
    }
    const Vocabulary& expected = builtin_vocabulary(*builtin);
    constexpr auto code = PackageValidationIssueCode::invalid_vocab_config;
    if (vocabulary.unknown_token_id != expected.unknown_token_id) {
        push_issue(report, code, "vocab.unknown_token_id",
                   fmt::format("vocab.unknown_token_id must be {} for {}", expected.unknown_token_id, vocabulary.name));
    }
    if (vocabulary.tokens != expected.tokens) {
        push_issue(report, code, "vocab.tokens",
                   fmt::format("vocab.tokens must match the built-in {} token order and IDs", vocabulary.name));
    }
}

}  // namespace

void validate_tokenizer_config(PackageValidationReport& report, const TokenAsset& tokenizer, std::string_view bytes) {
    constexpr auto code = PackageValidationIssueCode::invalid_tokenizer_config;
    ProteinTokenizerConfig config;
    try {
        config = parse_protein_tokenizer_config(bytes);
    } catch (const json::DecodeError& error) {
        push_issue(report, code, "tokenizer",
                   fmt::format("tokenizer: invalid tokenizer config JSON: {}", error.detail()));
        return;
    }
    const std::string_view profile = enum_text(config.profile);
    if (!text::is_blank(tokenizer.name) && tokenizer.name != profile) {
        push_issue(report, code, "tokenizer.name",
                   fmt::format("tokenizer.name must match tokenizer config profile '{}'", profile));
    }
    if (const std::string version = contract_version_of(profile); contradicts(tokenizer.contract_version, version)) {
        push_issue(report, code, "tokenizer.contract_version",
                   fmt::format("tokenizer.contract_version must match tokenizer config profile version '{}'", version));
    }
    if (const bool required = tokenizer_profile_adds_special_tokens(config.profile);
        config.add_special_tokens != required) {
        push_issue(report, code, "tokenizer.add_special_tokens",
                   fmt::format("tokenizer.add_special_tokens must be {} for profile '{}'", required, profile));
    }
}

void validate_vocab_config(PackageValidationReport& report, const TokenAsset& vocab, std::string_view bytes) {
    constexpr auto code = PackageValidationIssueCode::invalid_vocab_config;
    if (const auto invalid = text::first_utf8_error(bytes)) {
        push_issue(report, code, "vocab",
                   fmt::format("vocab: invalid UTF-8 vocabulary JSON: {}", text::describe_utf8_error(*invalid)));
        return;
    }
    Vocabulary vocabulary;
    try {
        vocabulary = load_vocab_json(bytes);
    } catch (const TokenizerError& error) {
        push_issue(report, code, "vocab", fmt::format("vocab: {}", error.message()));
        return;
    }
    if (!text::is_blank(vocab.name) && vocab.name != vocabulary.name) {
        push_issue(report, code, "vocab.name",
                   fmt::format("vocab.name must match vocabulary name '{}'", vocabulary.name));
    }
    if (const std::string version = contract_version_of(vocabulary.name);
        contradicts(vocab.contract_version, version)) {
        push_issue(report, code, "vocab.contract_version",
                   fmt::format("vocab.contract_version must match vocabulary version '{}'", version));
    }
    compare_with_builtin(report, vocabulary);
}

}  // namespace tamri::package
