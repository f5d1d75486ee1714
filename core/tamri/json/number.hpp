#pragma once

// JSON numbers read from their text, for every reader of JSON in the core. RapidJSON 1.1's own
// full-precision conversion misreads a zero with a large exponent ("0e80" as 2e62, through
// clz(0)), while std::from_chars rounds every number correctly.

#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

namespace tamri::json {

// Integers written without fraction or exponent that fit 64 bits stay integers (signed when
// written with a minus sign); every other number is the nearest double, zero when it is too
// small for any.
using JsonNumber = std::variant<std::uint64_t, std::int64_t, double>;

// The value of a valid JSON number token; absent when it is too large for any double.
[[nodiscard]] std::optional<JsonNumber> read_json_number(std::string_view number) noexcept;

}  // namespace tamri::json
