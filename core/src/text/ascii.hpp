#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace tamri::text {

// True when every byte is below 0x80. Tests eight bytes at a time, then the tail byte by byte.
[[nodiscard]] inline bool is_ascii(const char* data, std::size_t size) noexcept {
    constexpr std::uint64_t high_bits = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        if ((word & high_bits) != 0) {
            return false;
        }
    }
    for (; i < size; ++i) {
        if (static_cast<unsigned char>(data[i]) >= 0x80) {
            return false;
        }
    }
    return true;
}

[[nodiscard]] inline bool is_ascii(std::string_view text) noexcept {
    return is_ascii(text.data(), text.size());
}

// The five white-space bytes of the ASCII rules: tab, line feed, form feed, carriage return,
// space. Vertical tab (0x0B) is deliberately not one of them.
[[nodiscard]] constexpr bool is_ascii_white_space(unsigned char byte) noexcept {
    return byte == 0x20 || byte == 0x09 || byte == 0x0A || byte == 0x0C || byte == 0x0D;
}

[[nodiscard]] constexpr unsigned char ascii_upper(unsigned char byte) noexcept {
    return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

// Removes ASCII white space from both ends.
[[nodiscard]] constexpr std::string_view trim_ascii_white_space(std::string_view text) noexcept {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && is_ascii_white_space(static_cast<unsigned char>(text[begin]))) {
        ++begin;
    }
    while (end > begin && is_ascii_white_space(static_cast<unsigned char>(text[end - 1]))) {
        --end;
    }
    return text.substr(begin, end - begin);
}

}  // namespace tamri::text
