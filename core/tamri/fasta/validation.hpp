#pragma once

// Protein validation of FASTA text: each record validated as protein the moment the scanner closes
// it, into one report.

#include "tamri/fasta/records.hpp"
#include "tamri/sequence/report.hpp"

#include <cstdint>
#include <string>
#include <string_view>

namespace tamri {

// Validates each record as protein the moment the scanner closes it.
class ValidatedRecordSink final : public NormalizingRecordSink {
public:
    SequenceValidationReport report;

    void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) override;
};

// Protein validation of FASTA text (valid UTF-8) in one pass. Throws TamriError for
// malformed FASTA; residue problems are reported inside the result.
[[nodiscard]] SequenceValidationReport validate_fasta_input(std::string_view fasta_text);

}  // namespace tamri
