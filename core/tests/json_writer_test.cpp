#include "json/writer.hpp"
#include "sequence/types.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
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

TEST(JsonWriter, ByteArraysReadLikeArraysOfIntegers) {
    // Mixed values, then runs of equal values (as in masks and padding) at every alignment.
    std::vector<std::uint8_t> values{0, 9, 10, 99, 100, 255};
    for (int i = 0; i < 3000; ++i) {
        values.push_back(static_cast<std::uint8_t>(i * 37));
    }
    for (const std::uint8_t value : {1, 0, 255, 42, 7}) {
        values.insert(values.end(), 9 + value % 13, value);
    }
    for (std::size_t size = 0; size <= values.size(); size += size < 64 ? 1 : 997) {
        const std::span<const std::uint8_t> some = std::span{values}.first(size);
        json::JsonWriter by_value;
        by_value.begin_array();
        for (const std::uint8_t value : some) {
            by_value.unsigned_integer(value);
        }
        by_value.end_array();
        json::JsonWriter at_once;
        at_once.byte_array(some);
        EXPECT_EQ(at_once.text(), by_value.text()) << size;
    }
}

TEST(JsonWriter, ResidueIssueKeysAreResidueThenPosition) {
    json::JsonWriter writer;
    writer.begin_array();
    write_json(writer, ResidueIssue{3, U'X'});
    write_json(writer, ResidueIssue{12, U'\u00e9'});
    writer.end_array();
    EXPECT_EQ(writer.text(), "[{\"residue\":\"X\",\"position\":3},{\"residue\":\"\xc3\xa9\",\"position\":12}]");
}

}  // namespace
}  // namespace tamri
