#include "tamri/digest/stable_hash.hpp"

#include <algorithm>

#include <fmt/format.h>

namespace tamri {
namespace {

constexpr std::size_t stable_input_hash_digits = 16;

constexpr bool is_lower_hex_digit(char ch) noexcept {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f');
}

}  // namespace

std::string format_stable_input_hash(std::uint64_t state) {
    return fmt::format("{}{:016x}", stable_input_hash_prefix, state);
}

bool is_stable_input_hash(std::string_view text) noexcept {
    if (text.size() != stable_input_hash_prefix.size() + stable_input_hash_digits ||
        !text.starts_with(stable_input_hash_prefix)) {
        return false;
    }
    const std::string_view digits = text.substr(stable_input_hash_prefix.size());
    return std::all_of(digits.begin(), digits.end(), is_lower_hex_digit);
}

}  // namespace tamri
