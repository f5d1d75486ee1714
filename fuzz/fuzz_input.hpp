#pragma once

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

}  // namespace tamri::fuzz
