#include "tamri/tokenizer/protein.hpp"

#include "tamri/sequence/normalization.hpp"
#include "tamri/text/ascii.hpp"
#include "tamri/text/walk.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/lookup.hpp"

#include <string>

namespace tamri {
namespace {

// Walk tables fold normalization into the lookup for ASCII input: the five white-space
// bytes are skipped, every other byte is one residue.
constexpr std::uint8_t skip_byte = 254;

constexpr TokenLookupTable build_walk_table(const TokenLookupTable& lookup) {
    TokenLookupTable table = lookup;
    for (std::size_t byte = 0; byte < table.size(); ++byte) {
        if (text::is_ascii_white_space(static_cast<unsigned char>(byte))) {
            table[byte] = skip_byte;
        }
    }
    return table;
}

constexpr std::array<TokenLookupTable, 3> walk_tables{
    build_walk_table(builtin_token_lookup_tables[0]),
    build_walk_table(builtin_token_lookup_tables[1]),
    build_walk_table(builtin_token_lookup_tables[2]),
};

static_assert(builtin_unknown_token_id(BuiltinVocabulary::protein_20) < skip_byte);

// `residue` is already upper-cased.
void push_unknown(BuiltinVocabulary vocabulary, char32_t residue, std::size_t position,
                  std::vector<std::uint8_t>& tokens, std::vector<ResidueIssue>& warnings,
                  std::vector<ResidueIssue>& errors) {
    tokens.push_back(builtin_unknown_token_id(vocabulary));
    std::vector<ResidueIssue>& issues = is_builtin_ambiguity_code(vocabulary, residue) ? warnings : errors;
    issues.push_back(ResidueIssue{position, residue});
}

void push_byte(BuiltinVocabulary vocabulary, unsigned char residue, std::size_t position,
               std::vector<std::uint8_t>& tokens, std::vector<ResidueIssue>& warnings,
               std::vector<ResidueIssue>& errors) {
    const std::uint8_t id = token_lookup_table(vocabulary)[residue];
    if (id != no_token_id) {
        tokens.push_back(id);
        return;
    }
    push_unknown(vocabulary, text::ascii_upper(residue), position, tokens, warnings, errors);
}

// A character of UTF-8 text; only ASCII letters can be in a vocabulary.
void push_character(BuiltinVocabulary vocabulary, char32_t residue, std::size_t position,
                    std::vector<std::uint8_t>& tokens, std::vector<ResidueIssue>& warnings,
                    std::vector<ResidueIssue>& errors) {
    if (residue < 0x80) {
        push_byte(vocabulary, static_cast<unsigned char>(residue), position, tokens, warnings, errors);
        return;
    }
    tokens.push_back(builtin_unknown_token_id(vocabulary));
    errors.push_back(ResidueIssue{position, residue});
}

// Normalizes and tokenizes ASCII input in one pass over its bytes. Tokens are written into
// the already reserved storage and the list is cut to the count written.
void tokenize_ascii(BuiltinVocabulary vocabulary, std::string_view sequence, std::vector<std::uint8_t>& tokens,
                    std::vector<ResidueIssue>& warnings, std::vector<ResidueIssue>& errors) {
    const TokenLookupTable& table = walk_tables[static_cast<std::size_t>(vocabulary)];
    const std::uint8_t unknown = builtin_unknown_token_id(vocabulary);
    const std::size_t start = tokens.size();
    tokens.resize(start + sequence.size());
    std::uint8_t* const first = tokens.data() + start;
    std::uint8_t* out = first;
    // The id is stored before it is judged, so that a residue of the vocabulary costs one predictable
    // branch; white space (skipped) and unknown bytes take the rare path.
    for (const char ch : sequence) {
        const auto byte = static_cast<unsigned char>(ch);
        const std::uint8_t id = table[byte];
        *out = id;
        if (id >= skip_byte) [[unlikely]] {
            if (id == skip_byte) {
                continue;
            }
            *out = unknown;
            const ResidueIssue issue{static_cast<std::size_t>(out - first) + 1, text::ascii_upper(byte)};
            (is_builtin_ambiguity_code(vocabulary, issue.residue) ? warnings : errors).push_back(issue);
        }
        ++out;
    }
    tokens.resize(start + static_cast<std::size_t>(out - first));
}

TokenizedProtein tokenize_sequence(std::string id, std::string_view sequence, const ProteinTokenizerConfig& config) {
    const ProteinTokenizerProfile profile = config.profile;
    const BuiltinVocabulary vocabulary = tokenizer_profile_vocabulary(profile);

    TokenizedProtein result;
    result.id = std::move(id);
    result.alphabet = std::string{enum_text(profile)};
    std::vector<std::uint8_t>& tokens = result.tokens;
    // Normalization never lengthens the sequence, so this is the final capacity.
    tokens.reserve(sequence.size() + (config.add_special_tokens ? 2U : 0U));

    SpecialTokenSet special_tokens{};
    if (config.add_special_tokens) {
        special_tokens = special_tokens_for_profile(profile);
        tokens.push_back(special_tokens.cls.id);
    }

    std::vector<ResidueIssue>& warnings = result.warnings;
    std::vector<ResidueIssue>& errors = result.errors;
    std::size_t position = 0;
    // Bytes are normalized as bytes, ASCII white space only, before UTF-8 is judged: dropping it
    // may join the halves of a character.
    const auto push_kept_character = [&](char32_t c, std::string_view) {
        if (c >= 0x80 || !text::is_ascii_white_space(static_cast<unsigned char>(c))) {
            push_character(vocabulary, c, ++position, tokens, warnings, errors);
        }
    };
    const auto push_ascii = [&](std::string_view ascii) {
        tokenize_ascii(vocabulary, ascii, tokens, warnings, errors);
    };
    text::walk_text(sequence, push_ascii, push_kept_character, [&](std::string_view bytes) {
        const std::string normalized = normalize_sequence_bytes(bytes);
        text::walk_text(normalized, push_ascii, push_kept_character, [&](std::string_view still_not_utf8) {
            for (const char ch : still_not_utf8) {
                push_byte(vocabulary, static_cast<unsigned char>(ch), ++position, tokens, warnings, errors);
            }
        });
    });

    if (config.add_special_tokens) {
        tokens.push_back(special_tokens.sep.id);
    }
    result.length = tokens.size();
    result.valid = result.warnings.empty() && result.errors.empty();
    return result;
}

// Tokenizes each record as it is completed; one sequence buffer serves every record.
class TokenizingRecordSink final : public NormalizingRecordSink {
public:
    explicit TokenizingRecordSink(const ProteinTokenizerConfig& config) : config_(config) {}

