#pragma once

// JSON numbers: read from their text for every reader of JSON in the core, and the two spellings of
// a floating-point number written by the core. RapidJSON 1.1's own full-precision conversion
// misreads a zero with a large exponent ("0e80" as 2e62, through clz(0)), while std::from_chars
// rounds every number correctly.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tamri::json {

// Integers written without fraction or exponent that fit 64 bits stay integers (signed when
// written with a minus sign); every other number is the nearest double, zero when it is too
// small for any.
using JsonNumber = std::variant<std::uint64_t, std::int64_t, double>;

// The value of a valid JSON number token; absent when it is too large for any double.
[[nodiscard]] std::optional<JsonNumber> read_json_number(std::string_view number) noexcept;

// A finite number's two spellings: both the shortest round-trip digits, always with a fraction or
// an exponent, and differing only in the exponent's leading zeros.
//
// As reports, outputs and messages write it, like serde_json: "1.5", "5.0", "1e16", "1e-7".
[[nodiscard]] std::string format_floating(double value);
// As the canonical JSON of digests writes it, like Python's json module: "1.5", "5.0", "1e+16",
// "1e-07", so that a digest can be recomputed with json and hashlib.
[[nodiscard]] std::string format_canonical_floating(double value);

}  // namespace tamri::json
