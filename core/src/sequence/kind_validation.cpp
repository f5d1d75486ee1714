#include "sequence/kind_validation.hpp"

#include "error.hpp"
#include "fasta_scan.hpp"
#include "sequence/detection.hpp"
#include "sequence/normalization.hpp"
#include "sequence/validation.hpp"

#include <utility>

namespace tamri {

void KindAwareValidatedRecordSink::push_sequence_line(std::string_view line) {
    append_normalized_sequence(line, sequence);
}

void KindAwareValidatedRecordSink::push_sequence_line_bytes(std::string_view line) {
    append_normalized_ascii_bytes(line, sequence);
}

void KindAwareValidatedRecordSink::finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) {
    if (sequence.empty()) {
        throw TamriError::missing_sequence(std::move(id), line, record_index);
    }
    const std::size_t previous_length = sequence.size();
    std::string buffer = std::exchange(sequence, std::string{});
    // Records of one input tend to be alike in length; one reservation spares the regrowth.
    sequence.reserve(previous_length);
    records.push_back(validate_record_for_selection(std::move(id), std::move(buffer), selection));
}

ValidatedSequenceRecord validate_record_for_selection(std::string id, std::string sequence,
                                                      SequenceKindSelection selection) {
    if (selection != SequenceKindSelection::auto_detect) {
        return validate_sequence_record(std::move(id), std::move(sequence), static_cast<SequenceKind>(selection));
    }
    SequenceKindDetection detection = detect_sequence_kind_with_metadata(sequence);
    const SequenceKind kind = detection.kind;
    ValidatedSequenceRecord record = validate_sequence_record(std::move(id), std::move(sequence), kind);
    record.detection = std::move(detection);
    return record;
}

KindAwareValidationReport validate_fasta_input_with_kind(std::string_view fasta_text, SequenceKindSelection selection) {
    KindAwareValidatedRecordSink sink{selection};
    scan_fasta_text(fasta_text, sink);
    return summarize_validated_sequence_records(std::move(sink.records));
}

}  // namespace tamri
