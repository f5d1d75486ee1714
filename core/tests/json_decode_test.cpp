#include "tamri/json/record.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace tamri {
namespace {

enum class Color { red, green, blue };

constexpr EnumTable<Color, 3> enum_table(Color) noexcept {
    return {{{{Color::red, "red"}, {Color::green, "green"}, {Color::blue, "blue"}}}};
}

enum class Shade { dark };

constexpr EnumTable<Shade, 1> enum_table(Shade) noexcept {
    return {{{{Shade::dark, "dark"}}}};
}

struct Point {
    std::uint8_t x = 0;
    std::optional<std::uint8_t> y;

    friend bool operator==(const Point&, const Point&) = default;
};

constexpr auto json_schema(std::type_identity<Point>) {
    return json::record_schema<Point>("struct Point", json::UnknownFields::reject, json::field<&Point::x>("x"),
                                      json::field<&Point::y>("y"));
}

struct Shape {
    std::string name;
    Color color = Color::red;
    std::vector<Point> points;
    std::optional<std::string> note;
    bool filled = false;
    std::size_t weight = 0;
    Shade shade = Shade::dark;
};

constexpr auto json_schema(std::type_identity<Shape>) {
    using json::Presence;
    return json::record_schema<Shape>("struct Shape", json::UnknownFields::reject, json::field<&Shape::name>("name"),
                                      json::field<&Shape::color>("color"), json::field<&Shape::points>("points"),
                                      json::field<&Shape::note>("note"),
                                      json::field<&Shape::filled>("filled", Presence::optional),
                                      json::field<&Shape::weight, &json::decode_usize>("weight", Presence::optional),
                                      json::field<&Shape::shade>("shade", Presence::optional));
}

struct Tag {
    char32_t letter = 0;
    std::string label;
};

constexpr auto json_schema(std::type_identity<Tag>) {
    return json::record_schema<Tag>("struct Tag", json::UnknownFields::ignore, json::field<&Tag::letter>("letter"),
                                    json::field<&Tag::label>("label"));
}

struct Reading {
    double value = 0.0;
    std::optional<std::string> unit;
    std::optional<std::string> note;
};

constexpr auto json_schema(std::type_identity<Reading>) {
    return json::record_schema<Reading>("struct Reading", json::UnknownFields::reject,
                                        json::field<&Reading::value>("value"), json::field<&Reading::unit>("unit"),
                                        json::field<&Reading::note>("note", json::Absent::omitted));
}

Shape decode_shape(std::string_view text) {
    return json::decode_record_document<Shape>(text);
}

template <class Record>
std::string decode_error(std::string_view text) {
    try {
        (void)json::decode_record_document<Record>(text);
    } catch (const json::DecodeError& error) {
        return error.detail();
    }
    return "no error";
}

TEST(JsonDecode, ReadsRecordsInAnyKeyOrderWithDefaultsForAbsentOptionals) {
    const Shape shape = decode_shape(
        " {\"points\":[{\"x\":1},{\"y\":null,\"x\":255},{\"x\":0,\"y\":7}],\n"
        "  \"color\":\"blue\", \"name\":\"tri\\u00e9\\n\", \"note\":null, \"weight\": 18446744073709551615 }\n\t");
    EXPECT_EQ(shape.name, "tri\xc3\xa9\n");
    EXPECT_EQ(shape.color, Color::blue);
    EXPECT_EQ(shape.points, (std::vector<Point>{{1, std::nullopt}, {255, std::nullopt}, {0, 7}}));
    EXPECT_EQ(shape.note, std::nullopt);
    EXPECT_FALSE(shape.filled);
    EXPECT_EQ(shape.weight, 18446744073709551615ULL);
}

struct ErrorCase {
    std::string_view input;
    std::string_view message;
};

class ShapeErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ShapeErrors, ReportsExactMessage) {
    EXPECT_EQ(decode_error<Shape>(GetParam().input), GetParam().message);
}

