#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/validation.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamri {
namespace {

ValidatedSequence protein(std::string id, std::string sequence, std::vector<ResidueIssue> warnings = {},
                          std::vector<ResidueIssue> errors = {}) {
    const bool valid = warnings.empty() && errors.empty();
    return ValidatedSequence{std::move(id),       std::move(sequence), "protein-20",
                             std::move(warnings), std::move(errors),   valid};
}

// A record without a sequence fails with its header line and leaves nothing behind; the scanner's
// failures reach the caller.
TEST(ValidatedRecordSink, HandsTheBufferOverAndStartsEmpty) {
    EXPECT_EQ(failure_of<TamriError>([] { return validate_fasta_input("\n\nMKV"); }), missing_header(3));
    ValidatedRecordSink sink;
    EXPECT_EQ(failure_of<TamriError>([&] { sink.finish_record("q", 7, 2); }), missing_sequence("q", 7, 2));
    sink.push_sequence_line("mk");
    sink.push_sequence_line_bytes("v x");
    sink.finish_record("a", 1, 0);
    EXPECT_TRUE(sink.sequence.empty());
    sink.push_sequence_line("M");
    sink.finish_record("b", 3, 1);
    EXPECT_EQ(sink.report,
              (SequenceValidationReport{{protein("a", "MKVX", {{4, U'X'}}), protein("b", "M")}, 2, 1, 1, 0}));
}

// Every count differs, so a key that writes another count's value is seen. Positions count residues
// across lines, blank lines and line ends.
TEST(ValidateFastaInput, ReportJson) {
    EXPECT_EQ(
        json::json_text(validate_fasta_input(">a desc\r\nmk\r\n\r\n  xb*\n>b\nMKV\n>c\n**-\n")),
        R"({"records":3,"valid_records":1,"warning_count":2,"error_count":4,"sequences":[)"
        R"({"id":"a","sequence":"MKXB*","alphabet":"protein-20","valid":false,)"
        R"("warnings":[{"residue":"X","position":3},{"residue":"B","position":4}],)"
        R"("errors":[{"residue":"*","position":5}]},)"
        R"({"id":"b","sequence":"MKV","alphabet":"protein-20","valid":true,"warnings":[],"errors":[]},)"
        R"({"id":"c","sequence":"**-","alphabet":"protein-20","valid":false,"warnings":[],)"
        R"("errors":[{"residue":"*","position":1},{"residue":"*","position":2},{"residue":"-","position":3}]}]})");
}

}  // namespace
}  // namespace tamri
