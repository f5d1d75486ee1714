#include "fasta_validation.hpp"

#include "error.hpp"
#include "fasta_scan.hpp"
#include "sequence/normalization.hpp"
#include "sequence/validation.hpp"

#include <utility>

namespace tamri {

void ValidatedRecordSink::push_sequence_line(std::string_view line) {
    append_normalized_sequence_to_vec(line, sequence);
}

void ValidatedRecordSink::push_sequence_line_bytes(std::string_view line) {
    append_normalized_ascii_bytes(line, sequence);
}

void ValidatedRecordSink::finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) {
    if (sequence.empty()) {
        throw TamriError::missing_sequence(std::move(id), line, record_index);
    }
    const std::size_t previous_length = sequence.size();
    std::string buffer = std::exchange(sequence, std::string{});
    // Records of one input tend to be alike in length; one reservation spares the regrowth.
    sequence.reserve(previous_length);
    append_validated_sequence(report, validate_protein_sequence_owned(std::move(id), std::move(buffer)));
}

SequenceValidationReport validate_fasta_input(std::string_view fasta_text) {
    ValidatedRecordSink sink;
    scan_fasta_text(fasta_text, sink);
    return std::move(sink.report);
}

}  // namespace tamri
