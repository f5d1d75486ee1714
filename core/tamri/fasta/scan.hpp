#pragma once

// The text scanner and the byte-stream scanner: cut FASTA into lines and records for a sink and reject
// malformed input. The stream side also hashes the bytes it reads and can visit records one by one.

#include "tamri/base/diagnostic.hpp"
#include "tamri/digest/stable_hash.hpp"
#include "tamri/fasta/records.hpp"
#include "tamri/io/line_reader.hpp"
#include "tamri/text/utf8.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace tamri {

// Cuts FASTA text into lines and records and drives `sink`; throws TamriError for
// malformed input (empty input, a sequence line before any header, a header without
// identifier, and whatever the sink's `finish_record` throws).
void scan_fasta_text(std::string_view text, FastaRecordSink& sink);

// The identifier in the bytes after a header's '>': the first white-space-separated word.
// Absent when there is none, or when non-ASCII bytes are not valid UTF-8.
[[nodiscard]] std::optional<std::string_view> fasta_id_bytes_with_ascii(std::string_view header_rest,
                                                                        bool is_ascii) noexcept;

// Cuts a byte stream into lines and records with the rules of the text scanner, folding every
// byte read into `hasher`. Differences from the text scanner: only lines that hold non-ASCII bytes
// are decoded, such lines keep their leading white space when tested for '>', and invalid UTF-8
// in a sequence line is a read failure. Throws FastaReadError (malformed FASTA wrapped as is).
void scan_fasta_reader(ByteLineReader& reader, FastaRecordSink& sink, StableInputHasher& hasher);

// The same scan for callers that do not report the input hash, sparing them its serial multiply chain.
void scan_fasta_reader(ByteLineReader& reader, FastaRecordSink& sink);

// Reads all records of a byte stream together with the stable input hash of its exact bytes.
// Throws FastaReadError.
[[nodiscard]] ParsedFastaInput parse_fasta_records_reader(ByteLineReader& reader);

// Hands each record to `visit` the moment it is complete and holds no other: an input of any
// size is read in the memory of its longest record. The record's buffers are reused for the next
// one, so `visit` must not keep references into it. Throws FastaReadError.
void for_each_fasta_record(ByteLineReader& reader, const std::function<void(const ProteinSequence&)>& visit);

struct TrimmedFastaLine {
    std::string_view bytes;
    bool is_ascii;

    friend bool operator==(const TrimmedFastaLine&, const TrimmedFastaLine&) = default;
};

// ASCII lines lose ASCII white space at both ends; other lines lose only their trailing carriage
// returns and line feeds, since their bytes are not known to be text yet.
[[nodiscard]] TrimmedFastaLine trim_fasta_line_bytes(std::string_view line) noexcept;

// "FASTA input contains invalid UTF-8 at line {line}: {decoder detail}", an invalid-data read failure.
[[nodiscard]] FastaReadError invalid_utf8_error(std::uint64_t line, const text::Utf8Error& error);

}  // namespace tamri
