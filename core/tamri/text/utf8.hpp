#pragma once

// UTF-8 checking and decoding: the first ill-formed sequence and its message, lossy decoding with
// U+FFFD, and decoding and encoding one character.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tamri::text {

// The first ill-formed sequence of a byte string. `length` is the size of the maximal
// invalid subpart (1 to 3 bytes); it is absent when the input ends inside a sequence
// that could still have been completed.
struct Utf8Error {
    std::size_t valid_up_to;
    std::optional<std::size_t> length;

    friend bool operator==(const Utf8Error&, const Utf8Error&) = default;
};

// The decoder's description: "invalid utf-8 sequence of {n} bytes from index {i}" or
// "incomplete utf-8 byte sequence from index {i}".
[[nodiscard]] std::string describe_utf8_error(const Utf8Error& error);

// The first invalid or incomplete sequence in `bytes`; none when all of them are UTF-8.
[[nodiscard]] std::optional<Utf8Error> first_utf8_error(std::string_view bytes) noexcept;

// Replaces every maximal invalid subpart with U+FFFD.
[[nodiscard]] std::string decode_utf8_lossy(std::string_view bytes);

// `decode_utf8_lossy` in place, for texts that must end up in JSON; valid text is left untouched.
void make_valid_utf8(std::string& text);

// One decoded character of valid UTF-8 and the number of bytes it took.
struct DecodedChar {
    char32_t code_point;
    std::size_t length;
};

// Decodes the character starting at `text[index]`; `text` must be valid UTF-8.
[[nodiscard]] DecodedChar decode_utf8_char(std::string_view text, std::size_t index) noexcept;

// Decodes the character ending just before `text[end]`; `text` must be valid UTF-8.
[[nodiscard]] DecodedChar decode_utf8_char_before(std::string_view text, std::size_t end) noexcept;

void append_utf8(std::string& output, char32_t code_point);

}  // namespace tamri::text
