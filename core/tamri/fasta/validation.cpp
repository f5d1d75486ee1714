#include "tamri/fasta/validation.hpp"

#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/sequence/normalization.hpp"
#include "tamri/sequence/validation.hpp"

#include <utility>

namespace tamri {

void ValidatedRecordSink::finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) {
    std::string buffer = take_sequence(id, line, record_index);
    append_validated_sequence(report, validate_normalized_protein_sequence(std::move(id), std::move(buffer)));
}

SequenceValidationReport validate_fasta_input(std::string_view fasta_text) {
    ValidatedRecordSink sink;
    scan_fasta_text(fasta_text, sink);
    return std::move(sink.report);
}

}  // namespace tamri
