#include "json/writer.hpp"

#include "text/utf8.hpp"

#include <fmt/format.h>

#include <cmath>

namespace tamri::json {

void append_json_string(std::string& out, std::string_view value) {
    out.push_back('"');
    for (const char ch : value) {
        switch (ch) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(ch) < 0x20) {
                    fmt::format_to(std::back_inserter(out), "\\u{:04x}", static_cast<unsigned>(ch));
                } else {
                    out.push_back(ch);
                }
        }
    }
    out.push_back('"');
}

std::string format_floating(double value) {
    std::string text = fmt::format("{}", value);
    const std::size_t exponent = text.find('e');
    if (exponent == std::string::npos) {
        if (text.find('.') == std::string::npos) {
            text += ".0";
        }
        return text;
    }
    std::string mantissa = text.substr(0, exponent);
    std::string_view digits = std::string_view{text}.substr(exponent + 1);
    const bool negative = !digits.empty() && digits.front() == '-';
    if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) {
        digits.remove_prefix(1);
    }
    while (digits.size() > 1 && digits.front() == '0') {
        digits.remove_prefix(1);
    }
    return fmt::format("{}e{}{}", mantissa, negative ? "-" : "", digits);
}

void JsonWriter::before_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!first_in_container_.empty()) {
        if (!first_in_container_.back()) {
            out_.push_back(',');
        }
        first_in_container_.back() = false;
    }
}

JsonWriter& JsonWriter::begin_object() {
    before_value();
    out_.push_back('{');
    first_in_container_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    out_.push_back('}');
    first_in_container_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    before_value();
    out_.push_back('[');
    first_in_container_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    out_.push_back(']');
    first_in_container_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    before_value();
    append_json_string(out_, name);
    out_.push_back(':');
    after_key_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view value) {
    before_value();
    append_json_string(out_, value);
    return *this;
}

JsonWriter& JsonWriter::character(char32_t value) {
    std::string encoded;
    text::append_utf8(encoded, value);
    return string(encoded);
}

JsonWriter& JsonWriter::unsigned_integer(std::uint64_t value) {
    before_value();
    fmt::format_to(std::back_inserter(out_), "{}", value);
    return *this;
}

JsonWriter& JsonWriter::signed_integer(std::int64_t value) {
    before_value();
    fmt::format_to(std::back_inserter(out_), "{}", value);
    return *this;
}

JsonWriter& JsonWriter::floating(double value) {
    if (!std::isfinite(value)) {
        return null();
    }
    before_value();
    out_ += format_floating(value);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    before_value();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    before_value();
    out_ += "null";
    return *this;
}

JsonWriter& JsonWriter::raw_value(std::string_view json) {
    before_value();
    out_ += json;
    return *this;
}

}  // namespace tamri::json
