#pragma once

// The one walk over a sequence's bytes, shared by every step that reads residues (normalization,
// validation, detection, tokenization): how a text is read is decided here, once per text.

#include "tamri/text/ascii.hpp"
#include "tamri/text/utf8.hpp"

#include <cstddef>
#include <string>
#include <string_view>

namespace tamri::text {

// Every character of valid UTF-8 text, as its code point and its bytes.
template <class Character>
void for_each_character(std::string_view text, Character&& character) {
    for (std::size_t index = 0; index < text.size();) {
        const DecodedChar c = decode_utf8_char(text, index);
        character(c.code_point, text.substr(index, c.length));
        index += c.length;
    }
}

// ASCII text goes to `ascii` whole, so that each step keeps its word-at-a-time or table-driven loop;
// other UTF-8 goes to `character` one character at a time; text that is not UTF-8 goes to
// `invalid` whole.
template <class Ascii, class Character, class Invalid>
void walk_text(std::string_view text, Ascii&& ascii, Character&& character, Invalid&& invalid) {
    if (is_ascii(text)) {
        ascii(text);
    } else if (first_utf8_error(text)) {
        invalid(text);
    } else {
        for_each_character(text, character);
    }
}

// The same for steps that read text that is not UTF-8 as U+FFFD replacements.
template <class Ascii, class Character>
void walk_text(std::string_view text, Ascii&& ascii, Character&& character) {
    walk_text(text, ascii, character, [&character](std::string_view bytes) {
        const std::string repaired = decode_utf8_lossy(bytes);
        for_each_character(repaired, character);
    });
}

}  // namespace tamri::text
