#pragma once

// ASCII byte tests for the hot paths: whole-string and word-at-a-time checks, upper-casing, and
// trimming under the five-byte white-space rule.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tamri::text {

// Eight bytes read as one word, for the checks below that go a word at a time.
inline constexpr std::uint64_t word_byte_ones = 0x0101010101010101ULL;
inline constexpr std::uint64_t word_high_bits = 0x8080808080808080ULL;

// The bitwise or of `flags(byte)` over every byte. Sixteen bytes at a time go into sixteen
// lanes, which compilers turn into one vector step per block, and the last block overlaps the
// one before instead of leaving a tail to go byte by byte (seeing a byte twice changes no or).
// There is no early exit: the inputs are short lines or mostly plain text, read whole anyway.
template <class Flags>
[[nodiscard]] inline unsigned char or_over_bytes(std::string_view bytes, Flags flags) noexcept {
    constexpr std::size_t block = 16;
    const auto* const data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    unsigned char result = 0;
    if (size < block) {
        for (std::size_t i = 0; i < size; ++i) {
            result |= flags(data[i]);
        }
        return result;
    }
    std::array<unsigned char, block> lanes{};
    const auto fold_block = [&lanes, &flags](const unsigned char* start) {
        for (std::size_t lane = 0; lane < block; ++lane) {
            lanes[lane] |= flags(start[lane]);
        }
    };
    for (std::size_t i = 0; i + block <= size; i += block) {
        fold_block(data + i);
    }
    fold_block(data + size - block);
    for (const unsigned char lane : lanes) {
        result |= lane;
    }
    return result;
}

// True when every byte is below 0x80.
[[nodiscard]] inline bool is_ascii(const char* data, std::size_t size) noexcept {
    return or_over_bytes({data, size}, [](unsigned char byte) { return byte; }) < 0x80;
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

// True when all eight bytes of `word` are ASCII above 0x20, so none is white space. Below 0x80
// no byte's sum carries into the next, so each high bit tells its own byte.
[[nodiscard]] constexpr bool is_plain_ascii_word(std::uint64_t word) noexcept {
    const std::uint64_t at_least_0x21 = word + word_byte_ones * (0x80 - 0x21);
    return ((word | ~at_least_0x21) & word_high_bits) == 0;
}

// `ascii_upper` of each byte of a word of ASCII bytes.
[[nodiscard]] constexpr std::uint64_t ascii_upper_word(std::uint64_t word) noexcept {
    const std::uint64_t at_least_a = word + word_byte_ones * (0x80 - 'a');
    const std::uint64_t above_z = word + word_byte_ones * (0x80 - 'z' - 1);
    return word - (((at_least_a ^ above_z) & word_high_bits) >> 2);
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
