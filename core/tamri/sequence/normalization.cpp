#include "tamri/sequence/normalization.hpp"

#include "tamri/text/walk.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tamri {
namespace {

// True when some byte may change: a-z, or a byte up to the space (white space or not, the byte
// loop decides). Most sequence lines are already upper case and are then copied whole.
bool may_change_under_normalization(std::string_view bytes) noexcept {
    // Bitwise, not ||: compilers vectorize the one and not the other.
    return text::or_over_bytes(bytes, [](unsigned char byte) {
               return static_cast<unsigned char>((static_cast<unsigned char>(byte - 'a') < 26) | (byte <= ' '));
           }) != 0;
}

}  // namespace

void append_normalized_ascii_bytes(std::string_view bytes, std::string& output) {
    if (!may_change_under_normalization(bytes)) {
        output.append(bytes);
        return;
    }
    const std::size_t start = output.size();
    output.resize(start + bytes.size());
    char* out = output.data() + start;
    const auto append_byte = [&out](char ch) {
        const auto byte = static_cast<unsigned char>(ch);
        *out = static_cast<char>(text::ascii_upper(byte));
        out += text::is_ascii_white_space(byte) ? 0 : 1;
    };
    std::size_t index = 0;
    // White space is rare inside sequence text: words without it are raised eight bytes at a time.
    for (; index + sizeof(std::uint64_t) <= bytes.size(); index += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + index, sizeof word);
        if (text::is_plain_ascii_word(word)) {
            word = text::ascii_upper_word(word);
            std::memcpy(out, &word, sizeof word);
            out += sizeof word;
        } else {
            std::for_each_n(bytes.data() + index, sizeof word, append_byte);
        }
    }
    std::for_each(bytes.begin() + static_cast<std::ptrdiff_t>(index), bytes.end(), append_byte);
    output.resize(static_cast<std::size_t>(out - output.data()));
}

void append_normalized_sequence(std::string_view text, std::string& output) {
    text::walk_text(
        text, [&output](std::string_view ascii) { append_normalized_ascii_bytes(ascii, output); },
        [&output](char32_t c, std::string_view bytes) {
            normalize_character(c, bytes, [&output](std::string_view kept) { output.append(kept); });
        });
}

std::string normalize_sequence(std::string_view text) {
    std::string output;
    append_normalized_sequence(text, output);
    return output;
}

std::string normalize_sequence_bytes(std::string_view bytes) {
    std::string output;
    append_normalized_ascii_bytes(bytes, output);
    return output;
}

}  // namespace tamri
