#include "tamri/json/writer.hpp"

#include "tamri/json/index.hpp"
#include "tamri/json/number.hpp"
#include "tamri/text/ascii.hpp"
#include "tamri/text/utf8.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
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

// Tests eight bytes at once for a control character, '"' or '\\' (exact: a borrow can only
// add false hits above a true one).
using text::word_byte_ones;
using text::word_high_bits;

constexpr bool word_needs_escape(std::uint64_t word) noexcept {
    const auto has_zero_byte = [](std::uint64_t value) {
        return ((value - word_byte_ones) & ~value & word_high_bits) != 0;
    };
    const bool has_control = ((word - word_byte_ones * 0x20U) & ~word & word_high_bits) != 0;
    return has_control || has_zero_byte(word ^ (word_byte_ones * '"')) || has_zero_byte(word ^ (word_byte_ones * '\\'));
}

// Appends the quoted, escaped string and tells whether it holds bytes above 0x7F. Sequences and
// identifiers rarely need an escape, so runs of plain bytes are found a word at a time and
// appended whole.
bool append_escaped_string(std::string& out, std::string_view value) {
    out.push_back('"');
    // A vectorized pass first: most values need no escape at all and are appended whole. Bit 0x80
    // is kept from the bytes, bit 1 is set for a byte to escape (bitwise, which vectorizes).
    const unsigned char found = text::or_over_bytes(value, [](unsigned char byte) {
        return static_cast<unsigned char>((byte & 0x80) | (byte < 0x20) | (byte == '"') | (byte == '\\'));
    });
    if ((found & 1) == 0) {
        out.append(value);
        out.push_back('"');
        return found >= 0x80;
    }
    std::uint64_t seen = 0;
    std::size_t run = 0;
    std::size_t i = 0;
    const auto escape_bytes_up_to = [&](std::size_t end) {
        for (; i < end; ++i) {
            seen |= static_cast<unsigned char>(value[i]);
            if (needs_escape[static_cast<unsigned char>(value[i])]) {
                out.append(value.substr(run, i - run));
                append_escape(out, value[i]);
                run = i + 1;
            }
        }
    };
    while (i + 8 <= value.size()) {
        std::uint64_t word;
        std::memcpy(&word, value.data() + i, sizeof word);
        seen |= word;
        if (word_needs_escape(word)) {
            escape_bytes_up_to(i + 8);
        } else {
            i += 8;
        }
    }
    escape_bytes_up_to(value.size());
    out.append(value.substr(run));
    out.push_back('"');
    return (seen & word_high_bits) != 0;
}

// "0," to "255,": each value's decimal digits and the comma after it, with room to be stored as
// one eight-byte word.
struct DecimalText {
    std::array<char, 7> text;
    std::uint8_t size;
};
static_assert(sizeof(DecimalText) == 8);

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

// Eight equal values, the usual case in attention masks and padding, written as one copy.
struct RepeatedDecimalText {
    std::array<char, 8 * 4> text;
    std::uint8_t size;
};

constexpr std::array<RepeatedDecimalText, 256> repeated_decimal_texts = [] {
    std::array<RepeatedDecimalText, 256> table{};
    for (std::size_t value = 0; value < table.size(); ++value) {
        const DecimalText& once = decimal_texts[value];
        for (std::size_t copy = 0; copy < 8; ++copy) {
            std::copy_n(once.text.begin(), once.size, table[value].text.begin() + copy * once.size);
        }
        table[value].size = static_cast<std::uint8_t>(8 * once.size);
    }
    return table;
}();

// Values per piece appended to the text: rows of model input are a few thousand values long.
constexpr std::size_t byte_array_chunk = 1024;
constexpr std::size_t byte_array_chunk_bytes = byte_array_chunk * 4 + sizeof(RepeatedDecimalText::text);

// Writes each value and a comma from `out` on; entries are stored whole and only their own
// characters kept, so `out` needs room for one whole entry beyond the text.
char* write_decimal_values(std::span<const std::uint8_t> values, char* out) noexcept {
    const auto write_one = [&out](std::uint8_t value) {
        std::memcpy(out, &decimal_texts[value], sizeof(DecimalText));
        out += decimal_texts[value].size;
    };
    std::size_t i = 0;
    for (; i + 8 <= values.size(); i += 8) {
        std::uint64_t group;
        std::memcpy(&group, values.data() + i, sizeof group);
        if (group == word_byte_ones * values[i]) {
            std::memcpy(out, repeated_decimal_texts[values[i]].text.data(), sizeof(RepeatedDecimalText::text));
            out += repeated_decimal_texts[values[i]].size;
            continue;
        }
        std::for_each(values.begin() + static_cast<std::ptrdiff_t>(i),
                      values.begin() + static_cast<std::ptrdiff_t>(i + 8), write_one);
    }
    std::for_each(values.begin() + static_cast<std::ptrdiff_t>(i), values.end(), write_one);
    return out;
}

}  // namespace

void append_json_string(std::string& out, std::string_view value) {
    append_escaped_string(out, value);
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
    const std::size_t offset = out_.size();
    if (append_escaped_string(out_, value) && index_ != nullptr) {
        index_->check_non_ascii_string(offset, value);
    }
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

JsonWriter& JsonWriter::floating(double value) {
    if (!std::isfinite(value)) {
        return null();
    }
    before_value();
    const std::size_t begin = out_.size();
    out_ += format_floating(value);
    // The index's canonical form spells some numbers otherwise ("1e-07"); it re-spells those.
    if (index_ != nullptr && std::string_view{out_}.substr(begin) != format_canonical_floating(value)) {
        index_->respell_floating();
    }
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
    std::array<char, byte_array_chunk_bytes> chunk;
    for (std::size_t start = 0; start < values.size(); start += byte_array_chunk) {
        char* const end = write_decimal_values(values.subspan(start, std::min(byte_array_chunk, values.size() - start)),
                                               chunk.data());
        out_.append(chunk.data(), end);
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
