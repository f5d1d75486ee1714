#pragma once

// What every fuzz target shares: the input as text, and checks that stop the run on the first
// broken invariant so that libFuzzer keeps the input that broke it.

#include "tamri/base/diagnostic.hpp"
#include "tamri/text/utf8.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace tamri::fuzz {

// The input as text; nothing for inputs longer than 64 KiB, which only slow the search down.
inline std::optional<std::string_view> fuzz_input(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t max_input = 1U << 16U;
    if (size > max_input) {
        return std::nullopt;
    }
    return std::string_view{reinterpret_cast<const char*>(data), size};
}

inline void require(bool invariant) {
    if (!invariant) {
        __builtin_trap();
    }
}

inline bool is_utf8(std::string_view text) {
    return !text::first_utf8_error(text).has_value();
}

// Reports and messages go to Python as str, so they must be UTF-8 whatever the input was.
inline void require_utf8(std::string_view text) {
    require(is_utf8(text));
}

inline void require_catalogued(std::string_view text, code::Emitter emitter = code::Emitter::core_failure) {
    require(code::is_catalogued(text, emitter));
}

// A failure's code is one of the table's and its message is text.
inline void require_well_formed(const Diagnostic& failure) {
    require_catalogued(failure.code());
    require_utf8(failure.message());
}

// The decoder's position suffix: " at line {line} column {column}", both decimal.
inline void require_position_suffix(std::string_view detail) {
    const std::size_t at = detail.rfind(" at line ");
    require(at != std::string_view::npos);
    const std::string_view rest = detail.substr(at + std::string_view{" at line "}.size());
    const std::size_t column = rest.find(" column ");
    require(column != std::string_view::npos && column > 0);
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
    };
    require(digits(rest.substr(0, column)) && digits(rest.substr(column + std::string_view{" column "}.size())));
}

}  // namespace tamri::fuzz
