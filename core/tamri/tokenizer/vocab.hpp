#pragma once

// Vocabularies: the built-in ones, their JSON form, and reading a vocabulary asset's JSON.

#include "tamri/base/diagnostic.hpp"
#include "tamri/tokenizer/types.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tamri {

// The shared, immutable built-in vocabulary, built on first use.
[[nodiscard]] const Vocabulary& builtin_vocabulary(BuiltinVocabulary vocabulary);

// A vocabulary JSON text that could not be read; carries the JSON layer's message.
class TokenizerError final : public Diagnostic {
public:
    explicit TokenizerError(std::string parser_message) : parser_message_(std::move(parser_message)) {}

    [[nodiscard]] const std::string& parser_message() const noexcept { return parser_message_; }
    // "tokenizer.invalid_vocabulary"
    [[nodiscard]] std::string_view code() const noexcept override;
    // "invalid vocabulary JSON: {parser message}"
    [[nodiscard]] std::string message() const override;
    [[nodiscard]] std::optional<DiagnosticLocation> location() const override { return std::nullopt; }

private:
    std::string parser_message_;
};

// Reads the vocabulary JSON form: all four keys required, other keys ignored. Nothing beyond
// the shape is checked (token order, duplicates and size are left to the caller). Throws
// TokenizerError.
[[nodiscard]] Vocabulary load_vocab_json(std::string_view json_text);

}  // namespace tamri
