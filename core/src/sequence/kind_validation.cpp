#include "sequence/kind_validation.hpp"

#include "error.hpp"
#include "fasta_scan.hpp"
#include "sequence/detection.hpp"
#include "sequence/normalization.hpp"
#include "sequence/validation.hpp"

#include <utility>

namespace tamri {

void KindAwareValidatedRecordSink::finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) {
    std::string buffer = take_sequence(id, line, record_index);
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

KindAwareValidationReport validate_fasta_input_with_kind_reader(ByteLineReader& reader,
                                                                SequenceKindSelection selection) {
    KindAwareValidatedRecordSink sink{selection};
    scan_fasta_reader(reader, sink);
    return summarize_validated_sequence_records(std::move(sink.records));
}

}  // namespace tamri
