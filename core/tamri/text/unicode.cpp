#include "tamri/text/unicode.hpp"

#include "tamri/text/ascii.hpp"
#include "tamri/text/utf8.hpp"

namespace tamri::text {

std::string_view trim_unicode_white_space(std::string_view text) noexcept {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end) {
        const DecodedChar c = decode_utf8_char(text, begin);
        if (!is_unicode_white_space(c.code_point)) {
            break;
        }
        begin += c.length;
    }
    while (end > begin) {
        const DecodedChar c = decode_utf8_char_before(text, end);
        if (!is_unicode_white_space(c.code_point)) {
            break;
        }
        end -= c.length;
    }
    return text.substr(begin, end - begin);
}

std::string_view trim_white_space(std::string_view text) noexcept {
    return is_ascii(text) ? trim_ascii_white_space(text) : trim_unicode_white_space(text);
}

bool is_blank(std::string_view text) noexcept {
    return trim_unicode_white_space(text).empty();
}

}  // namespace tamri::text
