#include "tamri/json/decode.hpp"

#include "tamri/json/number.hpp"
#include "tamri/json/writer.hpp"
#include "tamri/text/ascii.hpp"
#include "tamri/text/utf8.hpp"

#include <fmt/format.h>
#include <rapidjson/error/error.h>
#include <rapidjson/reader.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <variant>

namespace tamri::json {
namespace {

// RapidJSON's in-place input stream over a copy of the text, so that decoded strings and keys
// stay in that copy and events only point at them. Reads come from the original text, which
// in-place decoding never changes; lines are counted there lazily, only up to where an event
// asks for its position.
class PositionStream {
public:
    using Ch = char;

    PositionStream(std::string_view text, std::string& buffer)
        : text_(text), buffer_(buffer.data()), buffer_end_(buffer.data() + buffer.size()) {}

    [[nodiscard]] Ch Peek() const { return offset_ < text_.size() ? text_[offset_] : '\0'; }
    Ch Take() { return offset_ < text_.size() ? text_[offset_++] : '\0'; }
    [[nodiscard]] std::size_t Tell() const { return offset_; }
    // The `length` bytes just read, from the original text.
    [[nodiscard]] std::string_view last_read(std::size_t length) const {
        return text_.substr(offset_ - length, length);
    }

    Ch* PutBegin() { return put_ = buffer_ + offset_; }
    // Decoding never writes ahead of reading, except that at the end of an unterminated string the
    // reader still copies the NULs Take returns there; those are dropped (the parse fails anyway).
    void Put(Ch ch) {
        if (put_ < buffer_end_) {
            *put_ = ch;
        }
        ++put_;
    }
    void Flush() {}
    std::size_t PutEnd(Ch* begin) { return static_cast<std::size_t>(put_ - begin); }

    [[nodiscard]] TextPosition position() {
        while (counted_ < offset_) {
            const char* start = text_.data() + counted_;
            const void* newline = std::memchr(start, '\n', offset_ - counted_);
            if (newline == nullptr) {
                counted_ = offset_;
                break;
            }
            counted_ += static_cast<std::size_t>(static_cast<const char*>(newline) - start) + 1;
            ++line_;
            line_start_ = counted_;
        }
        return {line_, offset_ - line_start_};
    }

private:
    std::string_view text_;
    Ch* buffer_;
    Ch* buffer_end_;
    Ch* put_ = nullptr;
    std::size_t offset_ = 0;
    std::size_t counted_ = 0;  // newlines before this offset are counted in `line_`
    std::uint64_t line_ = 1;
    std::size_t line_start_ = 0;
};

// Why the recorder stopped the reader, and the offset the failure is reported at.
struct Refusal {
    std::string_view message;
    std::size_t offset = 0;
};

// Records every SAX event with the stream position at the moment it is reported.
class EventRecorder {
public:
    EventRecorder(PositionStream& stream, std::vector<Event>& events) : stream_(stream), events_(events) {}

    bool Null() {
        push(EventKind::null);
        return true;
    }
    bool Bool(bool value) {
        push(EventKind::boolean).boolean = value;
        return true;
    }
    bool Int(int value) { return Int64(value); }
    bool Uint(unsigned value) { return Uint64(value); }
    bool Int64(std::int64_t value) {
        if (value >= 0) {
            return Uint64(static_cast<std::uint64_t>(value));
        }
        push(EventKind::signed_integer).signed_value = value;
        return true;
    }
    bool Uint64(std::uint64_t value) {
        push(EventKind::unsigned_integer).unsigned_value = value;
        return true;
    }
    bool Double(double value) {
        push(EventKind::floating).floating_value = value;
        return true;
    }
    // Numbers come as text (kParseNumbersAsStringsFlag) and are read by read_json_number. The text
    // is taken from the stream: in place, RapidJSON 1.1 points just past the number.
    bool RawNumber(const char*, rapidjson::SizeType length, bool) {
        const std::string_view number = stream_.last_read(length);
        const std::optional<JsonNumber> value = read_json_number(number);
        if (!value) {
            return refuse("number out of range", stream_.Tell() - number.size());
        }
        if (const auto* unsigned_value = std::get_if<std::uint64_t>(&*value)) {
            return Uint64(*unsigned_value);
        }
        if (const auto* signed_value = std::get_if<std::int64_t>(&*value)) {
            return Int64(*signed_value);
        }
        return Double(std::get<double>(*value));
    }
    bool String(const char* data, rapidjson::SizeType length, bool) { return text(EventKind::string, {data, length}); }
    bool Key(const char* data, rapidjson::SizeType length, bool) { return text(EventKind::key, {data, length}); }
    // The iterative reader reports brackets before consuming them.
    bool StartObject() {
        push(EventKind::begin_object);
        return true;
    }
    bool EndObject(rapidjson::SizeType) {
        ++push(EventKind::end_object).position.column;
        return true;
    }
    bool StartArray() {
        push(EventKind::begin_array);
        return true;
    }
    bool EndArray(rapidjson::SizeType) {
        ++push(EventKind::end_array).position.column;
        return true;
    }

