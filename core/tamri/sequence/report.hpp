#pragma once

// Validation reports over a whole input: the protein and the kind-aware reports with their counts,
// and the report JSON built record by record without keeping the records.

#include "tamri/json/record.hpp"
#include "tamri/sequence/types.hpp"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamri {

// Protein validation of a whole input: the records in input order and counts over them.
struct SequenceValidationReport {
    std::vector<ValidatedSequence> sequences;
    std::size_t records = 0;
    std::size_t valid_records = 0;
    std::size_t warning_count = 0;  // all warnings of all records
    std::size_t error_count = 0;    // all errors of all records

    friend bool operator==(const SequenceValidationReport&, const SequenceValidationReport&) = default;
};

// The counts first, the records last (written piece by piece by SequenceValidationReportJson).
constexpr auto json_schema(std::type_identity<SequenceValidationReport>) {
    using Report = SequenceValidationReport;
    return json::record_schema<Report>(
        "struct SequenceValidationReport", json::UnknownFields::reject, json::field<&Report::records>("records"),
        json::field<&Report::valid_records>("valid_records"), json::field<&Report::warning_count>("warning_count"),
        json::field<&Report::error_count>("error_count"), json::field<&Report::sequences>("sequences"));
}

// Kind-aware validation of a whole input; adds the number of records validated per kind.
struct KindAwareValidationReport {
    std::vector<ValidatedSequenceRecord> sequences;
    std::size_t records = 0;
    std::size_t valid_records = 0;
    std::size_t warning_count = 0;
    std::size_t error_count = 0;
    std::size_t protein_records = 0;
    std::size_t dna_records = 0;
    std::size_t rna_records = 0;

    friend bool operator==(const KindAwareValidationReport&, const KindAwareValidationReport&) = default;
};

// Appends one record and advances the counts, so a report never needs a second pass.
void append_validated_sequence(SequenceValidationReport& report, ValidatedSequence&& sequence);

// Takes the records in input order and computes every count.
[[nodiscard]] KindAwareValidationReport summarize_validated_sequence_records(
    std::vector<ValidatedSequenceRecord> records);

// The plain report the Python layer shows for kind-aware validation: the per-kind counts,
// kinds, detections and issue messages are dropped; texts are moved.
[[nodiscard]] SequenceValidationReport to_sequence_validation_report(KindAwareValidationReport&& report);

// The JSON text of a report (json_text's, byte for byte) built from records handed over one at a
// time: each is written into the "sequences" list at once and not kept, and the counts, which the
// text puts first, go in front at the end. Holds the text, never the records, in pieces of about
// `piece_size` bytes so that a large text is neither regrown nor copied.
class SequenceValidationReportJson {
public:
    static constexpr std::size_t default_piece_size = std::size_t{1} << 20;

    explicit SequenceValidationReportJson(std::size_t piece_size = default_piece_size);

    void append(const ValidatedSequence& sequence);
    // The counts so far; `sequences` stays empty.
    [[nodiscard]] const SequenceValidationReport& counts() const noexcept { return counts_; }
    // Hands the whole text to `write` piece by piece, in order; nothing may be appended afterwards.
    void finish(const std::function<void(std::string_view)>& write);

private:
    std::size_t piece_size_;
    SequenceValidationReport counts_;
    std::vector<std::string> pieces_;  // the full pieces of the "sequences" list
    json::JsonWriter sequences_;       // the piece being written
};

}  // namespace tamri
