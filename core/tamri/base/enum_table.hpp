#pragma once

// Enumerations with texts. Each such enumeration declares, beside itself, one function
// `constexpr EnumTable<E, N> enum_table(E) noexcept` listing every enumerator with its text in
// the order messages list them; argument-dependent lookup finds it from anywhere, so parsing,
// writing, JSON decoding and the expected-values lists of messages all read the one table.

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace tamri {

template <class Enum>
struct EnumEntry {
    Enum value;
    std::string_view text;
};

template <class Enum, std::size_t N>
struct EnumTable {
    std::array<EnumEntry<Enum>, N> entries;

    [[nodiscard]] constexpr std::string_view text(Enum value) const noexcept {
        for (const EnumEntry<Enum>& entry : entries) {
            if (entry.value == value) {
                return entry.text;
            }
        }
        return {};
    }

    // Exact match: case-sensitive, untrimmed.
    [[nodiscard]] constexpr std::optional<Enum> parse(std::string_view text) const noexcept {
        for (const EnumEntry<Enum>& entry : entries) {
            if (entry.text == text) {
                return entry.value;
            }
        }
        return std::nullopt;
    }

    [[nodiscard]] constexpr std::array<std::string_view, N> texts() const noexcept {
        std::array<std::string_view, N> result{};
        for (std::size_t i = 0; i < N; ++i) {
            result[i] = entries[i].text;
        }
        return result;
    }
};

template <class Enum>
concept Enumerated = std::is_enum_v<Enum> && requires(Enum value) {
    enum_table(value);
};

template <Enumerated Enum>
[[nodiscard]] constexpr std::string_view enum_text(Enum value) noexcept {
    return enum_table(value).text(value);
}

template <Enumerated Enum>
[[nodiscard]] constexpr std::optional<Enum> parse_enum(std::string_view text) noexcept {
    return enum_table(Enum{}).parse(text);
}

// Every text of `Enum` in table order, with static storage so messages can keep a span of it.
template <Enumerated Enum>
inline constexpr auto enum_texts = enum_table(Enum{}).texts();

// Every enumerator of `Enum` in table order.
template <Enumerated Enum>
inline constexpr auto enum_values = [] {
    constexpr auto table = enum_table(Enum{});
    std::array<Enum, table.entries.size()> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = table.entries[i].value;
    }
    return values;
}();

// The choices of a message, each between `quote`: "'a'", "'a' or 'b'", "one of 'a', 'b', 'c'".
[[nodiscard]] std::string list_alternatives(std::span<const std::string_view> texts, std::string_view quote);

}  // namespace tamri
