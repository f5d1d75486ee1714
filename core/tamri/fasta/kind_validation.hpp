#pragma once

// FASTA validation under a chosen sequence kind or per-record detection, over text in one pass or
// over a byte stream whose report JSON is written as the records close, none of them kept.

#include "tamri/fasta/records.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/sequence/kind.hpp"
#include "tamri/sequence/report.hpp"
#include "tamri/sequence/types.hpp"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {

// What the caller asks for: one kind for every record, or detection per record.
enum class SequenceKindSelection { protein = 0, dna = 1, rna = 2, auto_detect = 3 };

// Messages list "auto" first.
[[nodiscard]] constexpr EnumTable<SequenceKindSelection, 4> enum_table(SequenceKindSelection) noexcept {
    return {{{{SequenceKindSelection::auto_detect, "auto"},
              {SequenceKindSelection::protein, "protein"},
              {SequenceKindSelection::dna, "dna"},
              {SequenceKindSelection::rna, "rna"}}}};
}

// Validates each record under the selection the moment the scanner closes it.
class KindAwareValidatedRecordSink final : public NormalizingRecordSink {
public:
    explicit KindAwareValidatedRecordSink(SequenceKindSelection kind_selection) : selection(kind_selection) {}

    std::vector<ValidatedSequenceRecord> records;
    SequenceKindSelection selection;

    void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) override;
};

// Validates one record under the selection; `detection` is set only for auto_detect.
[[nodiscard]] ValidatedSequenceRecord validate_record_for_selection(std::string id, std::string sequence,
                                                                    SequenceKindSelection selection);

// Kind-aware validation of FASTA text (valid UTF-8) in one pass. Throws TamriError for
// malformed FASTA; residue problems are reported inside the result.
[[nodiscard]] KindAwareValidationReport validate_fasta_input_with_kind(std::string_view fasta_text,
                                                                       SequenceKindSelection selection);

// Validates a FASTA byte stream (the stream scanner's line rules) and builds the report JSON as
// the records close, holding none of them: without a selection that of validate_fasta_input,
// every record as protein; with one that of validate_fasta_input_with_kind in its plain form
// (to_sequence_validation_report). Once the input is read, hands the text to `write` piece by
// piece and returns the counts (`sequences` empty). Throws FastaReadError, before any `write`.
SequenceValidationReport write_validation_report_json_from_stream(ByteLineReader& reader,
                                                                  std::optional<SequenceKindSelection> selection,
                                                                  const std::function<void(std::string_view)>& write);

}  // namespace tamri