    // Set when a handler stopped the reader (kParseErrorTermination).
    [[nodiscard]] const Refusal& refusal() const noexcept { return refusal_; }

private:
    // RapidJSON 1.1 decodes an escaped lone trailing surrogate (\udc00) into bytes that are not
    // UTF-8; such a string is refused at its closing quote.
    bool text(EventKind kind, std::string_view value) {
        if (!text::is_ascii(value) && text::first_utf8_error(value)) {
            return refuse("lone leading surrogate in hex escape", stream_.Tell() - 1);
        }
        push(kind).text = value;
        return true;
    }

    Event& push(EventKind kind) {
        Event& event = events_.emplace_back();
        event.kind = kind;
        event.position = stream_.position();
        return event;
    }

    bool refuse(std::string_view message, std::size_t offset) {
        refusal_ = {message, offset};
        return false;
    }

    PositionStream& stream_;
    std::vector<Event>& events_;
    Refusal refusal_;
};

// The position of the byte at `offset` (or of the end of input), counted like the decoder's
// own positions.
TextPosition position_of_offset(std::string_view text, std::size_t offset) {
    TextPosition position;
    const std::size_t end = std::min(text.size(), offset + 1);
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') {
            ++position.line;
            position.column = 0;
        } else {
            ++position.column;
        }
    }
    return position;
}

std::string_view describe_syntax_error(rapidjson::ParseErrorCode code, std::string_view text, std::size_t offset) {
    const bool at_end = offset >= text.size();
    const unsigned char byte = at_end ? 0 : static_cast<unsigned char>(text[offset]);
    switch (code) {
        case rapidjson::kParseErrorDocumentEmpty: return "EOF while parsing a value";
        case rapidjson::kParseErrorDocumentRootNotSingular: return "trailing characters";
        case rapidjson::kParseErrorValueInvalid: return at_end ? "EOF while parsing a value" : "expected value";
        case rapidjson::kParseErrorObjectMissName:
            if (at_end) {
                return "EOF while parsing an object";
            }
            return byte == '}' ? "trailing comma" : "key must be a string";
        case rapidjson::kParseErrorObjectMissColon: return at_end ? "EOF while parsing an object" : "expected `:`";
        case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
            return at_end ? "EOF while parsing an object" : "expected `,` or `}`";
        case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
            return at_end ? "EOF while parsing a list" : "expected `,` or `]`";
        case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex: return "invalid escape";
        case rapidjson::kParseErrorStringUnicodeSurrogateInvalid: return "lone leading surrogate in hex escape";
        case rapidjson::kParseErrorStringEscapeInvalid:
            // Also reported for a raw control character inside a string.
            return byte == '\\' ? "invalid escape" : "control character (\\u0000-\\u001F) found while parsing a string";
        case rapidjson::kParseErrorStringMissQuotationMark:
            return at_end ? "EOF while parsing a string"
                          : "control character (\\u0000-\\u001F) found while parsing a string";
        case rapidjson::kParseErrorStringInvalidEncoding: return "invalid unicode code point";
        case rapidjson::kParseErrorNumberTooBig: return "number out of range";
        case rapidjson::kParseErrorNumberMissFraction:
        case rapidjson::kParseErrorNumberMissExponent: return "invalid number";
        default: return "syntax error";
    }
}

