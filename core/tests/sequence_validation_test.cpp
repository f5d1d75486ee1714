#include "error.hpp"
#include "sequence/kind_validation.hpp"
#include "sequence/report.hpp"
#include "sequence/validation.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tamri {
namespace {

// ---------------------------------------------------------------------------------------------
// Alphabets

ResidueClass expected_class(unsigned char byte, std::string_view standard, std::string_view ambiguous) {
    const auto member = [byte](std::string_view set) {
        return byte != 0 && set.find(static_cast<char>(byte)) != set.npos;
    };
    if (member(standard)) {
        return ResidueClass::standard;
    }
    return member(ambiguous) ? ResidueClass::ambiguous : ResidueClass::unsupported;
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
    const ValidatedSequence result = validate_protein_sequence_owned("id1", c.input);
    EXPECT_EQ(result.id, "id1");
    EXPECT_EQ(result.alphabet, "protein-20");
    EXPECT_EQ(result.sequence, c.sequence);
    EXPECT_EQ(result.warnings, c.warnings);
    EXPECT_EQ(result.errors, c.errors);
    EXPECT_EQ(result.valid, c.warnings.empty() && c.errors.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateProteinSequenceOwned,
    testing::Values(ProteinCase{"standard_twenty", "ACDEFGHIKLMNPQRSTVWY", "ACDEFGHIKLMNPQRSTVWY", {}, {}},
                    ProteinCase{"empty", "", "", {}, {}}, ProteinCase{"ambiguous_x", "MKX", "MKX", {{3, U'X'}}, {}},
                    ProteinCase{"lower_case_and_asterisk", "mk*", "MK*", {}, {{3, U'*'}}},
                    ProteinCase{"u_is_ambiguous", "MU", "MU", {{2, U'U'}}, {}},
                    ProteinCase{"white_space_takes_no_position", "AC GX\t\r\n", "ACGX", {{4, U'X'}}, {}},
                    ProteinCase{"all_ambiguous_and_digit",
                                "bjouxz1",
                                "BJOUXZ1",
                                {{1, U'B'}, {2, U'J'}, {3, U'O'}, {4, U'U'}, {5, U'X'}, {6, U'Z'}},
                                {{7, U'1'}}},
                    ProteinCase{"vertical_tab_kept", "a\vc", "A\vC", {}, {{2, U'\v'}}},
                    ProteinCase{"non_ascii_counts_characters",
                                "A\xc3\xa9"
                                "c\xe4\xb8\x80",
                                "A\xc3\xa9"
                                "C\xe4\xb8\x80",
                                {},
                                {{2, U'\u00e9'}, {4, U'\u4e00'}}},
                    // Byte normalization may turn broken UTF-8 into valid text; validity is judged afterwards.
                    ProteinCase{"space_inside_a_character", "A\xc3 \xa9", "A\xc3\xa9", {}, {{2, U'\u00e9'}}},
                    ProteinCase{"invalid_utf8_byte_positions",
                                "A\xff"
                                "c",
                                "A\xef\xbf\xbd"
                                "C",
                                {},
                                {{2, U'\u00ff'}}},
                    ProteinCase{"invalid_utf8_with_valid_character",
                                "\xc3\xa9\xff"
                                "M\xe4\xb8",
                                "\xc3\xa9\xef\xbf\xbdM\xef\xbf\xbd",
                                {},
                                {{1, U'\u00c3'}, {2, U'\u00a9'}, {3, U'\u00ff'}, {5, U'\u00e4'}, {6, U'\u00b8'}}}),
    [](const testing::TestParamInfo<ProteinCase>& info) { return std::string{info.param.name}; });

TEST(ForEachNormalizedResidue, AppendsToTheGivenLists) {
    std::vector<ResidueIssue> warnings{{9, U'Q'}};
    std::vector<ResidueIssue> errors;
    for_each_normalized_residue("X-\xc3\xa9", warnings, errors);
    EXPECT_EQ(warnings, (std::vector<ResidueIssue>{{9, U'Q'}, {1, U'X'}}));
    EXPECT_EQ(errors, (std::vector<ResidueIssue>{{2, U'-'}, {3, U'\u00e9'}}));
}

// ---------------------------------------------------------------------------------------------
// Kind-aware validation of one record

SequenceValidationIssue warning(SequenceKind kind, std::size_t position, char32_t residue, std::string message) {
    return SequenceValidationIssue{std::move(message), position, residue, IssueSeverity::warning, kind};
}

SequenceValidationIssue error(SequenceKind kind, std::size_t position, char32_t residue, std::string message) {
    return SequenceValidationIssue{std::move(message), position, residue, IssueSeverity::error, kind};
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
    const ValidatedSequenceRecord record = validate_sequence_record("r", c.input, c.kind);
    EXPECT_EQ(record.id, "r");
    EXPECT_EQ(record.sequence, c.sequence);
    EXPECT_EQ(record.alphabet, sequence_kind_alphabet(c.kind));
    EXPECT_EQ(record.kind, c.kind);
    EXPECT_EQ(record.detection, std::nullopt);
    EXPECT_EQ(record.warnings, c.warnings);
    EXPECT_EQ(record.errors, c.errors);
    EXPECT_EQ(record.valid, c.warnings.empty() && c.errors.empty());
}

constexpr SequenceKind P = SequenceKind::protein;
constexpr SequenceKind D = SequenceKind::dna;
constexpr SequenceKind R = SequenceKind::rna;

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateSequenceRecord,
    testing::Values(
        KindCase{"protein_asterisk",
                 P,
                 "mk*",
                 "MK*",
                 {},
                 {error(P, 3, U'*', "protein symbol '*' at position 3 is not supported by protein-20")}},
        KindCase{"protein_u",
                 P,
                 "MU",
                 "MU",
                 {warning(P, 2, U'U', "protein symbol 'U' at position 2 is ambiguous IUPAC code")},
                 {}},
        KindCase{"protein_nucleotides", P, "ACGT", "ACGT", {}, {}},
        KindCase{"protein_space_skipped",
                 P,
                 "AC GX",
                 "ACGX",
                 {warning(P, 4, U'X', "protein symbol 'X' at position 4 is ambiguous IUPAC code")},
                 {}},
        KindCase{"dna_u",
                 D,
                 "ACGU",
                 "ACGU",
                 {},
                 {error(D, 4, U'U', "DNA symbol 'U' at position 4 is not supported by dna-iupac")}},
        KindCase{"dna_n",
                 D,
                 "ACGTN",
                 "ACGTN",
                 {warning(D, 5, U'N', "DNA symbol 'N' at position 5 is ambiguous IUPAC code")},
                 {}},
        KindCase{"dna_z_outside_mask",
                 D,
                 "ACGz",
                 "ACGZ",
                 {},
                 {error(D, 4, U'Z', "DNA symbol 'Z' at position 4 is not supported by dna-iupac")}},
        KindCase{"dna_at_sign_below_mask",
                 D,
                 "@A",
                 "@A",
                 {},
                 {error(D, 1, U'@', "DNA symbol '@' at position 1 is not supported by dna-iupac")}},
        KindCase{"rna_t",
                 R,
                 "ACGT",
                 "ACGT",
                 {},
                 {error(R, 4, U'T', "RNA symbol 'T' at position 4 is not supported by rna-iupac")}},
        KindCase{"rna_lower_case", R, "acgu\n", "ACGU", {}, {}},
        KindCase{"rna_all_ambiguity_codes",
                 R,
                 "bdhkmnrsvwy",
                 "BDHKMNRSVWY",
                 {warning(R, 1, U'B', "RNA symbol 'B' at position 1 is ambiguous IUPAC code"),
                  warning(R, 2, U'D', "RNA symbol 'D' at position 2 is ambiguous IUPAC code"),
                  warning(R, 3, U'H', "RNA symbol 'H' at position 3 is ambiguous IUPAC code"),
                  warning(R, 4, U'K', "RNA symbol 'K' at position 4 is ambiguous IUPAC code"),
                  warning(R, 5, U'M', "RNA symbol 'M' at position 5 is ambiguous IUPAC code"),
                  warning(R, 6, U'N', "RNA symbol 'N' at position 6 is ambiguous IUPAC code"),
                  warning(R, 7, U'R', "RNA symbol 'R' at position 7 is ambiguous IUPAC code"),
                  warning(R, 8, U'S', "RNA symbol 'S' at position 8 is ambiguous IUPAC code"),
                  warning(R, 9, U'V', "RNA symbol 'V' at position 9 is ambiguous IUPAC code"),
                  warning(R, 10, U'W', "RNA symbol 'W' at position 10 is ambiguous IUPAC code"),
                  warning(R, 11, U'Y', "RNA symbol 'Y' at position 11 is ambiguous IUPAC code")},
                 {}},
        KindCase{"empty", D, "", "", {}, {}},
        KindCase{"ascii_vertical_tab_kept",
                 D,
                 "a\vc",
                 "A\vC",
                 {},
                 {error(D, 2, U'\v', "DNA symbol '\v' at position 2 is not supported by dna-iupac")}},
        KindCase{"unicode_white_space_dropped",
                 D,
                 "a\xc2\xa0"
                 "c\v\xe3\x80\x80g",
                 "ACG",
                 {},
                 {}},
        KindCase{"non_ascii_counts_characters",
                 P,
                 "A\xc3\xa9"
                 "c",
                 "A\xc3\xa9"
                 "C",
                 {},
                 {error(P, 2, U'\u00e9', "protein symbol '\xc3\xa9' at position 2 is not supported by protein-20")}},
        KindCase{"invalid_utf8_read_lossily",
                 R,
                 "a\xff"
                 "u",
                 "A\xef\xbf\xbdU",
                 {},
                 {error(R, 2, U'\ufffd', "RNA symbol '\xef\xbf\xbd' at position 2 is not supported by rna-iupac")}}),
    [](const testing::TestParamInfo<KindCase>& info) { return std::string{info.param.name}; });

TEST(PushKindIssue, AdvancesThePositionForEverySymbol) {
    std::vector<SequenceValidationIssue> warnings;
    std::vector<SequenceValidationIssue> errors;
    std::size_t position = 0;
    push_kind_issue(U'A', position, D, warnings, errors);
    push_kind_issue(U'n', position, D, warnings, errors);
    push_kind_issue(U'\u00e9', position, D, warnings, errors);
    EXPECT_EQ(position, 3U);
    EXPECT_EQ(warnings, (std::vector{warning(D, 2, U'N', "DNA symbol 'N' at position 2 is ambiguous IUPAC code")}));
    EXPECT_EQ(
        errors,
        (std::vector{error(D, 3, U'\u00e9', "DNA symbol '\xc3\xa9' at position 3 is not supported by dna-iupac")}));
}

// ---------------------------------------------------------------------------------------------
// Selection, per-record and whole-input kind-aware validation

TEST(SequenceKindSelection, ParsesExactTextsOnly) {
    EXPECT_EQ(parse_enum<SequenceKindSelection>("auto"), SequenceKindSelection::auto_detect);
    EXPECT_EQ(parse_enum<SequenceKindSelection>("protein"), SequenceKindSelection::protein);
    EXPECT_EQ(parse_enum<SequenceKindSelection>("dna"), SequenceKindSelection::dna);
    EXPECT_EQ(parse_enum<SequenceKindSelection>("rna"), SequenceKindSelection::rna);
    for (const std::string_view bad : {"Protein", " dna", "rna ", "AUTO", "", "detect", "DNA"}) {
        EXPECT_EQ(parse_enum<SequenceKindSelection>(bad), std::nullopt) << '\'' << bad << '\'';
    }
}

struct SelectionCase {
    const char* name;
    SequenceKindSelection selection;
    std::string sequence;
    SequenceKind kind;
    std::optional<SequenceKindDetection> detection;
    std::size_t warnings;
    std::size_t errors;
};

class ValidateRecordForSelection : public testing::TestWithParam<SelectionCase> {};

TEST_P(ValidateRecordForSelection, ChoosesTheKind) {
    const SelectionCase& c = GetParam();
    const ValidatedSequenceRecord record = validate_record_for_selection("s", c.sequence, c.selection);
    EXPECT_EQ(record.kind, c.kind);
    EXPECT_EQ(record.alphabet, sequence_kind_alphabet(c.kind));
    EXPECT_EQ(record.detection, c.detection);
    EXPECT_EQ(record.warnings.size(), c.warnings);
    EXPECT_EQ(record.errors.size(), c.errors);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateRecordForSelection,
    testing::Values(SelectionCase{"dna_explicit", SequenceKindSelection::dna, "ACGTN", D, std::nullopt, 1, 0},
                    SelectionCase{"rna_explicit", SequenceKindSelection::rna, "ACGT", R, std::nullopt, 0, 1},
                    SelectionCase{"protein_explicit", SequenceKindSelection::protein, "ACGT", P, std::nullopt, 0, 0},
                    SelectionCase{"auto_dna", SequenceKindSelection::auto_detect, "ACGT", D,
                                  SequenceKindDetection{{P, D}, true, D}, 0, 0},
                    SelectionCase{"auto_protein", SequenceKindSelection::auto_detect, "MKTAYIAKQR", P,
                                  SequenceKindDetection{{P}, false, P}, 0, 0},
                    SelectionCase{"auto_rna", SequenceKindSelection::auto_detect, "ACGU", R,
                                  SequenceKindDetection{{P, R}, true, R}, 0, 0},
                    SelectionCase{"auto_shared_letters", SequenceKindSelection::auto_detect, "ACGN", D,
                                  SequenceKindDetection{{P, D, R}, true, D}, 1, 0},
                    // Letters shared by all three alphabets make a DNA record, whose M, K and V are ambiguity codes.
                    SelectionCase{"auto_shared_protein_letters", SequenceKindSelection::auto_detect, "MKV", D,
                                  SequenceKindDetection{{P, D, R}, true, D}, 3, 0},
                    SelectionCase{"auto_both_t_and_u", SequenceKindSelection::auto_detect, "ACGTU", P,
                                  SequenceKindDetection{{P}, false, P}, 1, 0}),
    [](const testing::TestParamInfo<SelectionCase>& info) { return std::string{info.param.name}; });

TEST(ValidateFastaInputWithKind, AutoJudgesRecordsIndependently) {
    const KindAwareValidationReport report = validate_fasta_input_with_kind(
        ">p\nMKTAYIAKQR\n>d one\nacg\ntn\n>x\nMKE*\n", SequenceKindSelection::auto_detect);
    ASSERT_EQ(report.sequences.size(), 3U);
    EXPECT_EQ(report.sequences[0].alphabet, "protein-20");
    EXPECT_EQ(report.sequences[1].id, "d");
    EXPECT_EQ(report.sequences[1].sequence, "ACGTN");
    EXPECT_EQ(report.sequences[1].alphabet, "dna-iupac");
    EXPECT_EQ(report.sequences[1].warnings,
              (std::vector{warning(D, 5, U'N', "DNA symbol 'N' at position 5 is ambiguous IUPAC code")}));
    EXPECT_EQ(report.sequences[2].kind, P);
    EXPECT_EQ(report.records, 3U);
    EXPECT_EQ(report.valid_records, 1U);
    EXPECT_EQ(report.warning_count, 1U);
    EXPECT_EQ(report.error_count, 1U);
    EXPECT_EQ(report.protein_records, 2U);
    EXPECT_EQ(report.dna_records, 1U);
    EXPECT_EQ(report.rna_records, 0U);
}

TEST(ValidateFastaInputWithKind, ExplicitKindAppliesToEveryRecord) {
    const KindAwareValidationReport report =
        validate_fasta_input_with_kind(">a\nACGT\n>b\nACGU\n", SequenceKindSelection::rna);
    ASSERT_EQ(report.sequences.size(), 2U);
    EXPECT_EQ(report.sequences[0].errors,
              (std::vector{error(R, 4, U'T', "RNA symbol 'T' at position 4 is not supported by rna-iupac")}));
    EXPECT_TRUE(report.sequences[1].valid);
    EXPECT_EQ(report.sequences[1].detection, std::nullopt);
    EXPECT_EQ(report.rna_records, 2U);
    EXPECT_EQ(report.protein_records + report.dna_records, 0U);
}

TEST(ValidateFastaInputWithKind, FastaFailuresWhateverTheSelection) {
    struct Failure {
        std::string fasta;
        std::string message;
        std::optional<DiagnosticLocation> location;
    };
    const Failure failures[] = {
        {"", "FASTA input is empty", std::nullopt},
        {"\v \n", "FASTA input is empty", std::nullopt},
        {"\n\nACGT", "FASTA input must start with a header line beginning with '>' at line 3",
         DiagnosticLocation{3, {}}},
        {">a\n>b\nAC", "FASTA record 'a' at index 0 does not contain a sequence", DiagnosticLocation{1, 0}},
        {">a\nAC\n>b\n", "FASTA record 'b' at index 1 does not contain a sequence", DiagnosticLocation{3, 1}},
        {">a\n>\nAC", "FASTA record at index 1 has an empty identifier", DiagnosticLocation{2, 1}},
    };
    for (const SequenceKindSelection selection : {SequenceKindSelection::protein, SequenceKindSelection::dna,
                                                  SequenceKindSelection::rna, SequenceKindSelection::auto_detect}) {
        for (const Failure& f : failures) {
            try {
                (void)validate_fasta_input_with_kind(f.fasta, selection);
                ADD_FAILURE() << "no TamriError for '" << f.fasta << "'";
            } catch (const TamriError& e) {
                EXPECT_EQ(e.message(), f.message) << enum_text(selection);
                EXPECT_EQ(e.location(), f.location) << f.message;
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Reports, conversion and JSON

ValidatedSequenceRecord kind_record(std::string id, SequenceKind kind, std::string sequence) {
    return validate_sequence_record(std::move(id), std::move(sequence), kind);
}

TEST(SummarizeValidatedSequenceRecords, EmptyListCountsNothing) {
    EXPECT_EQ(summarize_validated_sequence_records({}), KindAwareValidationReport{});
}

TEST(SummarizeValidatedSequenceRecords, CountsIssuesAndKindsInOrder) {
    std::vector<ValidatedSequenceRecord> records;
    records.push_back(kind_record("a", R, "ACGUN"));
    records.push_back(kind_record("b", D, "ACGT"));
    records.push_back(kind_record("c", R, "TTN"));
    const std::vector<ValidatedSequenceRecord> expected = records;
    const KindAwareValidationReport report = summarize_validated_sequence_records(std::move(records));
    EXPECT_EQ(report.sequences, expected);
    EXPECT_EQ(report.records, 3U);
    EXPECT_EQ(report.valid_records, 1U);
    EXPECT_EQ(report.warning_count, 2U);
    EXPECT_EQ(report.error_count, 2U);
    EXPECT_EQ(report.protein_records, 0U);
    EXPECT_EQ(report.dna_records, 1U);
    EXPECT_EQ(report.rna_records, 2U);
}

TEST(ToSequenceValidationReport, KeepsSixFieldsAndFourCounts) {
    SequenceValidationReport plain = to_sequence_validation_report(
        validate_fasta_input_with_kind(">a\nacgtn*\n>b\nACGU\n", SequenceKindSelection::auto_detect));
    EXPECT_EQ(plain.records, 2U);
    EXPECT_EQ(plain.valid_records, 1U);
    EXPECT_EQ(plain.warning_count, 1U);
    EXPECT_EQ(plain.error_count, 1U);
    EXPECT_EQ(plain.sequences,
              (std::vector<ValidatedSequence>{{"a", "ACGTN*", "dna-iupac", {{5, U'N'}}, {{6, U'*'}}, false},
                                              {"b", "ACGU", "rna-iupac", {}, {}, true}}));
}

TEST(ValidationJson, ValidatedSequenceKeyOrder) {
    EXPECT_EQ(to_json(validate_protein_sequence_owned("a\"1", "MKX")),
              R"({"id":"a\"1","sequence":"MKX","alphabet":"protein-20","valid":false,)"
              R"("warnings":[{"residue":"X","position":3}],"errors":[]})");
}

TEST(ValidationJson, ControlAndNonAsciiResidues) {
    EXPECT_EQ(to_json(validate_protein_sequence_owned("c", "\x01\xc3\xa9")),
              "{\"id\":\"c\",\"sequence\":\"\\u0001\xc3\xa9\",\"alphabet\":\"protein-20\",\"valid\":false,"
              "\"warnings\":[],\"errors\":[{\"residue\":\"\\u0001\",\"position\":1},"
              "{\"residue\":\"\xc3\xa9\",\"position\":2}]}");
}

TEST(ValidationJson, EmptyReport) {
    EXPECT_EQ(to_json(SequenceValidationReport{}),
              R"({"records":0,"valid_records":0,"warning_count":0,"error_count":0,"sequences":[]})");
}

}  // namespace
}  // namespace tamri
