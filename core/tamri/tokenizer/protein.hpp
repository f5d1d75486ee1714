#pragma once

// Tokenization of records of any kind: residues to 8-bit token ids under a profile, unknown residues
// reported as warnings or errors, one record or a whole FASTA stream, with batch summaries.

#include "tamri/fasta/records.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/tokenizer/types.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {

// One token id per residue of the normalized sequence; residues outside the profile's
// vocabulary become its unknown id with a warning (ambiguity code) or an error. With
// `add_special_tokens` the ids are framed by CLS and SEP. Never fails.
[[nodiscard]] TokenizedProtein tokenize_protein_with_config(const ProteinSequence& record,
                                                            const ProteinTokenizerConfig& config);

// A sequence as a caller typed it, normalized first (white space removed, letters upper-cased).
[[nodiscard]] TokenizedProtein tokenize_sequence_text(std::string id, std::string_view sequence,
                                                      const ProteinTokenizerConfig& config);

// Tokenizes every record of a FASTA byte stream as the scanner completes it, keeping no parsed
// records; the same results as tokenizing each record of parse_fasta_records_reader. Throws FastaReadError.
[[nodiscard]] std::vector<TokenizedProtein> tokenize_fasta_stream(ByteLineReader& reader,
                                                                  const ProteinTokenizerConfig& config);

[[nodiscard]] ProteinBatchSummary summarize_protein_batch(std::span<const TokenizedProtein> records);

}  // namespace tamri
