#include "fasta_validation.hpp"
#include "error.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tamri {
namespace {

struct ReportCase {
    const char* name;
    std::string fasta;
    std::vector<ValidatedSequence> sequences;
    std::size_t valid_records;
    std::size_t warning_count;
    std::size_t error_count;
};

ValidatedSequence protein(std::string id, std::string sequence, std::vector<ResidueIssue> warnings = {},
                          std::vector<ResidueIssue> errors = {}) {
    const bool valid = warnings.empty() && errors.empty();
    return ValidatedSequence{std::move(id),       std::move(sequence), "protein-20",
                             std::move(warnings), std::move(errors),   valid};
}

class ValidateFastaInputReport : public testing::TestWithParam<ReportCase> {};

TEST_P(ValidateFastaInputReport, BuildsSequencesAndCounts) {
    const ReportCase& c = GetParam();
    const SequenceValidationReport report = validate_fasta_input(c.fasta);
    EXPECT_EQ(report.sequences, c.sequences);
    EXPECT_EQ(report.records, c.sequences.size());
    EXPECT_EQ(report.valid_records, c.valid_records);
    EXPECT_EQ(report.warning_count, c.warning_count);
    EXPECT_EQ(report.error_count, c.error_count);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateFastaInputReport,
    testing::Values(
        ReportCase{"single_valid", ">a\nMKV", {protein("a", "MKV")}, 1, 0, 0},
        ReportCase{
            "lines_normalized_and_joined", ">a\nmk\nx*\n", {protein("a", "MKX*", {{3, U'X'}}, {{4, U'*'}})}, 0, 1, 1},
        ReportCase{"second_record_ambiguous",
                   ">a desc\nMKV\n>b\nMKB\n",
                   {protein("a", "MKV"), protein("b", "MKB", {{3, U'B'}})},
                   1,
                   1,
                   0},
        ReportCase{"interior_spaces_dropped", ">a\nMK V\n", {protein("a", "MKV")}, 1, 0, 0},
        ReportCase{"positions_span_lines_and_blank_lines",
                   ">a\r\nMKV\r\n\r\n  mk1\n>b\n**\n",
                   {protein("a", "MKVMK1", {}, {{6, U'1'}}), protein("b", "**", {}, {{1, U'*'}, {2, U'*'}})},
                   0,
                   0,
                   3},
        ReportCase{"non_ascii_counted_in_characters",
                   ">a\nA\xc3\xa9"
                   "C\xe2\x80\x83"
                   "D\n",
                   {protein("a",
                            "A\xc3\xa9"
                            "CD",
                            {}, {{2, U'\u00e9'}})},
                   0,
                   0,
                   1}),
    [](const testing::TestParamInfo<ReportCase>& info) { return std::string{info.param.name}; });

struct FailureCase {
    const char* name;
    std::string fasta;
    std::string_view code;
    std::string message;
    std::optional<DiagnosticLocation> location;
};

class ValidateFastaInputFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(ValidateFastaInputFailure, ThrowsTheFastaError) {
    const FailureCase& c = GetParam();
    try {
        (void)validate_fasta_input(c.fasta);
        FAIL() << "no TamriError thrown";
    } catch (const TamriError& error) {
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.message(), c.message);
        EXPECT_EQ(error.location(), c.location);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateFastaInputFailure,
    testing::Values(FailureCase{"empty", "", "fasta.empty_input", "FASTA input is empty", std::nullopt},
                    FailureCase{"white_space_only", " \n\t\r\n", "fasta.empty_input", "FASTA input is empty",
                                std::nullopt},
                    FailureCase{"sequence_before_header", "MKV\n>a\nMKV", "fasta.missing_header",
                                "FASTA input must start with a header line beginning with '>' at line 1",
                                DiagnosticLocation{1, {}}},
                    FailureCase{"header_followed_by_header", ">a\n>b\nMKV", "fasta.missing_sequence",
                                "FASTA record 'a' at index 0 does not contain a sequence", DiagnosticLocation{1, 0}},
                    FailureCase{"blank_sequence_lines_only", ">x\nMKV\n\n>a\n \t \n", "fasta.missing_sequence",
                                "FASTA record 'a' at index 1 does not contain a sequence", DiagnosticLocation{4, 1}},
                    FailureCase{"header_without_identifier", ">a\nMK\n>  \nGG", "fasta.missing_identifier",
                                "FASTA record at index 1 has an empty identifier", DiagnosticLocation{3, 1}}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string{info.param.name}; });

TEST(ValidatedRecordSink, HandsTheBufferOverAndStartsEmpty) {
    ValidatedRecordSink sink;
    sink.push_sequence_line("mk");
    sink.push_sequence_line_bytes("v x");
    sink.finish_record("a", 1, 0);
    EXPECT_TRUE(sink.sequence.empty());
    sink.push_sequence_line("M");
    sink.finish_record("b", 3, 1);
    EXPECT_EQ(sink.report.sequences, (std::vector{protein("a", "MKVX", {{4, U'X'}}), protein("b", "M")}));
    EXPECT_EQ(sink.report.records, 2U);
    EXPECT_EQ(sink.report.valid_records, 1U);
    EXPECT_EQ(sink.report.warning_count, 1U);
}

TEST(ValidatedRecordSink, RecordWithoutSequenceFailsWithItsHeaderLine) {
    ValidatedRecordSink sink;
    try {
        sink.finish_record("q", 7, 2);
        FAIL() << "no TamriError thrown";
    } catch (const TamriError& error) {
        EXPECT_EQ(error.message(), "FASTA record 'q' at index 2 does not contain a sequence");
        EXPECT_EQ(error.location(), (DiagnosticLocation{7, 2}));
    }
    EXPECT_TRUE(sink.report.sequences.empty());
}

TEST(ValidateFastaInput, ReportJson) {
    EXPECT_EQ(to_json(validate_fasta_input(">a\nmk\nx*\n>b\nMKV\n")),
              R"({"records":2,"valid_records":1,"warning_count":1,"error_count":1,"sequences":[)"
              R"({"id":"a","sequence":"MKX*","alphabet":"protein-20","valid":false,)"
              R"("warnings":[{"residue":"X","position":3}],"errors":[{"residue":"*","position":4}]},)"
              R"({"id":"b","sequence":"MKV","alphabet":"protein-20","valid":true,"warnings":[],"errors":[]}]})");
}

}  // namespace
}  // namespace tamri
