#pragma once

#include "fasta.hpp"
#include "sequence/kind.hpp"
#include "sequence/report.hpp"
#include "sequence/types.hpp"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {

// What the caller asks for: one kind for every record, or detection per record.
enum class SequenceKindSelection { protein = 0, dna = 1, rna = 2, auto_detect = 3 };

// "protein", "dna", "rna", "auto".
[[nodiscard]] constexpr std::string_view sequence_kind_selection_text(SequenceKindSelection selection) noexcept {
    constexpr std::array<std::string_view, 4> texts{"protein", "dna", "rna", "auto"};
    return texts[static_cast<std::size_t>(selection)];
}

// Exact match: case-sensitive, untrimmed.
[[nodiscard]] constexpr std::optional<SequenceKindSelection> parse_sequence_kind_selection(
    std::string_view text) noexcept {
    for (const SequenceKindSelection selection : {SequenceKindSelection::protein, SequenceKindSelection::dna,
                                                  SequenceKindSelection::rna, SequenceKindSelection::auto_detect}) {
        if (sequence_kind_selection_text(selection) == text) {
            return selection;
        }
    }
    return std::nullopt;
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

}  // namespace tamri
