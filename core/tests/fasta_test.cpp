#include "fasta.hpp"
#include "error.hpp"
#include "fasta_scan.hpp"

#include <gtest/gtest.h>

namespace tamri {
namespace {

struct RecordsCase {
    std::string name;
    std::string text;
    std::vector<ProteinSequence> records;
};

class FastaRecords : public ::testing::TestWithParam<RecordsCase> {};

TEST_P(FastaRecords, ParsesRecords) {
    EXPECT_EQ(parse_fasta_records(GetParam().text), GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FastaRecords,
    ::testing::Values(
        RecordsCase{"crlf", ">a\r\nac gt\r\n", {{"a", "ACGT"}}},
        RecordsCase{"description_and_blank_lines", ">seq1 some description\nAC\n\nGT\n", {{"seq1", "ACGT"}}},
        RecordsCase{"two_records", ">a\nAC\n>b\nGT\n", {{"a", "AC"}, {"b", "GT"}}},
        RecordsCase{"indented_header", "  >x\nmk\n", {{"x", "MK"}}},
        RecordsCase{"tab_separated_identifier", ">\tid\tdesc\nM", {{"id", "M"}}},
        RecordsCase{"no_comment_lines", ">a\n;x*-1\n", {{"a", ";X*-1"}}},
        RecordsCase{"non_ascii_residue_kept", ">a\nm\u00e9k\n", {{"a", "M\u00e9K"}}},
        RecordsCase{"unicode_identifier_split", ">\u00e9t\u00e9\u3000desc\nA\n", {{"\u00e9t\u00e9", "A"}}},
        RecordsCase{"unicode_white_space_trimmed", "\u00a0>a\u00a0\n\u3000ac\u00a0\n", {{"a", "AC"}}},
        RecordsCase{"bare_carriage_return_in_line", ">a\nA\rC\n", {{"a", "AC"}}},
        RecordsCase{"no_final_line_feed", ">a\nAC", {{"a", "AC"}}},
        RecordsCase{"vertical_tab_kept_in_ascii_line", ">a\nA\vC\n", {{"a", "A\vC"}}},
        RecordsCase{"embedded_nul_is_data", std::string(">a\nA\0C\n", 7), {{"a", std::string("A\0C", 3)}}}),
    [](const auto& info) { return info.param.name; });

struct FailureCase {
    std::string name;
    std::string text;
    std::string code;
    std::string message;
    std::optional<DiagnosticLocation> location;
};

class FastaFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FastaFailures, ReportsCodeMessageAndLocation) {
    const FailureCase& c = GetParam();
    try {
        (void)parse_fasta_records(c.text);
        FAIL() << "expected a failure";
    } catch (const TamriError& error) {
        EXPECT_EQ(error.code(), c.code);
        EXPECT_EQ(error.message(), c.message);
        EXPECT_EQ(error.location(), c.location);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FastaFailures,
    ::testing::Values(FailureCase{"empty", "", "fasta.empty_input", "FASTA input is empty", std::nullopt},
                      FailureCase{"blank_lines", "\n\n  \n", "fasta.empty_input", "FASTA input is empty", std::nullopt},
                      FailureCase{"unicode_blank", "\u3000\v\u00a0", "fasta.empty_input", "FASTA input is empty",
                                  std::nullopt},
                      FailureCase{"sequence_first", "ACGT\n>a\nAC", "fasta.missing_header",
                                  "FASTA input must start with a header line beginning with '>' at line 1",
                                  DiagnosticLocation{1, std::nullopt}},
                      FailureCase{"blank_lines_counted", "\n\nACGT", "fasta.missing_header",
                                  "FASTA input must start with a header line beginning with '>' at line 3",
                                  DiagnosticLocation{3, std::nullopt}},
                      FailureCase{"header_then_header", ">a\n>b\nAC", "fasta.missing_sequence",
                                  "FASTA record 'a' at index 0 does not contain a sequence", DiagnosticLocation{1, 0}},
                      FailureCase{"last_record_empty", ">a\nAC\n>b\n", "fasta.missing_sequence",
                                  "FASTA record 'b' at index 1 does not contain a sequence", DiagnosticLocation{3, 1}},
                      FailureCase{"white_space_only_sequence", ">a\n \t \n\n", "fasta.missing_sequence",
                                  "FASTA record 'a' at index 0 does not contain a sequence", DiagnosticLocation{1, 0}},
                      FailureCase{"blank_identifier", ">a\nAC\n>  \nGG", "fasta.missing_identifier",
                                  "FASTA record at index 1 has an empty identifier", DiagnosticLocation{3, 1}},
                      FailureCase{"identifier_checked_before_open_record", ">a\n>\n", "fasta.missing_identifier",
                                  "FASTA record at index 1 has an empty identifier", DiagnosticLocation{2, 1}},
                      FailureCase{"unicode_blank_identifier", ">\u3000\nA", "fasta.missing_identifier",
                                  "FASTA record at index 0 has an empty identifier", DiagnosticLocation{1, 0}}),
    [](const auto& info) { return info.param.name; });

TEST(FastaIdentifier, AsciiAndUnicodeRules) {
    EXPECT_EQ(fasta_id_bytes_with_ascii("  id desc", true), "id");
    EXPECT_EQ(fasta_id_bytes_with_ascii("\vid", true), "\vid");  // VT is not ASCII white space
    EXPECT_EQ(fasta_id_bytes_with_ascii(" \t", true), std::nullopt);
    EXPECT_EQ(fasta_id_bytes_with_ascii("\u2003\u00e9x\u00a0y", false), "\u00e9x");
    EXPECT_EQ(fasta_id_bytes_with_ascii("\vid", false), "id");  // VT is Unicode white space
    EXPECT_EQ(fasta_id_bytes_with_ascii(std::string_view{"id\xff", 3}, false), std::nullopt);
}

TEST(FastaTrim, AsciiLinesKeepVerticalTabUnicodeLinesDoNot) {
    EXPECT_EQ(trim_fasta_line("\v>a \r"), "\v>a");
    EXPECT_EQ(trim_fasta_line("\v>\u00e9\u3000"), ">\u00e9");
}

}  // namespace
}  // namespace tamri
