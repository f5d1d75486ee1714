#include "fasta.hpp"

#include "error.hpp"
#include "fasta_scan.hpp"
#include "sequence/normalization.hpp"

#include <utility>

namespace tamri {

void ParsedRecordSink::push_sequence_line(std::string_view line) {
    append_normalized_sequence_to_vec(line, sequence);
}

void ParsedRecordSink::push_sequence_line_bytes(std::string_view line) {
    append_normalized_ascii_bytes(line, sequence);
}

void ParsedRecordSink::finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) {
    if (sequence.empty()) {
        throw TamriError::missing_sequence(std::move(id), line, record_index);
    }
    records.push_back(ProteinSequence{std::move(id), std::exchange(sequence, std::string{})});
}

std::vector<ProteinSequence> parse_fasta_records(std::string_view text) {
    ParsedRecordSink sink;
    scan_fasta_text(text, sink);
    return std::move(sink.records);
}

}  // namespace tamri
