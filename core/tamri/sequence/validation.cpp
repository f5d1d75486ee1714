#include "tamri/sequence/validation.hpp"

#include "tamri/sequence/normalization.hpp"

#include "tamri/text/ascii.hpp"
#include "tamri/text/unicode.hpp"
#include "tamri/text/utf8.hpp"
#include "tamri/text/walk.hpp"

#include <fmt/format.h>

#include <cstring>

namespace tamri {
namespace {

// Byte normalization without a second buffer: the result is never longer than the input.
void normalize_bytes_in_place(std::string& bytes) noexcept {
    char* out = bytes.data();
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        *out = static_cast<char>(text::ascii_upper(byte));
        out += text::is_ascii_white_space(byte) ? 0 : 1;
    }
    bytes.resize(static_cast<std::size_t>(out - bytes.data()));
}

void push_protein_issue(ResidueClass residue_class, std::size_t position, char32_t residue,
                        std::vector<ResidueIssue>& warnings, std::vector<ResidueIssue>& errors) {
    (residue_class == ResidueClass::ambiguous ? warnings : errors).push_back(ResidueIssue{position, residue});
}

// Non-zero unless `byte` is a standard residue: outside A-Z, or one of the ambiguous letters.
// Arithmetic instead of a table or of chained ==, which compilers turn into a bit test: this form
// vectorizes. Within A-Z, (byte ^ letter) - 1 has its high bit set exactly when byte == letter.
constexpr unsigned char non_standard_protein_flag(unsigned char byte) noexcept {
    auto flag = static_cast<unsigned char>(static_cast<unsigned char>(byte - 'A') >= 26);
    for (const char letter : alphabet::protein_ambiguous_letters) {
        flag |= static_cast<unsigned char>(static_cast<unsigned char>((byte ^ static_cast<unsigned char>(letter)) - 1) &
                                           0x80);
    }
    return flag;
}

static_assert([] {
    for (unsigned byte = 0; byte < 256; ++byte) {
        const auto value = static_cast<unsigned char>(byte);
        if ((non_standard_protein_flag(value) == 0) != (alphabet::protein_standard[value] != 0)) {
            return false;
        }
    }
    return true;
}());

// Positions are byte positions; a byte of 0x80 or above becomes the character of that value.
void classify_protein_bytes(std::string_view bytes, std::vector<ResidueIssue>& warnings,
                            std::vector<ResidueIssue>& errors) {
    if (text::or_over_bytes(bytes, [](unsigned char byte) { return non_standard_protein_flag(byte); }) == 0) {
        return;  // the common case, judged a vector at a time
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const ResidueClass residue_class = classify_protein_byte(byte);
        if (residue_class != ResidueClass::standard) [[unlikely]] {
            push_protein_issue(residue_class, i + 1, byte, warnings, errors);
        }
    }
}

// Judges normalized protein text: positions count characters of UTF-8 text and bytes of anything
// else, whose bytes of 0x80 and above become the characters of their values. True when the text is
// not UTF-8 and must be stored repaired.
bool classify_normalized_protein(std::string_view normalized, std::vector<ResidueIssue>& warnings,
                                 std::vector<ResidueIssue>& errors) {
    const auto classify_bytes = [&](std::string_view bytes) { classify_protein_bytes(bytes, warnings, errors); };
    bool not_utf8 = false;
    std::size_t position = 0;
    text::walk_text(
        normalized, classify_bytes,
        [&](char32_t c, std::string_view) {
            ++position;
            const ResidueClass residue_class =
                c < 0x80 ? classify_protein_byte(static_cast<unsigned char>(c)) : ResidueClass::unsupported;
            if (residue_class != ResidueClass::standard) {
                push_protein_issue(residue_class, position, c, warnings, errors);
            }
        },
        [&](std::string_view bytes) {
            classify_bytes(bytes);
            not_utf8 = true;
        });
    return not_utf8;
}

void push_classified_kind_issue(ResidueClass residue_class, char32_t residue, std::size_t position, SequenceKind kind,
                                std::vector<SequenceValidationIssue>& warnings,
                                std::vector<SequenceValidationIssue>& errors) {
    std::string residue_text;
    text::append_utf8(residue_text, residue);
    const std::string_view label = sequence_kind_label(kind);
    if (residue_class == ResidueClass::ambiguous) {
        warnings.push_back(SequenceValidationIssue{
            fmt::format("{} symbol '{}' at position {} is ambiguous IUPAC code", label, residue_text, position),
            position, residue, IssueSeverity::warning, kind});
    } else {
        errors.push_back(
            SequenceValidationIssue{fmt::format("{} symbol '{}' at position {} is not supported by {}", label,
                                                residue_text, position, sequence_kind_alphabet(kind)),
                                    position, residue, IssueSeverity::error, kind});
    }
}

// The ASCII walk shared by both validations: normalizes in place (the result is never
// longer than the input) and judges each kept byte with `classify` (one table lookup or one
// shift-and-mask); only a symbol that is not standard reaches `on_issue`.
template <typename Classify, typename OnIssue>
void normalize_and_classify_ascii_in_place(std::string& sequence, Classify classify, OnIssue on_issue) {
    char* const data = sequence.data();
    const std::size_t size = sequence.size();
    std::size_t written = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (text::is_ascii_white_space(byte)) {
            continue;
        }
        const unsigned char upper = text::ascii_upper(byte);
        data[written++] = static_cast<char>(upper);
        const ResidueClass residue_class = classify(upper);
        if (residue_class != ResidueClass::standard) [[unlikely]] {
            on_issue(residue_class, upper, written);
        }
    }
    sequence.resize(written);
}