// Shape errors name the key or value and the position just after it (just after the closing
// brace for missing keys, just before the bracket for a misplaced object or array).
INSTANTIATE_TEST_SUITE_P(
    Shape, ShapeErrors,
    testing::Values(
        ErrorCase{R"({"color":"red","points":[]})", "missing field `name` at line 1 column 27"},
        ErrorCase{"{\n  \"name\": \"a\",\n  \"points\": []\n}", "missing field `color` at line 4 column 1"},
        ErrorCase{R"({"name":"a","color":"red","points":[{}]})", "missing field `x` at line 1 column 38"},
        ErrorCase{R"({"name":"a","size":1})",
                  "unknown field `size`, expected one of `name`, `color`, `points`, `note`, `filled`, `weight`, "
                  "`shade` at line 1 column 18"},
        ErrorCase{R"({"name":"a","color":"red","points":[{"z":1}]})",
                  "unknown field `z`, expected `x` or `y` at line 1 column 40"},
        ErrorCase{R"({"name":"a","name":"b"})", "duplicate field `name` at line 1 column 18"},
        ErrorCase{R"({"name":"a","color":"Red"})",
                  "unknown variant `Red`, expected one of `red`, `green`, `blue` at line 1 column 25"},
        ErrorCase{R"({"name":"a","color":"red","points":[],"shade":"light"})",
                  "unknown variant `light`, expected `dark` at line 1 column 53"},
        ErrorCase{R"({"name":null})", "invalid type: null, expected a string at line 1 column 12"},
        ErrorCase{R"({"name":5})", "invalid type: integer `5`, expected a string at line 1 column 9"},
        ErrorCase{R"({"name":-5})", "invalid type: integer `-5`, expected a string at line 1 column 10"},
        ErrorCase{R"({"name":1.5})", "invalid type: floating point `1.5`, expected a string at line 1 column 11"},
        ErrorCase{R"({"name":2.0})", "invalid type: floating point `2.0`, expected a string at line 1 column 11"},
        ErrorCase{R"({"name":1e300})", "invalid type: floating point `1e300`, expected a string at line 1 column 13"},
        ErrorCase{R"({"name":0e80})", "invalid type: floating point `0.0`, expected a string at line 1 column 12"},
        ErrorCase{R"({"name":-1e-400})", "invalid type: floating point `-0.0`, expected a string at line 1 column 15"},
        ErrorCase{R"({"name":18446744073709551616})",
                  "invalid type: floating point `1.8446744073709552e19`, expected a string at line 1 column 28"},
        ErrorCase{R"({"name":true})", "invalid type: boolean `true`, expected a string at line 1 column 12"},
        ErrorCase{R"({"name":{}})", "invalid type: map, expected a string at line 1 column 8"},
        ErrorCase{R"({"name":"a","points":{}})", "invalid type: map, expected a sequence at line 1 column 21"},
        ErrorCase{R"({"name":"a","color":"red","points":[[]]})",
                  "invalid type: sequence, expected struct Point at line 1 column 36"},
        ErrorCase{R"({"name":"a","color":1})", "invalid type: integer `1`, expected a string at line 1 column 21"},
        ErrorCase{R"({"name":"a","filled":"yes"})",
                  "invalid type: string \"yes\", expected a boolean at line 1 column 26"},
        ErrorCase{R"({"name":"a","weight":-1})", "invalid value: integer `-1`, expected usize at line 1 column 23"},
        ErrorCase{R"({"name":"a","color":"red","points":[{"x":256}]})",
                  "invalid value: integer `256`, expected u8 at line 1 column 44"},
        ErrorCase{R"({"name":"a","color":"red","points":[{"x":"1"}]})",
                  "invalid type: string \"1\", expected u8 at line 1 column 44"},
        ErrorCase{R"(["a"])", "invalid type: sequence, expected struct Shape at line 1 column 0"},
        ErrorCase{R"("a\"\\\t\u0001")",
                  "invalid type: string \"a\\\"\\\\\\t\\u{1}\", expected struct Shape at line 1 column 15"}));

// Malformed text fails with the syntax message at the offending byte (or at the end).
INSTANTIATE_TEST_SUITE_P(
    Syntax, ShapeErrors,
    testing::Values(ErrorCase{"", "EOF while parsing a value at line 1 column 0"},
                    ErrorCase{"  \n ", "EOF while parsing a value at line 2 column 1"},
                    ErrorCase{"{", "EOF while parsing an object at line 1 column 1"},
                    ErrorCase{R"({"name")", "EOF while parsing an object at line 1 column 7"},
                    ErrorCase{R"({"name":"a")", "EOF while parsing an object at line 1 column 11"},
                    ErrorCase{R"({"name":"a)", "EOF while parsing a string at line 1 column 10"},
                    ErrorCase{R"({"points":[)", "EOF while parsing a value at line 1 column 11"},
                    ErrorCase{R"({"points":[{"x":1})", "EOF while parsing a list at line 1 column 18"},
                    ErrorCase{"{name:1}", "key must be a string at line 1 column 2"},
                    ErrorCase{R"({"name" 1})", "expected `:` at line 1 column 9"},
                    ErrorCase{R"({"name":"a" "b"})", "expected `,` or `}` at line 1 column 13"},
                    ErrorCase{R"({"points":[{"x":1} 2]})", "expected `,` or `]` at line 1 column 20"},
                    ErrorCase{R"({"name":"a",})", "trailing comma at line 1 column 13"},
                    ErrorCase{R"({"name":x})", "expected value at line 1 column 9"},
                    ErrorCase{R"({"name":"\q"})", "invalid escape at line 1 column 10"},
                    ErrorCase{"{\"name\":\"a\tb\"}",
                              "control character (\\u0000-\\u001F) found while parsing a "
                              "string at line 1 column 11"},
                    ErrorCase{"{\"name\":\"\xff\"}", "invalid unicode code point at line 1 column 10"},
                    ErrorCase{"{\"name\":\"ab\xf0", "invalid unicode code point at line 1 column 12"},
                    ErrorCase{R"({"name":"\ud800"})", "lone leading surrogate in hex escape at line 1 column 10"},
                    ErrorCase{R"({"name":"a\udc00"})", "lone leading surrogate in hex escape at line 1 column 17"},
                    ErrorCase{R"({"\udfff":1})", "lone leading surrogate in hex escape at line 1 column 9"},
                    ErrorCase{R"({"weight":1.})", "invalid number at line 1 column 13"},
                    ErrorCase{R"({"weight":1e999})", "number out of range at line 1 column 11"},
                    ErrorCase{R"({"weight":10.5e308})", "number out of range at line 1 column 11"},
                    ErrorCase{"{\"name\":\"a\",\"color\":\"red\",\"points\":[]} x",
                              "trailing characters at line 1 column 40"},
                    ErrorCase{std::string_view{"{\"name\":\"a\",\"color\":\"red\",\"points\":[]}\0", 39},
                              "trailing characters at line 1 column 39"}));

