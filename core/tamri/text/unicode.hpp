#pragma once

// Unicode white space: the White_Space property, and trimming and blank tests for valid UTF-8 text,
// with the ASCII rule where the text is ASCII.

#include <string_view>

namespace tamri::text {

// Characters with the Unicode White_Space property (vertical tab included).
[[nodiscard]] constexpr bool is_unicode_white_space(char32_t c) noexcept {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Removes Unicode white space from both ends of valid UTF-8 text.
[[nodiscard]] std::string_view trim_unicode_white_space(std::string_view text) noexcept;

// Trims with the ASCII rule when the text is ASCII, with the Unicode rule otherwise.
[[nodiscard]] std::string_view trim_white_space(std::string_view text) noexcept;

// True when the valid UTF-8 text holds only Unicode white space (or nothing).
[[nodiscard]] bool is_blank(std::string_view text) noexcept;

}  // namespace tamri::text