void append_debug_string(std::string& out, std::string_view value) {
    out.push_back('"');
    for (const char ch : value) {
        const auto byte = static_cast<unsigned char>(ch);
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\0': out += "\\0"; break;
            default:
                if (byte < 0x20 || byte == 0x7f) {
                    fmt::format_to(std::back_inserter(out), "\\u{{{:x}}}", byte);
                } else {
                    out.push_back(ch);
                }
        }
    }
    out.push_back('"');
}

}  // namespace

Cursor::Cursor(std::string_view text) : buffer_(text) {
    PositionStream stream{text, buffer_};
    EventRecorder recorder{stream, events_};
    // Compact JSON holds at most an event every two bytes, typical documents one every four to
    // twenty; reserving for one every four saves most regrowth and touches no more memory.
    events_.reserve(text.size() / 4 + 16);
    rapidjson::Reader reader;
    constexpr unsigned flags = rapidjson::kParseIterativeFlag | rapidjson::kParseInsituFlag |
                               rapidjson::kParseValidateEncodingFlag | rapidjson::kParseNumbersAsStringsFlag;
    const rapidjson::ParseResult result = reader.Parse<flags>(stream, recorder);
    Event& last = events_.emplace_back();
    if (result.IsError()) {
        const bool refused = result.Code() == rapidjson::kParseErrorTermination;
        const std::size_t offset = refused ? recorder.refusal().offset : result.Offset();
        last.kind = EventKind::syntax_error;
        last.position = position_of_offset(text, offset);
        syntax_error_ = fmt::format(
            "{} at line {} column {}",
            refused ? recorder.refusal().message : describe_syntax_error(result.Code(), text, result.Offset()),
            last.position.line, last.position.column);
        last.text = syntax_error_;
    } else if (stream.Tell() < text.size()) {
        // The reader stops at a NUL byte as if the text ended there.
        last.kind = EventKind::syntax_error;
        last.position = position_of_offset(text, stream.Tell());
        syntax_error_ =
            fmt::format("trailing characters at line {} column {}", last.position.line, last.position.column);
        last.text = syntax_error_;
    } else {
        last.kind = EventKind::end_of_input;
        last.position = stream.position();
    }
}

const Event& Cursor::peek() const {
    const Event& event = events_[index_];
    if (event.kind == EventKind::syntax_error) {
        throw DecodeError{std::string{event.text}};
    }
    return event;
}

const Event& Cursor::next() {
    const Event& event = peek();
    if (event.kind != EventKind::end_of_input) {
        ++index_;
    }
    return event;
}

void Cursor::skip_value() {
    std::size_t depth = 0;
    do {
        const Event& event = next();
        switch (event.kind) {
            case EventKind::begin_object:
            case EventKind::begin_array: ++depth; break;
            case EventKind::end_object:
            case EventKind::end_array: --depth; break;
            case EventKind::end_of_input: return;
            default: break;
        }
    } while (depth != 0);
}

void Cursor::finish() {
    const Event& event = next();
    if (event.kind != EventKind::end_of_input) {
        throw_at("trailing characters", event.position);
    }
}

std::string DecodeError::message() const {
    return fmt::format("invalid JSON: {}", detail_);
}

void throw_at(std::string_view message, TextPosition position) {
    throw DecodeError{fmt::format("{} at line {} column {}", message, position.line, position.column)};
}

std::string describe_found(const Event& event) {
    switch (event.kind) {
        case EventKind::null: return "null";
        case EventKind::boolean: return fmt::format("boolean `{}`", event.boolean);
        case EventKind::unsigned_integer: return fmt::format("integer `{}`", event.unsigned_value);
        case EventKind::signed_integer: return fmt::format("integer `{}`", event.signed_value);
        case EventKind::floating: return fmt::format("floating point `{}`", format_floating(event.floating_value));
        case EventKind::string: {
            std::string out = "string ";
            append_debug_string(out, event.text);
            return out;
        }
        case EventKind::begin_object: return "map";
        case EventKind::begin_array: return "sequence";
        case EventKind::key: return "map key";
        case EventKind::end_object: return "end of map";
        case EventKind::end_array: return "end of sequence";
        case EventKind::end_of_input:
        case EventKind::syntax_error: break;
    }
    return "end of input";
}

