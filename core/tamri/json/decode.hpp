#pragma once

// Strict typed decoding of JSON text.
//
// RapidJSON's SAX reader turns the text into a list of events, each stamped with its line
// and column; decoders then pull events in document order. Records are declared in
// `json/record.hpp`. Every failure is a `DecodeError` whose detail ends in
// " at line {line} column {column}".

#include "tamri/base/diagnostic.hpp"
#include "tamri/base/enum_table.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamri::json {

// Line is 1-based; column counts the bytes of that line before the point (so it is the
// 1-based column of the last byte read).
struct TextPosition {
    std::uint64_t line = 1;
    std::uint64_t column = 0;

    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// A JSON text that is malformed or does not have the shape of the value read from it.
class DecodeError final : public Diagnostic {
public:
    explicit DecodeError(std::string detail) : detail_(std::move(detail)) {}

    // The JSON layer's own description, position included.
    [[nodiscard]] const std::string& detail() const noexcept { return detail_; }
    // "json.invalid"
    [[nodiscard]] std::string_view code() const noexcept override { return code::json_invalid; }
    // "invalid JSON: {detail}"
    [[nodiscard]] std::string message() const override;
    [[nodiscard]] std::optional<DiagnosticLocation> location() const override { return std::nullopt; }

private:
    std::string detail_;
};

enum class EventKind : std::uint8_t {
    null,
    boolean,
    unsigned_integer,  // non-negative integer
    signed_integer,    // negative integer
    floating,
    string,
    key,
    begin_object,
    end_object,
    begin_array,
    end_array,
    end_of_input,
    syntax_error,  // `text` holds the complete message; always the last event
};

// One token of the document. `position` is just after the token, except for `begin_object`
// and `begin_array`, where it is just before the bracket.
struct Event {
    EventKind kind = EventKind::end_of_input;
    bool boolean = false;
    std::uint64_t unsigned_value = 0;
    std::int64_t signed_value = 0;
    double floating_value = 0.0;
    std::string_view text;  // string value, key, or syntax-error message; owned by the cursor
    TextPosition position;
};

// The events of one JSON text, read front to back. Reaching a syntax error throws it, so a
// shape error earlier in the document wins over a syntax error later in it.
class Cursor {
public:
    explicit Cursor(std::string_view text);
    // Events point into the cursor's own storage.
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;

    [[nodiscard]] const Event& peek() const;
    const Event& next();
    // Skips one whole value (scalar, object or array).
    void skip_value();
    // Requires that nothing but white space follows the value just read.
    void finish();

    // Every event of the text at once, for readers that need them out of order; the last is
    // `end_of_input` or `syntax_error`.
    [[nodiscard]] std::span<const Event> events() const noexcept { return events_; }

private:
    std::string buffer_;  // the text, with strings and keys decoded in place
    std::string syntax_error_;
    std::vector<Event> events_;
    std::size_t index_ = 0;
};

// Message builders; each throws `DecodeError` with the position appended.
[[noreturn]] void throw_at(std::string_view message, TextPosition position);
// "invalid type: {found}, expected {expected}"
[[noreturn]] void throw_invalid_type(const Event& found, std::string_view expected);
// "invalid value: {found}, expected {expected}"
[[noreturn]] void throw_invalid_value(const Event& found, std::string_view expected);
// "unknown field `{key}`, expected {names}"
[[noreturn]] void throw_unknown_field(const Event& key, std::span<const std::string_view> names);
// "unknown variant `{text}`, expected {texts}"
[[noreturn]] void throw_unknown_variant(const Event& value, std::span<const std::string_view> texts);
[[noreturn]] void throw_duplicate_field(const Event& key);
[[noreturn]] void throw_missing_field(std::string_view name, TextPosition position);

// How a found value is named in messages: "string \"abc\"", "integer `5`", "floating point
// `1.5`", "boolean `true`", "null", "map", "sequence".
[[nodiscard]] std::string describe_found(const Event& event);

// Scalar decoders. A JSON null is a type error for each of them.
[[nodiscard]] std::string decode_string(Cursor& cursor);
[[nodiscard]] bool decode_bool(Cursor& cursor);
// A string of exactly one Unicode character.
[[nodiscard]] char32_t decode_char(Cursor& cursor);
[[nodiscard]] std::uint8_t decode_u8(Cursor& cursor);
[[nodiscard]] std::uint64_t decode_u64(Cursor& cursor);
[[nodiscard]] std::size_t decode_usize(Cursor& cursor);
// Any JSON number.
[[nodiscard]] double decode_f64(Cursor& cursor);

template <auto Decode>
using decoded_t = std::remove_cvref_t<std::invoke_result_t<decltype(Decode), Cursor&>>;

// Absent value for JSON null, otherwise `Decode`.
template <auto Decode>
[[nodiscard]] std::optional<decoded_t<Decode>> decode_optional(Cursor& cursor) {
    if (cursor.peek().kind == EventKind::null) {
        cursor.next();
        return std::nullopt;
    }
    return Decode(cursor);
}

template <auto Decode>
[[nodiscard]] std::vector<decoded_t<Decode>> decode_list(Cursor& cursor) {
    const Event& open = cursor.next();
    if (open.kind != EventKind::begin_array) {
        throw_invalid_type(open, "a sequence");
    }
    std::vector<decoded_t<Decode>> items;
    while (cursor.peek().kind != EventKind::end_array) {
        items.push_back(Decode(cursor));
    }
    cursor.next();
    return items;
}

// A JSON string naming one of the enumeration's texts, matched exactly.
template <Enumerated Enum>
[[nodiscard]] Enum decode_enum(Cursor& cursor) {
    const Event& event = cursor.next();
    if (event.kind != EventKind::string) {
        throw_invalid_type(event, "a string");
    }
    if (const std::optional<Enum> value = parse_enum<Enum>(event.text)) {
        return *value;
    }
    throw_unknown_variant(event, enum_texts<Enum>);
}

// Decodes a whole text as one value: `Decode` reads the value, then only white space may follow.
template <auto Decode>
[[nodiscard]] decoded_t<Decode> decode_document(std::string_view text) {
    Cursor cursor{text};
    decoded_t<Decode> value = Decode(cursor);
    cursor.finish();
    return value;
}

}  // namespace tamri::json
