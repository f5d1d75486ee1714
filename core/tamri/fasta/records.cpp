#include "tamri/fasta/records.hpp"

#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/sequence/normalization.hpp"

#include <utility>

namespace tamri {

void NormalizingRecordSink::push_sequence_line(std::string_view line) {
    append_normalized_sequence(line, sequence);
}

void NormalizingRecordSink::push_sequence_line_bytes(std::string_view line) {
    append_normalized_ascii_bytes(line, sequence);
}

const std::string& NormalizingRecordSink::open_sequence(std::string& id, std::uint64_t line,
                                                        std::uint64_t record_index) {
    if (sequence.empty()) {
        throw TamriError::missing_sequence(std::move(id), line, record_index);
    }
    return sequence;
}

std::string NormalizingRecordSink::take_sequence(std::string& id, std::uint64_t line, std::uint64_t record_index) {
    const std::size_t previous_length = open_sequence(id, line, record_index).size();
    std::string taken = std::exchange(sequence, std::string{});
    // Records of one input tend to be alike in length; one reservation spares the regrowth.
    sequence.reserve(previous_length);
    return taken;
}

void ParsedRecordSink::finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) {
    std::string taken = take_sequence(id, line, record_index);
    records.push_back(ProteinSequence{std::move(id), std::move(taken)});
}

std::vector<ProteinSequence> parse_fasta_records(std::string_view text) {
    ParsedRecordSink sink;
    scan_fasta_text(text, sink);
    return std::move(sink.records);
}

}  // namespace tamri
