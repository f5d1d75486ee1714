#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/kind_validation.hpp"
#include "tamri/model_input/model_input.hpp"
#include "tamri/package/report/report.hpp"
#include "tamri/tokenizer/types.hpp"

#include <gtest/gtest.h>

#include <set>

namespace tamri {
namespace {

void expect_unlocated(const Diagnostic& error, std::string_view code, std::string_view message) {
    EXPECT_EQ(error.code(), code);
    EXPECT_EQ(error.message(), message);
    EXPECT_EQ(error.location(), std::nullopt);
}

TEST(Diagnostics, FastaErrorsCarryCodeMessageAndLocation) {
    const TamriError empty = TamriError::empty_input();
    EXPECT_EQ(empty.code(), "fasta.empty_input");
    EXPECT_EQ(empty.message(), "FASTA input is empty");
    EXPECT_EQ(empty.location(), std::nullopt);

    const TamriError no_id = TamriError::missing_identifier(3, 1);
    EXPECT_EQ(no_id.code(), "fasta.missing_identifier");
    EXPECT_EQ(no_id.message(), "FASTA record at index 1 has an empty identifier");
    EXPECT_EQ(no_id.location(), (DiagnosticLocation{3, 1}));

    const TamriError no_header = TamriError::missing_header(7);
    EXPECT_EQ(no_header.code(), "fasta.missing_header");
    EXPECT_EQ(no_header.message(), "FASTA input must start with a header line beginning with '>' at line 7");
    EXPECT_EQ(no_header.location(), (DiagnosticLocation{7, std::nullopt}));

    const TamriError no_sequence = TamriError::missing_sequence("seq 1", 12, 4);
    EXPECT_EQ(no_sequence.code(), "fasta.missing_sequence");
    EXPECT_EQ(no_sequence.message(), "FASTA record 'seq 1' at index 4 does not contain a sequence");
    EXPECT_EQ(no_sequence.location(), (DiagnosticLocation{12, 4}));
}

TEST(Diagnostics, FastaReadErrorPassesFastaErrorsThroughAndHasNoLocationForIo) {
    const FastaReadError wrapped{TamriError::missing_header(2)};
    EXPECT_EQ(wrapped.code(), "fasta.missing_header");
    EXPECT_EQ(wrapped.message(), "FASTA input must start with a header line beginning with '>' at line 2");
    EXPECT_EQ(wrapped.location(), (DiagnosticLocation{2, std::nullopt}));

    const FastaReadError io{ReadFailure{ReadFailure::Kind::invalid_data,
                                        "FASTA input contains invalid UTF-8 at line 2: "
                                        "invalid utf-8 sequence of 1 bytes from index 2"}};
    EXPECT_EQ(io.code(), "io.read_failed");
    EXPECT_EQ(io.message(),
              "FASTA input contains invalid UTF-8 at line 2: invalid utf-8 sequence of 1 bytes from index 2");
    EXPECT_EQ(io.location(), std::nullopt);
}

TEST(Diagnostics, ModelInputErrorsHaveNoLocationAndShareTheSequenceCode) {
    expect_unlocated(ModelInputBuildError::invalid_policy("max_length must be greater than zero"),
                     "model_input.invalid_policy", "invalid model input policy: max_length must be greater than zero");
    expect_unlocated(ModelInputBuildError::invalid_workflow_input_hash("fnv1a64:XYZ"), "workflow.invalid_input_hash",
                     "invalid workflow input hash 'fnv1a64:XYZ': expected fnv1a64:<16 lowercase hex>");
    expect_unlocated(ModelInputBuildError::empty_sequence("a"), "model_input.invalid_sequence",
                     "sequence 'a' is empty and cannot be converted into model input");
    expect_unlocated(
        ModelInputBuildError::not_model_ready("a", 0, 2), "model_input.invalid_sequence",
        "sequence 'a' is not model-ready: 0 warnings and 2 errors must be resolved before building model input");
}

TEST(Diagnostics, ArgumentErrorsListTheTextsOfTheirEnumerations) {
    expect_unlocated(ArgumentError::invalid_kind("DNA", enum_texts<SequenceKindSelection>), "sequence.invalid_kind",
                     "invalid sequence kind: 'DNA'. Expected one of auto, protein, dna, rna");
    expect_unlocated(ArgumentError::invalid_profile("", enum_texts<ProteinTokenizerProfile>),
                     "tokenizer.invalid_profile",
                     "invalid tokenizer profile: ''. Expected one of protein-20, protein-20-special, dna-iupac, "
                     "dna-iupac-special, rna-iupac, rna-iupac-special");
    expect_unlocated(ArgumentError::invalid_padding("pad", enum_texts<PaddingPolicy>), "model_input.invalid_policy",
                     "invalid padding: 'pad'. Expected 'fixed_length' or 'no_padding'");
    expect_unlocated(ArgumentError::token_id_out_of_range(256), "model_input.invalid_sequence",
                     "token id 256 is outside the supported 0..=255 range");
}

TEST(Diagnostics, CodesAreFixedTextsAndWhatIsTheCode) {
    const TamriError error = TamriError::missing_sequence("x", 1, 0);
    EXPECT_EQ(error.code().data(), TamriError::missing_sequence("y", 2, 1).code().data());
    EXPECT_STREQ(error.what(), "fasta.missing_sequence");
}

TEST(CodeCatalogue, HoldsEachCodeOnceAndEveryPackageIssueCode) {
    std::set<std::string_view> seen;
    for (const code::CatalogueEntry& entry : code::catalogue) {
        EXPECT_TRUE(seen.insert(entry.code).second) << entry.code;
    }
    for (const std::string_view text : enum_texts<package::PackageValidationIssueCode>) {
        EXPECT_TRUE(code::is_catalogued(text, code::Emitter::report_issue)) << text;
    }
    EXPECT_FALSE(code::is_catalogued(code::io_write_failed, code::Emitter::core_failure));
}

}  // namespace
}  // namespace tamri
