#include "json/writer.hpp"

#include "json/index.hpp"
#include "text/utf8.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace tamri::json {
namespace {

constexpr std::array<bool, 256> needs_escape = [] {
    std::array<bool, 256> table{};
    for (std::size_t byte = 0; byte < 0x20; ++byte) {
        table[byte] = true;
    }
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

void append_escape(std::string& out, char ch) {
    switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: fmt::format_to(std::back_inserter(out), "\\u{:04x}", static_cast<unsigned>(ch));
    }
}

// "0," to "255,": each value's decimal digits and the comma that follows it.
struct DecimalText {
    std::array<char, 4> text;
    std::uint8_t size;
};

constexpr std::array<DecimalText, 256> decimal_texts = [] {
    std::array<DecimalText, 256> table{};
    for (unsigned value = 0; value < table.size(); ++value) {
        DecimalText& entry = table[value];
        std::size_t size = 0;
        if (value >= 100) {
            entry.text[size++] = static_cast<char>('0' + value / 100);
        }
        if (value >= 10) {
            entry.text[size++] = static_cast<char>('0' + value / 10 % 10);
        }
        entry.text[size++] = static_cast<char>('0' + value % 10);
        entry.text[size++] = ',';
        entry.size = static_cast<std::uint8_t>(size);
    }
    return table;
}();

// Values per piece appended to the text: rows of model input are a few thousand values long.
constexpr std::size_t byte_array_chunk = 1024;

}  // namespace

void append_json_string(std::string& out, std::string_view value) {
    out.push_back('"');
    // Sequences and identifiers rarely need an escape, so plain runs are appended whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (needs_escape[static_cast<unsigned char>(value[i])]) {
            out.append(value.substr(run, i - run));
            append_escape(out, value[i]);
            run = i + 1;
        }
    }
    out.append(value.substr(run));
    out.push_back('"');
}

void JsonWriter::separate() {
    if (!first_in_container_.empty()) {
        if (!first_in_container_.back()) {
            out_.push_back(',');
        }
        first_in_container_.back() = false;
    }
}

void JsonWriter::before_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    separate();
    if (index_ != nullptr && !first_in_container_.empty()) {
        index_->begin_element(out_.size());
    }
}

void JsonWriter::after_single_value() {
    if (index_ != nullptr) {
        index_->end_single_value(out_.size());
    }
}

void JsonWriter::write_string(std::string_view value) {
    if (index_ != nullptr) {
        index_->check_string(out_.size(), value);
    }
    append_json_string(out_, value);
}

JsonWriter& JsonWriter::begin_object() {
    before_value();
    if (index_ != nullptr) {
        index_->begin_container(true);
    }
    out_.push_back('{');
    first_in_container_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::end_object() {
    out_.push_back('}');
    first_in_container_.pop_back();
    if (index_ != nullptr) {
        index_->end_container(out_.size());
    }
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    before_value();
    if (index_ != nullptr) {
        index_->begin_container(false);
    }
    out_.push_back('[');
    first_in_container_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    out_.push_back(']');
    first_in_container_.pop_back();
    if (index_ != nullptr) {
        index_->end_container(out_.size());
    }
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    const std::size_t begin = out_.size();
    write_string(name);
    out_.push_back(':');
    after_key_ = true;
    if (index_ != nullptr) {
        index_->begin_member(out_, begin);
    }
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view value) {
    before_value();
    write_string(value);
    after_single_value();
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
    after_single_value();
    return *this;
}

JsonWriter& JsonWriter::signed_integer(std::int64_t value) {
    before_value();
    fmt::format_to(std::back_inserter(out_), "{}", value);
    after_single_value();
    return *this;
}

JsonWriter& JsonWriter::boolean(bool value) {
    before_value();
    out_ += value ? "true" : "false";
    after_single_value();
    return *this;
}

JsonWriter& JsonWriter::null() {
    before_value();
    out_ += "null";
    after_single_value();
    return *this;
}

JsonWriter& JsonWriter::byte_array(std::span<const std::uint8_t> values) {
    before_value();
    out_.push_back('[');
    std::array<char, byte_array_chunk * 4> chunk;
    for (std::size_t start = 0; start < values.size(); start += byte_array_chunk) {
        char* out = chunk.data();
        for (const std::uint8_t value : values.subspan(start, std::min(byte_array_chunk, values.size() - start))) {
            // Every entry has room for four characters; only its own are kept.
            std::memcpy(out, decimal_texts[value].text.data(), 4);
            out += decimal_texts[value].size;
        }
        out_.append(chunk.data(), out);
    }
    if (values.empty()) {
        out_.push_back(']');
    } else {
        out_.back() = ']';  // replaces the comma after the last value
    }
    after_single_value();
    return *this;
}

JsonWriter& JsonWriter::raw_value(std::string_view json) {
    before_value();
    out_ += json;
    after_single_value();
    return *this;
}

}  // namespace tamri::json
