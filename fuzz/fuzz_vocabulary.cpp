// Feeds arbitrary bytes to the vocabulary reader. A vocabulary it accepts must read back equal
// from its own JSON and hold only Unicode scalar values; a refusal names the vocabulary code and
// carries the JSON layer's positioned message.

#include "fuzz_support.hpp"
#include "tamri/json/record.hpp"
#include "tamri/tokenizer/vocab.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace {

using tamri::fuzz::require;

bool is_scalar_value(char32_t c) {
    return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    tamri::Vocabulary vocabulary;
    try {
        vocabulary = tamri::load_vocab_json(*input);
    } catch (const tamri::TokenizerError& error) {
        tamri::fuzz::require_well_formed(error);
        require(error.code() == tamri::code::tokenizer_invalid_vocabulary);
        require(error.message().starts_with("invalid vocabulary JSON: "));
        tamri::fuzz::require_position_suffix(error.parser_message());
        return 0;
    }
    for (const tamri::VocabToken& token : vocabulary.tokens) {
        require(is_scalar_value(token.residue));
    }
    tamri::json::JsonWriter writer;
    tamri::json::write_value(writer, vocabulary);
    tamri::fuzz::require_utf8(writer.text());
    require(tamri::load_vocab_json(writer.text()) == vocabulary);
    return 0;
}
