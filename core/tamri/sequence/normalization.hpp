#pragma once

// Sequence normalization, the one policy every path applies: drop white space, upper-case a-z, keep
// everything else; with byte-wise forms for input not known to be valid UTF-8.

#include "tamri/text/ascii.hpp"
#include "tamri/text/unicode.hpp"

#include <string>
#include <string_view>

namespace tamri {

// The one normalization policy: drop white space, upper-case a-z, keep everything else.
inline constexpr std::string_view normalization_policy_name = "strip_ascii_whitespace_uppercase";

// ASCII text drops the five ASCII white-space bytes (not vertical tab); text holding any
// non-ASCII character drops every Unicode white-space character instead.
[[nodiscard]] std::string normalize_sequence(std::string_view text);
void append_normalized_sequence(std::string_view text, std::string& output);

// Byte-wise form for input that may not be valid UTF-8: drops the five ASCII white-space
// bytes, upper-cases a-z and keeps every other byte as it is.
[[nodiscard]] std::string normalize_sequence_bytes(std::string_view bytes);

// One character of text holding non-ASCII characters as normalization leaves it: nothing for Unicode
// white space, a-z upper-cased, any other character as it is. `put` receives the bytes kept.
template <class Put>
void normalize_character(char32_t c, std::string_view bytes, Put&& put) {
    if (text::is_unicode_white_space(c)) {
        return;
    }
    if (c < 0x80) {
        const auto upper = static_cast<char>(text::ascii_upper(static_cast<unsigned char>(c)));
        put(std::string_view{&upper, 1});
    } else {
        put(bytes);
    }
}

// Appends ASCII-normalized bytes; the caller knows `bytes` is ASCII or wants byte semantics.
void append_normalized_ascii_bytes(std::string_view bytes, std::string& output);

}  // namespace tamri
