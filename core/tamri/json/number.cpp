#include "tamri/json/number.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

namespace tamri::json {
namespace {

// Whether a JSON number that no double can hold is too large rather than too small: exactly when
// its leading significant digit stands at or above the units place.
bool exceeds_double(std::string_view number) {
    const std::size_t e = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, e);
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) {
        return false;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::int64_t leading =
        first < point ? static_cast<std::int64_t>(point - first) - 1 : -static_cast<std::int64_t>(first - point);
    std::int64_t exponent = 0;
    if (e < number.size()) {
        std::string_view digits = number.substr(e + 1);
        const bool negative = digits.front() == '-';
        if (negative || digits.front() == '+') {
            digits.remove_prefix(1);
        }
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec != std::errc{}) {
            exponent = std::numeric_limits<std::int64_t>::max() / 2;  // beyond any mantissa's length
        }
        exponent = negative ? -exponent : exponent;
    }
    return leading + exponent >= 0;
}

template <class Integer>
bool parse_integer(std::string_view text, Integer& value) {
    return std::from_chars(text.data(), text.data() + text.size(), value).ec == std::errc{};
}

}  // namespace

std::optional<JsonNumber> read_json_number(std::string_view number) noexcept {
    const bool negative = number.front() == '-';
    if (number.find_first_of(".eE") == std::string_view::npos) {
        std::int64_t signed_value = 0;
        std::uint64_t unsigned_value = 0;
        if (negative ? parse_integer(number, signed_value) : parse_integer(number, unsigned_value)) {
            return negative ? JsonNumber{signed_value} : JsonNumber{unsigned_value};
        }
    }
    double value = 0.0;
    if (std::from_chars(number.data(), number.data() + number.size(), value).ec != std::errc{}) {
        if (exceeds_double(number)) {
            return std::nullopt;
        }
        value = negative ? -0.0 : 0.0;  // too small for any double but zero
    }
    return JsonNumber{value};
}

std::string format_floating(double value) {
    std::string text = format_canonical_floating(value);
    const std::size_t exponent = text.find('e');
    if (exponent == std::string::npos) {
        return text;
    }
    std::size_t digits = exponent + 1;
    const bool negative = text[digits] == '-';
    text.erase(digits, negative ? 0 : 1);  // drops a '+'
    digits += negative ? 1 : 0;
    const std::size_t zeros = std::min(text.find_first_not_of('0', digits), text.size() - 1) - digits;
    text.erase(digits, zeros);
    return text;
}

std::string format_canonical_floating(double value) {
    std::string text = fmt::format("{}", value);
    // Integral values keep a ".0" so that they still read as floating point.
    if (text.find_first_not_of("-0123456789") == std::string::npos) {
        text += ".0";
    }
    return text;
}

}  // namespace tamri::json
