#include "tamri/text/utf8.hpp"

#include "tamri/text/ascii.hpp"

#include <fmt/format.h>

namespace tamri::text {
namespace {

constexpr bool is_continuation(unsigned char byte) noexcept {
    return (byte & 0xC0U) == 0x80U;
}

// Width of a sequence announced by its lead byte; 0 for bytes that cannot start one.
constexpr std::size_t sequence_width(unsigned char lead) noexcept {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// The second byte's range depends on the lead byte: it rules out overlong forms,
// surrogates and code points above U+10FFFF.
constexpr bool second_byte_allowed(unsigned char lead, unsigned char second) noexcept {
    switch (lead) {
        case 0xE0: return second >= 0xA0 && second <= 0xBF;
        case 0xED: return second >= 0x80 && second <= 0x9F;
        case 0xF0: return second >= 0x90 && second <= 0xBF;
        case 0xF4: return second >= 0x80 && second <= 0x8F;
        default: return is_continuation(second);
    }
}

// Checks the sequence at `index`: its length if valid, or the error it starts.
struct SequenceCheck {
    std::size_t valid_length;  // 0 when invalid
    std::optional<std::size_t> error_length;
};

SequenceCheck check_sequence(std::string_view bytes, std::size_t index) noexcept {
    const auto byte_at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte_at(index);
    const std::size_t width = sequence_width(lead);
    if (width == 0) {
        return {0, 1};
    }
    for (std::size_t k = 1; k < width; ++k) {
        if (index + k >= bytes.size()) {
            return {0, std::nullopt};
        }
        const unsigned char next = byte_at(index + k);
        const bool allowed = k == 1 ? second_byte_allowed(lead, next) : is_continuation(next);
        if (!allowed) {
            return {0, k};
        }
    }
    return {width, std::nullopt};
}

}  // namespace

std::string describe_utf8_error(const Utf8Error& error) {
    if (error.length) {
        return fmt::format("invalid utf-8 sequence of {} bytes from index {}", *error.length, error.valid_up_to);
    }
    return fmt::format("incomplete utf-8 byte sequence from index {}", error.valid_up_to);
}

std::optional<Utf8Error> first_utf8_error(std::string_view bytes) noexcept {
    std::size_t index = 0;
    while (index < bytes.size()) {
        if (static_cast<unsigned char>(bytes[index]) < 0x80) {
            ++index;
            continue;
        }
        const SequenceCheck check = check_sequence(bytes, index);
        if (check.valid_length == 0) {
            return Utf8Error{index, check.error_length};
        }
        index += check.valid_length;
    }
    return std::nullopt;
}

std::string decode_utf8_lossy(std::string_view bytes) {
    std::string output;
    output.reserve(bytes.size());
    std::size_t index = 0;
    while (index < bytes.size()) {
        if (static_cast<unsigned char>(bytes[index]) < 0x80) {
            output.push_back(bytes[index]);
            ++index;
            continue;
        }
        const SequenceCheck check = check_sequence(bytes, index);
        if (check.valid_length != 0) {
            output.append(bytes.substr(index, check.valid_length));
            index += check.valid_length;
            continue;
        }
        append_utf8(output, U'\uFFFD');
        index = check.error_length ? index + *check.error_length : bytes.size();
    }
    return output;
}

void make_valid_utf8(std::string& text) {
    if (first_utf8_error(text)) {
        text = decode_utf8_lossy(text);
    }
}

DecodedChar decode_utf8_char(std::string_view text, std::size_t index) noexcept {
    const auto byte_at = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(text[i])); };
    const char32_t lead = byte_at(index);
    if (lead < 0x80) {
        return {lead, 1};
    }
    if (lead < 0xE0) {
        return {((lead & 0x1FU) << 6) | (byte_at(index + 1) & 0x3FU), 2};
    }
    if (lead < 0xF0) {
        return {((lead & 0x0FU) << 12) | ((byte_at(index + 1) & 0x3FU) << 6) | (byte_at(index + 2) & 0x3FU), 3};
    }
    return {((lead & 0x07U) << 18) | ((byte_at(index + 1) & 0x3FU) << 12) | ((byte_at(index + 2) & 0x3FU) << 6) |
                (byte_at(index + 3) & 0x3FU),
            4};
}

DecodedChar decode_utf8_char_before(std::string_view text, std::size_t end) noexcept {
    std::size_t start = end - 1;
    while (start > 0 && is_continuation(static_cast<unsigned char>(text[start]))) {
        --start;
    }
    return decode_utf8_char(text, start);
}

void append_utf8(std::string& output, char32_t code_point) {
    const auto push = [&](char32_t value) { output.push_back(static_cast<char>(value)); };
    if (code_point < 0x80) {
        push(code_point);
    } else if (code_point < 0x800) {
        push(0xC0 | (code_point >> 6));
        push(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        push(0xE0 | (code_point >> 12));
        push(0x80 | ((code_point >> 6) & 0x3F));
        push(0x80 | (code_point & 0x3F));
    } else {
        push(0xF0 | (code_point >> 18));
        push(0x80 | ((code_point >> 12) & 0x3F));
        push(0x80 | ((code_point >> 6) & 0x3F));
        push(0x80 | (code_point & 0x3F));
    }
}

}  // namespace tamri::text
