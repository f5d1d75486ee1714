#pragma once

#include "fasta.hpp"

#include <optional>
#include <string_view>

namespace tamri {

// Cuts FASTA text into lines and records and drives `sink`; throws TamriError for
// malformed input (empty input, a sequence line before any header, a header without
// identifier, and whatever the sink's `finish_record` throws).
void scan_fasta_text(std::string_view text, FastaRecordSink& sink);

// Removes white space from both ends: the ASCII set for ASCII lines, Unicode otherwise.
[[nodiscard]] std::string_view trim_fasta_line(std::string_view line) noexcept;

// The identifier in the bytes after a header's '>': the first white-space-separated word.
// Absent when there is none, or when non-ASCII bytes are not valid UTF-8.
[[nodiscard]] std::optional<std::string_view> fasta_id_bytes_with_ascii(std::string_view header_rest,
                                                                        bool is_ascii) noexcept;

}  // namespace tamri
