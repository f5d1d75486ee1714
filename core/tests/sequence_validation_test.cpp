#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/kind_validation.hpp"
#include "tamri/fasta/validation.hpp"
#include "tamri/sequence/report.hpp"
#include "tamri/sequence/validation.hpp"
#include "test_support.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tamri {
namespace {

// ---------------------------------------------------------------------------------------------
// Alphabets

ResidueClass expected_class(unsigned char upper, std::string_view standard, std::string_view ambiguous) {
    const char symbol = static_cast<char>(upper);
    if (standard.find(symbol) != std::string_view::npos) {
        return ResidueClass::standard;
    }
    return ambiguous.find(symbol) != std::string_view::npos ? ResidueClass::ambiguous : ResidueClass::unsupported;
}

TEST(Alphabet, EveryByteClassifiedUnderEveryKind) {
    struct Alphabet {
        SequenceKind kind;
        std::string_view standard;
        std::string_view ambiguous;
    };
    const Alphabet alphabets[] = {
        {SequenceKind::protein, "ACDEFGHIKLMNPQRSTVWY", "BJOUXZ"},
        {SequenceKind::dna, "ACGT", "BDHKMNRSVWY"},
        {SequenceKind::rna, "ACGU", "BDHKMNRSVWY"},
    };
    for (const Alphabet& a : alphabets) {
        for (unsigned value = 0; value < 256; ++value) {
            const auto byte = static_cast<unsigned char>(value);
            const unsigned char upper = (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 32) : byte;
            EXPECT_EQ(classify_residue(byte, a.kind), expected_class(upper, a.standard, a.ambiguous))
                << enum_text(a.kind) << " byte " << value;
        }
        EXPECT_EQ(classify_residue(U'\u00c5', a.kind), ResidueClass::unsupported);
    }
}

// ---------------------------------------------------------------------------------------------
// Protein validation of one record

struct ProteinCase {
    const char* name;
    std::string input;
    std::string sequence;
    std::vector<ResidueIssue> warnings;
    std::vector<ResidueIssue> errors;
};

class ValidateProteinSequenceOwned : public testing::TestWithParam<ProteinCase> {};

TEST_P(ValidateProteinSequenceOwned, ClassifiesEveryResidue) {
    const ProteinCase& c = GetParam();
    const bool valid = c.warnings.empty() && c.errors.empty();
    EXPECT_EQ(validate_protein_sequence_owned("id1", c.input),
              (ValidatedSequence{"id1", c.sequence, "protein-20", c.warnings, c.errors, valid}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateProteinSequenceOwned,
    testing::Values(
        ProteinCase{"empty", "", "", {}, {}}, ProteinCase{"lower_case_and_asterisk", "mk*", "MK*", {}, {{3, U'*'}}},
        ProteinCase{"white_space_takes_no_position", "AC GX\t\r\n", "ACGX", {{4, U'X'}}, {}},
        ProteinCase{"all_ambiguous_and_digit", "bjouxz1", "BJOUXZ1", issues_from(1, U"BJOUXZ"), {{7, U'1'}}},
        ProteinCase{"vertical_tab_kept", "a\vc", "A\vC", {}, {{2, U'\v'}}},
        ProteinCase{
            "non_ascii_counts_characters", "A\u00e9c\u4e00", "A\u00e9C\u4e00", {}, {{2, U'\u00e9'}, {4, U'\u4e00'}}},
        // Byte normalization may turn broken UTF-8 into valid text; validity is judged afterwards.
        ProteinCase{"space_inside_a_character", "A\xc3 \xa9", "A\u00e9", {}, {{2, U'\u00e9'}}},
        ProteinCase{"invalid_utf8_byte_positions", "A\377c", "A\ufffdC", {}, {{2, U'\u00ff'}}},
        ProteinCase{"invalid_utf8_with_valid_character",
                    "\u00e9\377M\xe4\xb8",
                    "\u00e9\ufffdM\ufffd",
                    {},
                    {{1, U'\u00c3'}, {2, U'\u00a9'}, {3, U'\u00ff'}, {5, U'\u00e4'}, {6, U'\u00b8'}}}),
    [](const testing::TestParamInfo<ProteinCase>& info) { return std::string{info.param.name}; });

// ---------------------------------------------------------------------------------------------
// Kind-aware validation of one record

constexpr SequenceKind P = SequenceKind::protein;
constexpr SequenceKind D = SequenceKind::dna;
constexpr SequenceKind R = SequenceKind::rna;

// How messages name each kind and its alphabet, in kind order.
constexpr std::string_view kind_labels[] = {"protein", "DNA", "RNA"};
constexpr std::string_view kind_alphabets[] = {"protein-20", "dna-iupac", "rna-iupac"};

std::string_view label(SequenceKind kind) {
    return kind_labels[static_cast<std::size_t>(kind)];
}

std::string_view alphabet(SequenceKind kind) {
    return kind_alphabets[static_cast<std::size_t>(kind)];
}

SequenceValidationIssue ambiguous(SequenceKind kind, std::size_t position, char residue) {
    return SequenceValidationIssue{
        fmt::format("{} symbol '{}' at position {} is ambiguous IUPAC code", label(kind), residue, position), position,
        static_cast<char32_t>(residue), IssueSeverity::warning, kind};
}

// `text` is the residue as UTF-8.
SequenceValidationIssue unsupported(SequenceKind kind, std::size_t position, char32_t residue, std::string_view text) {
    return SequenceValidationIssue{fmt::format("{} symbol '{}' at position {} is not supported by {}", label(kind),
                                               text, position, alphabet(kind)),
                                   position, residue, IssueSeverity::error, kind};
}

SequenceValidationIssue unsupported(SequenceKind kind, std::size_t position, char residue) {
    return unsupported(kind, position, static_cast<char32_t>(residue), std::string(1, residue));
}

struct KindCase {
    const char* name;
    SequenceKind kind;
    std::string input;
    std::string sequence;
    std::vector<SequenceValidationIssue> warnings;
    std::vector<SequenceValidationIssue> errors;
};

class ValidateSequenceRecord : public testing::TestWithParam<KindCase> {};

TEST_P(ValidateSequenceRecord, JudgesUnderTheKind) {
    const KindCase& c = GetParam();
    const bool valid = c.warnings.empty() && c.errors.empty();
    EXPECT_EQ(validate_sequence_record("r", c.input, c.kind),
              (ValidatedSequenceRecord{"r", c.sequence, std::string{alphabet(c.kind)}, c.warnings, c.errors,
                                       std::nullopt, valid, c.kind}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateSequenceRecord,
    testing::Values(
        KindCase{"protein_asterisk", P, "mk*", "MK*", {}, {unsupported(P, 3, '*')}},
        KindCase{"protein_u_after_space", P, "AC GU", "ACGU", {ambiguous(P, 4, 'U')}, {}},
        KindCase{"protein_nucleotides", P, "ACGT", "ACGT", {}, {}},
        KindCase{"dna_u", D, "ACGU", "ACGU", {}, {unsupported(D, 4, 'U')}},
        KindCase{"dna_n", D, "ACGTN", "ACGTN", {ambiguous(D, 5, 'N')}, {}},
        KindCase{"dna_z_outside_mask", D, "ACGz", "ACGZ", {}, {unsupported(D, 4, 'Z')}},
        KindCase{"dna_at_sign_below_mask", D, "@A", "@A", {}, {unsupported(D, 1, '@')}},
        KindCase{"rna_t", R, "ACGT", "ACGT", {}, {unsupported(R, 4, 'T')}},
        KindCase{"rna_ambiguity_code", R, "acgun", "ACGUN", {ambiguous(R, 5, 'N')}, {}},
        KindCase{"empty", D, "", "", {}, {}},
        KindCase{"ascii_vertical_tab_kept", D, "a\vc", "A\vC", {}, {unsupported(D, 2, '\v')}},
        KindCase{"unicode_white_space_dropped", D, "a\u00a0c\v\u3000g", "ACG", {}, {}},
        KindCase{
            "non_ascii_counts_characters", P, "A\u00e9c", "A\u00e9C", {}, {unsupported(P, 2, U'\u00e9', "\u00e9")}},
        KindCase{"non_ascii_text_upper_cases_ascii_letters",
                 D,
                 "\u00e9n",
                 "\u00e9N",
                 {ambiguous(D, 2, 'N')},
                 {unsupported(D, 1, U'\u00e9', "\u00e9")}},
        KindCase{"invalid_utf8_read_lossily", R, "a\377u", "A\ufffdU", {}, {unsupported(R, 2, U'\ufffd', "\ufffd")}}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string{info.param.name}; });

// ---------------------------------------------------------------------------------------------
// Selection, per-record and whole-input kind-aware validation

TEST(ValidateRecordForSelection, ExplicitKindsSkipDetectionAutoKeepsIt) {
    // ACGTN is valid protein, ambiguous DNA and unsupported RNA: three different records.
    for (const auto& [selection, kind] :
         {std::pair{SequenceKindSelection::protein, P}, std::pair{SequenceKindSelection::dna, D},
          std::pair{SequenceKindSelection::rna, R}}) {
        EXPECT_EQ(validate_record_for_selection("s", "ACGTN", selection), validate_sequence_record("s", "ACGTN", kind));
    }
    // Letters shared by all three alphabets make a DNA record, whose M, K and V are ambiguity codes.
    ValidatedSequenceRecord shared = validate_sequence_record("s", "MKV", D);
    ASSERT_EQ(shared.warnings.size(), 3U);
    shared.detection = SequenceKindDetection{{P, D, R}, true, D};
    EXPECT_EQ(validate_record_for_selection("s", "MKV", SequenceKindSelection::auto_detect), shared);
    ValidatedSequenceRecord rna = validate_sequence_record("s", "ACGU", R);
    rna.detection = SequenceKindDetection{{P, R}, true, R};
    EXPECT_EQ(validate_record_for_selection("s", "ACGU", SequenceKindSelection::auto_detect), rna);
}

std::vector<ValidatedSequenceRecord> records_for(SequenceKindSelection selection,
                                                 const std::vector<std::pair<std::string, std::string>>& records) {
    std::vector<ValidatedSequenceRecord> validated;
    for (const auto& [id, sequence] : records) {
        validated.push_back(validate_record_for_selection(id, sequence, selection));
    }
    return validated;
}

// Auto judges each record on its own; an explicit kind applies to every record. In the second case
// every count but the kinds' differs, so a count that takes another's value is seen.
TEST(ValidateFastaInputWithKind, BuildsRecordsAndCounts) {
    const struct {
        SequenceKindSelection selection;
        std::string_view text;
        std::vector<std::pair<std::string, std::string>> records;
        KindAwareValidationReport counts;
    } cases[] = {
        {SequenceKindSelection::auto_detect,
         ">p\nMKTAYIAKQR\n>d one\nacg\ntn\n>x\nMKE*\n",
         {{"p", "MKTAYIAKQR"}, {"d", "ACGTN"}, {"x", "MKE*"}},
         {{}, 3, 1, 1, 1, 2, 1, 0}},
        {SequenceKindSelection::rna,
         ">a\nACGU\n>b\nNN\n>c\nTTTT\n",
         {{"a", "ACGU"}, {"b", "NN"}, {"c", "TTTT"}},
         {{}, 3, 1, 2, 4, 0, 0, 3}},
    };
    for (const auto& c : cases) {
        KindAwareValidationReport expected = c.counts;
        expected.sequences = records_for(c.selection, c.records);
        EXPECT_EQ(validate_fasta_input_with_kind(c.text, c.selection), expected);
    }
}

// The text the stream writes record by record is the whole report's, counts included.
TEST(ValidationReportJsonFromStream, IsTheJsonOfTheTextFunctionsReport) {
    for (const std::string_view text : {">p\nMKTAYIAKQR\n>d one\r\nacg\r\ntn\n>x\nMKE*", ">a\nmk1\n\n>b\n**\n"}) {
        for (const auto selection : {std::optional<SequenceKindSelection>{}, std::optional{SequenceKindSelection::dna},
                                     std::optional{SequenceKindSelection::auto_detect}}) {
            SequenceValidationReport expected =
                selection ? to_sequence_validation_report(validate_fasta_input_with_kind(text, *selection))
                          : validate_fasta_input(text);
            MemoryByteLineReader reader{text};
            std::string json;
            const SequenceValidationReport counts = write_validation_report_json_from_stream(
                reader, selection, [&json](std::string_view piece) { json += piece; });
            EXPECT_EQ(json, json::json_text(expected));
            expected.sequences.clear();
            EXPECT_EQ(counts, expected);
        }
    }
    MemoryByteLineReader empty{""};
    const auto never = [](std::string_view) { FAIL() << "nothing is written for a failed input"; };
    EXPECT_EQ(failure_of<FastaReadError>(
                  [&] { return write_validation_report_json_from_stream(empty, std::nullopt, never); }),
              empty_input());
}

TEST(SequenceValidationReportJson, PiecesMakeTheReportsText) {
    SequenceValidationReport report;
    for (const std::string_view sequence : {"MKV", "MKB", "M*", "A"}) {
        append_validated_sequence(report, validate_protein_sequence_owned("r", std::string{sequence}));
    }
    // Counts, then each record as its own piece or all of them in one, then the list's end and the brace.
    for (const auto& [piece_size, piece_count] : {std::pair{1U, 7U}, std::pair{1000U, 3U}}) {
        SequenceValidationReportJson json{piece_size};
        for (const ValidatedSequence& sequence : report.sequences) {
            json.append(sequence);
        }
        std::string text;
        std::size_t pieces = 0;
        json.finish([&](std::string_view piece) {
            text += piece;
            ++pieces;
        });
        EXPECT_EQ(text, json::json_text(report)) << piece_size;
        EXPECT_EQ(pieces, piece_count) << piece_size;
    }
}

// The scanner's own failures are its tests'; the kind-aware sink must still refuse a record
// without a sequence.
TEST(ValidateFastaInputWithKind, RecordWithoutSequenceFails) {
    EXPECT_EQ(failure_of<TamriError>(
                  [] { return validate_fasta_input_with_kind(">a\nAC\n>b\n", SequenceKindSelection::dna); }),
              missing_sequence("b", 3, 1));
}

// ---------------------------------------------------------------------------------------------
// Reports, conversion and JSON

TEST(ToSequenceValidationReport, KeepsSixFieldsAndFourCounts) {
    const std::vector<ValidatedSequence> sequences{
        {"a", "ACGTNN*", "dna-iupac", issues_from(5, U"NN"), {{7, U'*'}}, false},
        {"b", "ACGU", "rna-iupac", {}, {}, true}};
    EXPECT_EQ(to_sequence_validation_report(
                  validate_fasta_input_with_kind(">a\nacgtnn*\n>b\nACGU\n", SequenceKindSelection::auto_detect)),
              (SequenceValidationReport{sequences, 2, 1, 2, 1}));
}

TEST(ValidationJson, ControlAndNonAsciiResidues) {
    EXPECT_EQ(json::json_text(validate_protein_sequence_owned("c", "\x01\xc3\xa9")),
              "{\"id\":\"c\",\"sequence\":\"\\u0001\xc3\xa9\",\"alphabet\":\"protein-20\",\"valid\":false,"
              "\"warnings\":[],\"errors\":[{\"residue\":\"\\u0001\",\"position\":1},"
              "{\"residue\":\"\xc3\xa9\",\"position\":2}]}");
}

}  // namespace
}  // namespace tamri
