#include "json/writer.hpp"
#include "sequence/types.hpp"

#include <gtest/gtest.h>

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
