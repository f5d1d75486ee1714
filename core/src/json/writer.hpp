#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::json {

// Compact JSON text written in the caller's key order. Strings escape `"` and `\`, use
// \b \f \n \r \t, write other control characters as \u00xx (lowercase hex) and everything
// else, `/` and non-ASCII included, as is. (RapidJSON's writer uses uppercase hex digits.)
class JsonWriter {
public:
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view value);
    JsonWriter& character(char32_t value);
    JsonWriter& unsigned_integer(std::uint64_t value);
    JsonWriter& signed_integer(std::int64_t value);
    // The shortest round-trip form (format_floating); null when not finite, which JSON cannot hold.
    JsonWriter& floating(double value);
    JsonWriter& boolean(bool value);
    JsonWriter& null();
    // Inserts already-written compact JSON as one value.
    JsonWriter& raw_value(std::string_view json);

    [[nodiscard]] const std::string& text() const noexcept { return out_; }
    [[nodiscard]] std::string take() noexcept { return std::move(out_); }

private:
    void before_value();

    std::string out_;
    std::vector<bool> first_in_container_;
    bool after_key_ = false;
};

// Appends `value` as a quoted, escaped JSON string.
void append_json_string(std::string& out, std::string_view value);

// A finite number in its shortest round-trip form, always with a fraction or an exponent:
// "1.5", "5.0", "1e16", "1e-7". Messages name numbers the same way.
[[nodiscard]] std::string format_floating(double value);

}  // namespace tamri::json
