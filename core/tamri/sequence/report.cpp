#include "tamri/sequence/report.hpp"

#include <algorithm>

namespace tamri {

namespace {

void count_validated_sequence(SequenceValidationReport& report, const ValidatedSequence& sequence) {
    ++report.records;
    report.valid_records += sequence.valid ? 1 : 0;
    report.warning_count += sequence.warnings.size();
    report.error_count += sequence.errors.size();
}

}  // namespace

void append_validated_sequence(SequenceValidationReport& report, ValidatedSequence&& sequence) {
    count_validated_sequence(report, sequence);
    report.sequences.push_back(std::move(sequence));
}

KindAwareValidationReport summarize_validated_sequence_records(std::vector<ValidatedSequenceRecord> records) {
    KindAwareValidationReport report;
    report.records = records.size();
    const auto count_kind = [&records](SequenceKind kind) {
        return static_cast<std::size_t>(
            std::count_if(records.begin(), records.end(), [kind](const auto& record) { return record.kind == kind; }));
    };
    report.valid_records = static_cast<std::size_t>(
        std::count_if(records.begin(), records.end(), [](const auto& record) { return record.valid; }));
    for (const ValidatedSequenceRecord& record : records) {
        report.warning_count += record.warnings.size();
    }
    for (const ValidatedSequenceRecord& record : records) {
        report.error_count += record.errors.size();
    }
    report.protein_records = count_kind(SequenceKind::protein);
    report.dna_records = count_kind(SequenceKind::dna);
    report.rna_records = count_kind(SequenceKind::rna);
    report.sequences = std::move(records);
    return report;
}

SequenceValidationReport to_sequence_validation_report(KindAwareValidationReport&& report) {
    SequenceValidationReport plain;
    plain.sequences.reserve(report.sequences.size());
    for (ValidatedSequenceRecord& record : report.sequences) {
        plain.sequences.push_back(to_validated_sequence(std::move(record)));
    }
    report.sequences.clear();
    plain.records = report.records;
    plain.valid_records = report.valid_records;
    plain.warning_count = report.warning_count;
    plain.error_count = report.error_count;
    return plain;
}

SequenceValidationReportJson::SequenceValidationReportJson(std::size_t piece_size) : piece_size_(piece_size) {
    sequences_.begin_array();
}

void SequenceValidationReportJson::append(const ValidatedSequence& sequence) {
    count_validated_sequence(counts_, sequence);
    json::write_value(sequences_, sequence);
    if (sequences_.text().size() >= piece_size_) {
        // The writer keeps its place in the list; only its text starts anew.
        pieces_.push_back(sequences_.take());
        sequences_.clear();
    }
}

void SequenceValidationReportJson::finish(const std::function<void(std::string_view)>& write) {
    // The counts' own writer is left inside the object: its closing brace follows the last piece.
    json::JsonWriter head;
    json::write_record_head(head, counts_);
    write(head.text());
    for (const std::string& piece : pieces_) {
        write(piece);
    }
    write(sequences_.end_array().text());
    write("}");
}

}  // namespace tamri
