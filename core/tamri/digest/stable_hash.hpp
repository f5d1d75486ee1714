#pragma once

// The stable input hash: 64-bit FNV-1a over an input's exact bytes, written "fnv1a64:" and 16 hex
// digits, fed piece by piece as a stream is read. A fingerprint, not a cryptographic digest.

#include <cstdint>
#include <string>
#include <string_view>

namespace tamri {

inline constexpr std::uint64_t fnv1a64_offset_basis = 0xcbf29ce484222325ULL;
inline constexpr std::uint64_t fnv1a64_prime = 0x100000001b3ULL;
inline constexpr std::string_view stable_input_hash_prefix = "fnv1a64:";

// Folds `bytes` into a running 64-bit FNV-1a value.
[[nodiscard]] constexpr std::uint64_t fnv1a64_update(std::uint64_t state, std::string_view bytes) noexcept {
    for (const char ch : bytes) {
        state = (state ^ static_cast<unsigned char>(ch)) * fnv1a64_prime;
    }
    return state;
}

// "fnv1a64:" and the 16 zero-padded lowercase hexadecimal digits of `state`.
[[nodiscard]] std::string format_stable_input_hash(std::uint64_t state);

// The fingerprint of an input's exact bytes. Feeding bytes in pieces gives the same value as
// feeding their concatenation at once.
class StableInputHasher {
public:
    constexpr StableInputHasher() noexcept = default;

    constexpr void update(std::string_view bytes) noexcept { state_ = fnv1a64_update(state_, bytes); }

    // Renders the current value; the hasher can keep going afterwards.
    [[nodiscard]] std::string finalize() const { return format_stable_input_hash(state_); }

    [[nodiscard]] constexpr std::uint64_t state() const noexcept { return state_; }

private:
    std::uint64_t state_ = fnv1a64_offset_basis;
};

// True for exactly "fnv1a64:" followed by 16 lowercase hexadecimal digits.
[[nodiscard]] bool is_stable_input_hash(std::string_view text) noexcept;

}  // namespace tamri