void throw_invalid_type(const Event& found, std::string_view expected) {
    throw_at(fmt::format("invalid type: {}, expected {}", describe_found(found), expected), found.position);
}

void throw_invalid_value(const Event& found, std::string_view expected) {
    throw_at(fmt::format("invalid value: {}, expected {}", describe_found(found), expected), found.position);
}

void throw_unknown_field(const Event& key, std::span<const std::string_view> names) {
    if (names.empty()) {
        throw_at(fmt::format("unknown field `{}`, there are no fields", key.text), key.position);
    }
    throw_at(fmt::format("unknown field `{}`, expected {}", key.text, list_alternatives(names, "`")), key.position);
}

void throw_unknown_variant(const Event& value, std::span<const std::string_view> texts) {
    if (texts.empty()) {
        throw_at(fmt::format("unknown variant `{}`, there are no variants", value.text), value.position);
    }
    throw_at(fmt::format("unknown variant `{}`, expected {}", value.text, list_alternatives(texts, "`")),
             value.position);
}

void throw_duplicate_field(const Event& key) {
    throw_at(fmt::format("duplicate field `{}`", key.text), key.position);
}

void throw_missing_field(std::string_view name, TextPosition position) {
    throw_at(fmt::format("missing field `{}`", name), position);
}

std::string decode_string(Cursor& cursor) {
    const Event& event = cursor.next();
    if (event.kind != EventKind::string) {
        throw_invalid_type(event, "a string");
    }
    return std::string{event.text};
}

bool decode_bool(Cursor& cursor) {
    const Event& event = cursor.next();
    if (event.kind != EventKind::boolean) {
        throw_invalid_type(event, "a boolean");
    }
    return event.boolean;
}

char32_t decode_char(Cursor& cursor) {
    const Event& event = cursor.next();
    if (event.kind != EventKind::string) {
        throw_invalid_type(event, "a character");
    }
    // The reader has validated the UTF-8 of every string.
    if (!event.text.empty()) {
        const text::DecodedChar first = text::decode_utf8_char(event.text, 0);
        if (first.length == event.text.size()) {
            return first.code_point;
        }
    }
    throw_invalid_value(event, "a character");
}

namespace {

std::uint64_t decode_unsigned(Cursor& cursor, std::uint64_t max, std::string_view expected) {
    const Event& event = cursor.next();
    switch (event.kind) {
        case EventKind::unsigned_integer:
            if (event.unsigned_value > max) {
                throw_invalid_value(event, expected);
            }
            return event.unsigned_value;
        case EventKind::signed_integer: throw_invalid_value(event, expected);
        default: throw_invalid_type(event, expected);
    }
}

}  // namespace

double decode_f64(Cursor& cursor) {
    const Event& event = cursor.next();
    switch (event.kind) {
        case EventKind::unsigned_integer: return static_cast<double>(event.unsigned_value);
        case EventKind::signed_integer: return static_cast<double>(event.signed_value);
        case EventKind::floating: return event.floating_value;
        default: throw_invalid_type(event, "f64");
    }
}

std::uint8_t decode_u8(Cursor& cursor) {
    return static_cast<std::uint8_t>(decode_unsigned(cursor, std::numeric_limits<std::uint8_t>::max(), "u8"));
}

std::uint64_t decode_u64(Cursor& cursor) {
    return decode_unsigned(cursor, std::numeric_limits<std::uint64_t>::max(), "u64");
}

std::size_t decode_usize(Cursor& cursor) {
    return static_cast<std::size_t>(decode_unsigned(cursor, std::numeric_limits<std::size_t>::max(), "usize"));
}

}  // namespace tamri::json
