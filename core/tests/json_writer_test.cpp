#include "tamri/digest/indexed_digest.hpp"
#include "tamri/digest/sha256.hpp"
#include "tamri/json/index.hpp"
#include "tamri/json/number.hpp"
#include "tamri/json/writer.hpp"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace tamri {
namespace {

TEST(JsonWriter, WritesCompactTextInCallerOrder) {
    json::JsonWriter writer;
    writer.begin_object()
        .key("z")
        .unsigned_integer(18446744073709551615ULL)
        .key("a")
        .begin_array()
        .boolean(true)
        .null()
        .signed_integer(-3)
        .begin_object()
        .end_object()
        .end_array()
        .key("s")
        .string("x")
        .end_object();
    EXPECT_EQ(writer.text(), R"({"z":18446744073709551615,"a":[true,null,-3,{}],"s":"x"})");
}

TEST(JsonWriter, EscapesOnlyWhatJsonRequires) {
    std::string out;
    json::append_json_string(out, std::string_view{"\"\\\b\f\n\r\t\x01\x1f/\x7f\xc3\xa9\0", 14});
    EXPECT_EQ(out, "\"\\\"\\\\\\b\\f\\n\\r\\t\\u0001\\u001f/\x7f\xc3\xa9\\u0000\"");
}

struct EscapeCase {
    char byte;
    std::string_view written;
};

class JsonStringEscapes : public testing::TestWithParam<EscapeCase> {};

// Plain runs are found a word at a time, so every byte is tried at every offset of a word; an
// index notes the first string that is not UTF-8.
TEST_P(JsonStringEscapes, AtEveryOffset) {
    for (std::size_t offset = 0; offset < 21; ++offset) {
        std::string value(21, 'a');
        value[offset] = GetParam().byte;
        json::JsonIndex index;
        json::JsonWriter writer{index};
        writer.begin_array().string("\xc3\xa9").string(value).end_array();
        EXPECT_EQ(writer.text(), fmt::format("[\"\xc3\xa9\",\"{}{}{}\"]", value.substr(0, offset), GetParam().written,
                                             value.substr(offset + 1)));
        EXPECT_EQ(index.failure().has_value(), GetParam().byte == '\xff');
    }
}

INSTANTIATE_TEST_SUITE_P(Bytes, JsonStringEscapes,
                         testing::Values(EscapeCase{'"', "\\\""}, EscapeCase{'\\', "\\\\"}, EscapeCase{'\n', "\\n"},
                                         EscapeCase{'\0', "\\u0000"}, EscapeCase{'\x1f', "\\u001f"},
                                         EscapeCase{' ', " "}, EscapeCase{'\x7f', "\x7f"}, EscapeCase{']', "]"},
                                         EscapeCase{'\xff', "\xff"}));

TEST(JsonWriter, ByteArraysReadLikeArraysOfIntegers) {
    // Runs of equal values (as in masks and padding) at every alignment, then mixed values.
    std::vector<std::uint8_t> values{0, 9, 10, 99, 100, 255};
    for (const std::uint8_t value : {1, 0, 255, 42, 7}) {
        values.insert(values.end(), 9 + value % 13, value);
    }
    for (int i = 0; i < 3000; ++i) {
        values.push_back(static_cast<std::uint8_t>(i * 37));
    }
    const auto check_first = [&values](std::size_t size) {
        const std::span<const std::uint8_t> some = std::span{values}.first(size);
        json::JsonWriter writer;
        writer.byte_array(some);
        EXPECT_EQ(writer.text(), fmt::format("[{}]", fmt::join(some, ","))) << size;
    };
    for (std::size_t size = 0; size <= 90; ++size) {
        check_first(size);
    }
    check_first(values.size());
}

// Reports and messages spell a number as serde_json does, canonical JSON as Python's json module.
TEST(JsonNumbers, TwoSpellingsOfOneFloat) {
    const std::vector<std::tuple<double, std::string_view, std::string_view>> cases{
        {1e-7, "1e-7", "1e-07"},
        {1e16, "1e16", "1e+16"},
        {1.5, "1.5", "1.5"},
        {5.0, "5.0", "5.0"},
        {-0.0, "-0.0", "-0.0"},
        {-2.5e-300, "-2.5e-300", "-2.5e-300"},
        {1.25e21, "1.25e21", "1.25e+21"}};
    for (const auto& [value, written, canonical] : cases) {
        EXPECT_EQ(json::format_floating(value), written);
        EXPECT_EQ(json::format_canonical_floating(value), canonical);
    }
}

// An index reads floats in the canonical spelling, as a digest of the text itself does.
TEST(JsonWriter, IndexedFloatsDigestInTheirCanonicalSpelling) {
    json::JsonIndex index;
    json::JsonWriter writer{index};
    writer.begin_object().key("b").begin_array().floating(1e-7).floating(1e16).floating(2.5).end_array();
    writer.key("a").floating(5.0).key("c").floating(1e-7).end_object();
    ASSERT_EQ(writer.text(), R"({"b":[1e-7,1e16,2.5],"a":5.0,"c":1e-7})");
    const std::string canonical = sha256_bytes_digest(R"({"a":5.0,"b":[1e-07,1e+16,2.5],"c":1e-07})");
    EXPECT_EQ(sha256_canonical_json_digest(writer.text()), canonical);
    EXPECT_EQ(sha256_canonical_json_members_digest(writer.text(), index, index.members(0)), canonical);
}

}  // namespace
}  // namespace tamri
