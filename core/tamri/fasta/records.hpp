#pragma once

// FASTA records and the sinks the scanners feed: the record type, the sink interface that receives
// sequence lines and record ends, and the sinks that normalize and collect records.

#include "tamri/json/record.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamri {

// One FASTA record: its identifier and its normalized sequence (protein, DNA or RNA alike).
struct ProteinSequence {
    std::string id;
    std::string sequence;

    friend bool operator==(const ProteinSequence&, const ProteinSequence&) = default;
};

constexpr auto json_schema(std::type_identity<ProteinSequence>) {
    return json::record_schema<ProteinSequence>("struct ProteinSequence", json::UnknownFields::reject,
                                                json::field<&ProteinSequence::id>("id"),
                                                json::field<&ProteinSequence::sequence>("sequence"));
}

// Receives a record's parts from a FASTA scanner: its sequence lines, then `finish_record`.
class FastaRecordSink {
public:
    FastaRecordSink() = default;
    FastaRecordSink(const FastaRecordSink&) = delete;
    FastaRecordSink& operator=(const FastaRecordSink&) = delete;
    virtual ~FastaRecordSink() = default;

    // A trimmed, non-empty sequence line of valid UTF-8 text.
    virtual void push_sequence_line(std::string_view line) = 0;
    // A trimmed, non-empty sequence line known to be pure ASCII.
    virtual void push_sequence_line_bytes(std::string_view line) = 0;
    // Closes the open record (`line` is its header's line). Throws TamriError MissingSequence
    // when no sequence content arrived since the previous record.
    virtual void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) = 0;
};

// Records read from a byte stream, with the stable input hash of every byte read.
struct ParsedFastaInput {
    std::vector<ProteinSequence> records;
    std::string input_hash;  // "fnv1a64:" and 16 lowercase hexadecimal digits

    friend bool operator==(const ParsedFastaInput&, const ParsedFastaInput&) = default;
};

// A sink that gathers the open record's sequence lines, normalized, into one buffer.
class NormalizingRecordSink : public FastaRecordSink {
public:
    std::string sequence;  // normalized residues of the open record

    void push_sequence_line(std::string_view line) final;
    void push_sequence_line_bytes(std::string_view line) final;

protected:
    // Hands over the open record's buffer, leaving an empty one; throws MissingSequence when no
    // sequence content arrived for the record.
    std::string take_sequence(std::string& id, std::uint64_t line, std::uint64_t record_index);
    // The open record's buffer left in place, for sinks that are done with it before the next
    // record and clear it so that its capacity serves again; throws like take_sequence.
    const std::string& open_sequence(std::string& id, std::uint64_t line, std::uint64_t record_index);
};

// Collects the records as they are.
class ParsedRecordSink final : public NormalizingRecordSink {
public:
    std::vector<ProteinSequence> records;

    void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) override;
};

// Parses FASTA text into records; throws TamriError for malformed input.
[[nodiscard]] std::vector<ProteinSequence> parse_fasta_records(std::string_view text);

}  // namespace tamri