// The first problem in document order wins, whichever kind it is.
INSTANTIATE_TEST_SUITE_P(Order, ShapeErrors,
                         testing::Values(ErrorCase{R"({"size":1,)",
                                                   "unknown field `size`, expected one of `name`, `color`, `points`, "
                                                   "`note`, `filled`, `weight`, `shade` at line 1 column 7"},
                                         ErrorCase{R"({"name":"a","color":"red","points":[]}})",
                                                   "trailing characters at line 1 column 39"},
                                         ErrorCase{R"({"name":"a"} x)", "missing field `color` at line 1 column 12"},
                                         ErrorCase{R"({"name":1,"name":2)",
                                                   "invalid type: integer `1`, expected a string at line 1 column 9"}));

TEST(JsonDecode, CharactersAreExactlyOneUnicodeScalar) {
    const auto tag_error = decode_error<Tag>;
    EXPECT_EQ(tag_error(R"({"letter":"ab","label":""})"),
              "invalid value: string \"ab\", expected a character at line 1 column 14");
    EXPECT_EQ(tag_error(R"({"letter":"","label":""})"),
              "invalid value: string \"\", expected a character at line 1 column 12");
    EXPECT_EQ(tag_error(R"({"letter":7})"), "invalid type: integer `7`, expected a character at line 1 column 11");
}

TEST(JsonDecode, FailuresAreDiagnosticsWithTheJsonCode) {
    EXPECT_EQ(failure_of<Diagnostic>([] { return decode_shape("[]"); }),
              (Failure{"json.invalid", "invalid JSON: invalid type: sequence, expected struct Shape at line 1 column 0",
                       std::nullopt}));
}

TEST(JsonRecord, WritesEveryFieldInDeclarationOrder) {
    const Shape shape{"a\"b", Color::green, {{1, std::nullopt}, {2, 3}}, std::nullopt, true, 7, Shade::dark};
    json::JsonWriter writer;
    json::write_record(writer, shape);
    EXPECT_EQ(writer.text(), R"({"name":"a\"b","color":"green","points":[{"x":1,"y":null},{"x":2,"y":3}],"note":null,)"
                             R"("filled":true,"weight":7,"shade":"dark"})");
}

// Deep nesting in an ignored value must not exhaust the stack.
TEST(JsonDecode, IgnoringRecordsSkipUnknownKeysWithNestedValues) {
    std::string text =
        R"({"extra":{"a":[1,{"b":[]}],"c":null},"letter":"é","more":[[[]]],"label":"x","extra":1,"deep":)";
    text.append(200000, '[');
    text.append(200000, ']');
    const Tag tag = json::decode_record_document<Tag>(text + "}");
    EXPECT_EQ(tag.letter, U'\u00e9');
    EXPECT_EQ(tag.label, "x");
}

TEST(JsonRecord, NumbersAsDoublesAndKeysLeftOutWhenAbsent) {
    EXPECT_EQ(json::json_text(Reading{1.5, std::nullopt, std::nullopt}), R"({"value":1.5,"unit":null})");
    EXPECT_EQ(json::json_text(Reading{std::numeric_limits<double>::quiet_NaN(), std::nullopt, ""}),
              R"({"value":null,"unit":null,"note":""})");
    EXPECT_EQ(json::decode_record_document<Reading>(R"({"value":-3,"note":null})").value, -3.0);
    EXPECT_EQ(decode_error<Reading>(R"({"value":"1"})"),
              "invalid type: string \"1\", expected f64 at line 1 column 12");
}

}  // namespace
}  // namespace tamri
