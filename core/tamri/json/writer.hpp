#pragma once

// The JSON writer the core's reports and outputs are written with: compact text in the caller's key
// order, with fixed string escapes and number spellings, optionally recording an index.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::json {

class JsonIndex;

// Compact JSON text written in the caller's key order. Strings escape `"` and `\`, use
// \b \f \n \r \t, write other control characters as \u00xx (lowercase hex) and everything
// else, `/` and non-ASCII included, as is. (RapidJSON's writer uses uppercase hex digits.)
class JsonWriter {
public:
    JsonWriter() = default;
    // Also records into `index` where every value lies and whether each string is valid UTF-8.
    explicit JsonWriter(JsonIndex& index) noexcept : index_(&index) {}

    void reserve(std::size_t bytes) { out_.reserve(bytes); }

    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view value);
    JsonWriter& character(char32_t value);
    JsonWriter& unsigned_integer(std::uint64_t value);
    JsonWriter& signed_integer(std::int64_t value);
    // As format_floating spells it; null when not finite, which JSON cannot hold.
    JsonWriter& floating(double value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    // An array of small integers, written a chunk at a time; one value for an index.
    JsonWriter& byte_array(std::span<const std::uint8_t> values);
    // Inserts already-written compact JSON as one value (an index takes it as canonical).
    JsonWriter& raw_value(std::string_view json);

    [[nodiscard]] const std::string& text() const noexcept { return out_; }
    [[nodiscard]] std::string take() noexcept { return std::move(out_); }
    // Forgets the text written so far but keeps its memory, for writing value after value.
    void clear() noexcept { out_.clear(); }

private:
    void separate();  // the comma before a member or an element
    void before_value();
    void after_single_value();
    void write_string(std::string_view value);

    std::string out_;
    std::vector<bool> first_in_container_;
    bool after_key_ = false;
    JsonIndex* index_ = nullptr;
};

// Appends `value` as a quoted, escaped JSON string.
void append_json_string(std::string& out, std::string_view value);

}  // namespace tamri::json
