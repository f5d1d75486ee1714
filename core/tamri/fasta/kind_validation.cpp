#include "tamri/fasta/kind_validation.hpp"

#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/sequence/detection.hpp"
#include "tamri/sequence/normalization.hpp"
#include "tamri/sequence/validation.hpp"

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

namespace {

// Validates each record the moment the scanner closes it and writes it into the report's text.
class ReportJsonRecordSink final : public NormalizingRecordSink {
public:
    explicit ReportJsonRecordSink(std::optional<SequenceKindSelection> selection) : selection_(selection) {}

    SequenceValidationReportJson report;

    void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) override {
        std::string residues = take_sequence(id, line, record_index);
        report.append(selection_ ? to_validated_sequence(
                                       validate_record_for_selection(std::move(id), std::move(residues), *selection_))
                                 : validate_normalized_protein_sequence(std::move(id), std::move(residues)));
    }

private:
    std::optional<SequenceKindSelection> selection_;
};

}  // namespace

SequenceValidationReport write_validation_report_json_from_stream(ByteLineReader& reader,
                                                                  std::optional<SequenceKindSelection> selection,
                                                                  const std::function<void(std::string_view)>& write) {
    ReportJsonRecordSink sink{selection};
    scan_fasta_reader(reader, sink);
    sink.report.finish(write);
    return sink.report.counts();
}

}  // namespace tamri