    std::vector<TokenizedProtein> records;

    void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) override {
        const std::string& residues = open_sequence(id, line, record_index);
        records.push_back(tokenize_sequence(std::move(id), residues, config_));
        sequence.clear();
    }

private:
    const ProteinTokenizerConfig& config_;
};

}  // namespace

TokenizedProtein tokenize_protein_with_config(const ProteinSequence& record, const ProteinTokenizerConfig& config) {
    return tokenize_sequence(record.id, record.sequence, config);
}

TokenizedProtein tokenize_sequence_text(std::string id, std::string_view sequence,
                                        const ProteinTokenizerConfig& config) {
    return tokenize_sequence(std::move(id), normalize_sequence(sequence), config);
}

std::vector<TokenizedProtein> tokenize_fasta_stream(ByteLineReader& reader, const ProteinTokenizerConfig& config) {
    TokenizingRecordSink sink{config};
    scan_fasta_reader(reader, sink);
    return std::move(sink.records);
}

ProteinBatchSummary summarize_protein_batch(std::span<const TokenizedProtein> records) {
    ProteinBatchSummary summary;
    summary.records = records.size();
    for (const TokenizedProtein& record : records) {
        summary.total_length += record.length;
        summary.valid_records += record.valid ? 1U : 0U;
        summary.warning_count += record.warnings.size();
        summary.error_count += record.errors.size();
    }
    return summary;
}

}  // namespace tamri
