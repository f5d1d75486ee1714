#pragma once

#include "sequence/types.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamri {

// One sequence as 8-bit token ids, with the residues that became the unknown token.
struct TokenizedProtein {
    std::string id;
    std::string alphabet;                // the profile's text, e.g. "protein-20-special"
    std::vector<std::uint8_t> tokens;    // special tokens included
    std::vector<ResidueIssue> warnings;  // ambiguity codes
    std::vector<ResidueIssue> errors;    // everything else outside the vocabulary
    std::size_t length = 0;              // tokens.size()
    bool valid = true;                   // no warnings and no errors

    friend bool operator==(const TokenizedProtein&, const TokenizedProtein&) = default;
};

// Counts over a batch of tokenized sequences.
struct ProteinBatchSummary {
    std::size_t records = 0;
    std::size_t total_length = 0;
    std::size_t valid_records = 0;
    std::size_t warning_count = 0;
    std::size_t error_count = 0;

    friend bool operator==(const ProteinBatchSummary&, const ProteinBatchSummary&) = default;
};

}  // namespace tamri
