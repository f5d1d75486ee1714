#pragma once

// Strict typed decoding of JSON text into records.
//
// RapidJSON's SAX reader turns the text into a list of events, each stamped with its line
// and column; decoders then pull events in document order. A record is described once by a
// field table (name, presence, decode function) and decoded by `decode_record`, which
// rejects unknown, duplicate and missing keys; enumerations are tables of texts. Every
// failure is a `DecodeError` whose message ends in " at line {line} column {column}".

#include "member_pointer.hpp"

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

// A JSON text that is malformed or does not have the shape of the record read from it.
class DecodeError : public std::exception {
public:
    explicit DecodeError(std::string message) : message_(std::move(message)) {}

    [[nodiscard]] const std::string& message() const noexcept { return message_; }
    [[nodiscard]] const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
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
    std::string text;  // string value, key, or syntax-error message
    TextPosition position;
};

// The events of one JSON text, read front to back. Reaching a syntax error throws it, so a
// shape error earlier in the document wins over a syntax error later in it.
class Cursor {
public:
    explicit Cursor(std::string_view text);

    [[nodiscard]] const Event& peek() const;
    const Event& next();
    // Skips one whole value (scalar, object or array).
    void skip_value();
    // Requires that nothing but white space follows the value just read.
    void finish();

private:
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
// "`a`", "`a` or `b`", "one of `a`, `b`, `c`".
[[nodiscard]] std::string list_expected(std::span<const std::string_view> names);

// Scalar decoders. A JSON null is a type error for each of them.
[[nodiscard]] std::string decode_string(Cursor& cursor);
[[nodiscard]] bool decode_bool(Cursor& cursor);
// A string of exactly one Unicode character.
[[nodiscard]] char32_t decode_char(Cursor& cursor);
[[nodiscard]] std::uint8_t decode_u8(Cursor& cursor);
[[nodiscard]] std::uint64_t decode_u64(Cursor& cursor);
[[nodiscard]] std::size_t decode_usize(Cursor& cursor);

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

// One text of an enumeration.
template <typename Enum>
struct Variant {
    std::string_view text;
    Enum value;
};

// Decodes a JSON string naming one of `Variants` (an array of `Variant`), matched exactly.
template <auto& Variants>
[[nodiscard]] auto decode_variant(Cursor& cursor) {
    static constexpr auto texts = [] {
        std::array<std::string_view, std::size(Variants)> result{};
        for (std::size_t i = 0; i < result.size(); ++i) {
            result[i] = Variants[i].text;
        }
        return result;
    }();
    const Event& event = cursor.next();
    if (event.kind != EventKind::string) {
        throw_invalid_type(event, "a string");
    }
    for (const auto& variant : Variants) {
        if (variant.text == event.text) {
            return variant.value;
        }
    }
    throw_unknown_variant(event, texts);
}

enum class Presence : bool { required, optional };
enum class UnknownFields : bool { reject, ignore };

// One key of a record: its JSON name, whether it must appear, and how its value is read
// into the record.
template <typename Record>
struct Field {
    std::string_view name;
    Presence presence;
    void (*decode)(Cursor&, Record&);
};

// A record's whole JSON form. Fields are listed in declaration order, which is also the
// order "unknown field" messages list them in and "missing field" checks them in.
template <typename Record, std::size_t N>
struct RecordSchema {
    std::string_view expected;  // how type errors name the record, e.g. "struct Vocabulary"
    UnknownFields unknown_fields;
    std::array<Field<Record>, N> fields;
};

namespace detail {
template <typename Schema>
struct schema_traits;
template <typename Record, std::size_t N>
struct schema_traits<RecordSchema<Record, N>> {
    using record = Record;
    static constexpr std::size_t size = N;
};
}  // namespace detail

// The decode function of a field that stores `Decode`'s result into `Member`.
template <auto Member, auto Decode>
void decode_member(Cursor& cursor, member_record_t<Member>& record) {
    record.*Member = Decode(cursor);
}

// Decodes one JSON object into the record `Schema` describes. Keys may come in any order;
// absent optional fields keep the record's default value.
template <auto& Schema>
[[nodiscard]] auto decode_record(Cursor& cursor) {
    using Traits = detail::schema_traits<std::remove_cvref_t<decltype(Schema)>>;
    using Record = typename Traits::record;
    constexpr std::size_t size = Traits::size;
    static_assert(size <= 64, "a record has at most 64 fields");
    static constexpr auto names = [] {
        std::array<std::string_view, size> result{};
        for (std::size_t i = 0; i < size; ++i) {
            result[i] = Schema.fields[i].name;
        }
        return result;
    }();

    const Event& open = cursor.next();
    if (open.kind != EventKind::begin_object) {
        throw_invalid_type(open, Schema.expected);
    }
    Record record{};
    std::uint64_t seen = 0;
    for (;;) {
        const Event& key = cursor.next();
        if (key.kind == EventKind::end_object) {
            for (std::size_t i = 0; i < size; ++i) {
                if (Schema.fields[i].presence == Presence::required && (seen & (std::uint64_t{1} << i)) == 0) {
                    throw_missing_field(names[i], key.position);
                }
            }
            return record;
        }
        std::size_t index = 0;
        while (index < size && names[index] != key.text) {
            ++index;
        }
        if (index == size) {
            if (Schema.unknown_fields == UnknownFields::reject) {
                throw_unknown_field(key, names);
            }
            cursor.skip_value();
            continue;
        }
        const std::uint64_t bit = std::uint64_t{1} << index;
        if ((seen & bit) != 0) {
            throw_duplicate_field(key);
        }
        seen |= bit;
        Schema.fields[index].decode(cursor, record);
    }
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
