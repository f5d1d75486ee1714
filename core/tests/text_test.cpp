#include "tamri/text/ascii.hpp"
#include "tamri/text/unicode.hpp"
#include "tamri/text/utf8.hpp"

#include <gtest/gtest.h>

namespace tamri::text {
namespace {

TEST(Ascii, WordTestFindsAHighByteAtEveryOffset) {
    for (std::size_t size : {0U, 1U, 7U, 8U, 9U, 16U, 31U}) {
        const std::string clean(size, 'a');
        EXPECT_TRUE(is_ascii(clean)) << size;
        for (std::size_t at = 0; at < size; ++at) {
            std::string dirty = clean;
            dirty[at] = '\x80';
            EXPECT_FALSE(is_ascii(dirty)) << size << " at " << at;
        }
    }
}

// Vertical tab is white space to Unicode only.
TEST(Trim, AsciiKeepsVerticalTabUnicodeRemovesEveryWhiteSpaceCharacter) {
    EXPECT_EQ(trim_ascii_white_space(" \t\r\n\f ab c \n"), "ab c");
    EXPECT_EQ(trim_ascii_white_space("\vab\v"), "\vab\v");
    EXPECT_EQ(trim_ascii_white_space(" \t "), "");
    EXPECT_EQ(trim_unicode_white_space("\u00a0\u3000\v x\u2003y \u2029\u0085"), "x\u2003y");
    EXPECT_EQ(trim_unicode_white_space("\u200b"), "\u200b");  // zero width space is not white space
    EXPECT_TRUE(is_blank("\u1680\u2028 \t\v"));
    EXPECT_FALSE(is_blank(" \u00e9 "));
}

struct Utf8Case {
    std::string bytes;
    std::optional<Utf8Error> error;
    std::string description;
    std::string lossy;
};

class Utf8Validation : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validation, ReportsTheFirstMaximalInvalidSubpart) {
    const Utf8Case& c = GetParam();
    const std::optional<Utf8Error> error = first_utf8_error(c.bytes);
    EXPECT_EQ(error, c.error);
    if (error) {
        EXPECT_EQ(describe_utf8_error(*error), c.description);
    }
    EXPECT_EQ(decode_utf8_lossy(c.bytes), c.lossy);
}

const std::string fffd = "\xef\xbf\xbd";

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8Validation,
    ::testing::Values(
        Utf8Case{"ab\xc3\xa9\xf0\x9f\x98\x80", std::nullopt, "", "ab\xc3\xa9\xf0\x9f\x98\x80"},
        Utf8Case{"AC\xff", Utf8Error{2, 1}, "invalid utf-8 sequence of 1 bytes from index 2", "AC" + fffd},
        Utf8Case{"\x80x", Utf8Error{0, 1}, "invalid utf-8 sequence of 1 bytes from index 0", fffd + "x"},
        Utf8Case{"\xc0\xaf", Utf8Error{0, 1}, "invalid utf-8 sequence of 1 bytes from index 0", fffd + fffd},
        Utf8Case{"a\xe0\x80\x80", Utf8Error{1, 1}, "invalid utf-8 sequence of 1 bytes from index 1",
                 "a" + fffd + fffd + fffd},
        Utf8Case{"\xed\xa0\x80", Utf8Error{0, 1}, "invalid utf-8 sequence of 1 bytes from index 0", fffd + fffd + fffd},
        Utf8Case{"\xe2\x82x", Utf8Error{0, 2}, "invalid utf-8 sequence of 2 bytes from index 0", fffd + "x"},
        Utf8Case{"\xf0\x9f\x98x", Utf8Error{0, 3}, "invalid utf-8 sequence of 3 bytes from index 0", fffd + "x"},
        Utf8Case{"\xf4\x90\x80\x80", Utf8Error{0, 1}, "invalid utf-8 sequence of 1 bytes from index 0",
                 fffd + fffd + fffd + fffd},
        Utf8Case{"ab\xe2\x82", Utf8Error{2, std::nullopt}, "incomplete utf-8 byte sequence from index 2", "ab" + fffd},
        Utf8Case{"\xf0", Utf8Error{0, std::nullopt}, "incomplete utf-8 byte sequence from index 0", fffd}));

TEST(Utf8, DecodesAndEncodesEveryWidth) {
    for (const char32_t c : {U'A', U'\u00e9', U'\u3000', U'\U0001F600'}) {
        std::string encoded;
        append_utf8(encoded, c);
        const std::string text = "x" + encoded;
        EXPECT_EQ(decode_utf8_char(text, 1).code_point, c);
        EXPECT_EQ(decode_utf8_char(text, 1).length, encoded.size());
        EXPECT_EQ(decode_utf8_char_before(text, text.size()).code_point, c);
    }
}

}  // namespace
}  // namespace tamri::text