// Judges one symbol: advances `position` first, then appends at most one issue.
void push_kind_issue(char32_t residue, std::size_t& position, SequenceKind kind,
                     std::vector<SequenceValidationIssue>& warnings, std::vector<SequenceValidationIssue>& errors) {
    ++position;
    const ResidueClass residue_class = classify_residue(residue, kind);
    if (residue_class == ResidueClass::standard) {
        return;
    }
    const char32_t judged =
        residue < 0x80 ? static_cast<char32_t>(text::ascii_upper(static_cast<unsigned char>(residue))) : residue;
    push_classified_kind_issue(residue_class, judged, position, kind, warnings, errors);
}

// Valid UTF-8 normalized and judged a character at a time, compacted in place (writing never
// overtakes reading).
void validate_unicode_record_in_place(std::string& sequence, SequenceKind kind,
                                      std::vector<SequenceValidationIssue>& warnings,
                                      std::vector<SequenceValidationIssue>& errors) {
    std::size_t position = 0;
    char* out = sequence.data();
    text::for_each_character(sequence, [&](char32_t c, std::string_view bytes) {
        const char* const before = out;
        normalize_character(c, bytes, [&out](std::string_view kept) {
            std::memmove(out, kept.data(), kept.size());
            out += kept.size();
        });
        if (out != before) {
            push_kind_issue(c, position, kind, warnings, errors);
        }
    });
    sequence.resize(static_cast<std::size_t>(out - sequence.data()));
}

}  // namespace

ValidatedSequence validate_normalized_protein_sequence(std::string id, std::string sequence) {
    ValidatedSequence result;
    result.id = std::move(id);
    result.alphabet = sequence_kind_alphabet(SequenceKind::protein);
    // Normalized text is only judged: for ASCII one table lookup per residue, nothing written.
    if (classify_normalized_protein(sequence, result.warnings, result.errors)) {
        sequence = text::decode_utf8_lossy(sequence);
    }
    result.sequence = std::move(sequence);
    result.valid = result.warnings.empty() && result.errors.empty();
    return result;
}

ValidatedSequence validate_protein_sequence_owned(std::string id, std::string sequence) {
    if (text::is_ascii(sequence)) {
        ValidatedSequence result;
        result.id = std::move(id);
        result.alphabet = sequence_kind_alphabet(SequenceKind::protein);
        normalize_and_classify_ascii_in_place(
            sequence, classify_protein_byte,
            [&result](ResidueClass residue_class, char32_t residue, std::size_t position) {
                push_protein_issue(residue_class, position, residue, result.warnings, result.errors);
            });
        result.sequence = std::move(sequence);
        result.valid = result.warnings.empty() && result.errors.empty();
        return result;
    }
    // Byte normalization drops only ASCII bytes, so the sequence stays non-ASCII; it may however
    // join the halves of a character, which is why it comes before UTF-8 is judged.
    normalize_bytes_in_place(sequence);
    return validate_normalized_protein_sequence(std::move(id), std::move(sequence));
}

ValidatedSequenceRecord validate_sequence_record(std::string id, std::string sequence, SequenceKind kind) {
    ValidatedSequenceRecord record;
    record.id = std::move(id);
    record.alphabet = sequence_kind_alphabet(kind);
    record.kind = kind;
    if (text::is_ascii(sequence)) {
        const auto on_issue = [&record, kind](ResidueClass residue_class, char32_t residue, std::size_t position) {
            push_classified_kind_issue(residue_class, residue, position, kind, record.warnings, record.errors);
        };
        if (kind == SequenceKind::protein) {
            normalize_and_classify_ascii_in_place(sequence, classify_protein_byte, on_issue);
        } else {
            const std::uint32_t standard_mask = nucleic_standard_mask(kind);
            normalize_and_classify_ascii_in_place(
                sequence, [standard_mask](unsigned char byte) { return classify_nucleic_byte(byte, standard_mask); },
                on_issue);
        }
    } else {
        // Decoding assumes valid UTF-8; a C++ caller may hand over anything.
        text::make_valid_utf8(sequence);
        validate_unicode_record_in_place(sequence, kind, record.warnings, record.errors);
    }
    record.sequence = std::move(sequence);
    record.valid = record.warnings.empty() && record.errors.empty();
    return record;
}

}  // namespace tamri
