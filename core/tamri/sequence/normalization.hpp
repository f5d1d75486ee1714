#pragma once

// Sequence normalization, the one policy every path applies: drop white space, upper-case a-z, keep
// everything else; with byte-wise forms for input not known to be valid UTF-8.

#include <string>
#include <string_view>

namespace tamri {

// The one normalization policy: drop white space, upper-case a-z, keep everything else.
inline constexpr std::string_view normalization_policy_name = "strip_ascii_whitespace_uppercase";

// ASCII text drops the five ASCII white-space bytes (not vertical tab); text holding any
// non-ASCII character drops every Unicode white-space character instead.
[[nodiscard]] std::string normalize_sequence(std::string_view text);
void append_normalized_sequence(std::string_view text, std::string& output);

// Byte-wise form for input that may not be valid UTF-8: drops the five ASCII white-space
// bytes, upper-cases a-z and keeps every other byte as it is.
[[nodiscard]] std::string normalize_sequence_bytes(std::string_view bytes);

// Appends ASCII-normalized bytes; the caller knows `bytes` is ASCII or wants byte semantics.
void append_normalized_ascii_bytes(std::string_view bytes, std::string& output);

}  // namespace tamri
