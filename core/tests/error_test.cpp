#include "tamri/base/diagnostic.hpp"
#include "tamri/corpus/job.hpp"
#include "tamri/fasta/kind_validation.hpp"
#include "tamri/model_input/model_input.hpp"
#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"
#include "tamri/tokenizer/types.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace tamri {
namespace {

void expect_unlocated(const Diagnostic& error, std::string_view code, std::string_view message) {
    EXPECT_EQ(error.code(), code);
    EXPECT_EQ(error.message(), message);
    EXPECT_EQ(error.location(), std::nullopt);
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

// The texts in table order, which is the order messages list them. Table position i holds the
// enumerator declared i-th unless `declared` says otherwise, so a text paired with the wrong
// enumerator is seen. Each text parses back to its value and nothing near it parses at all.
template <class Enum>
void expect_texts(const std::vector<std::string_view>& texts, std::vector<std::size_t> declared = {}) {
    EXPECT_EQ(std::vector<std::string_view>(enum_texts<Enum>.begin(), enum_texts<Enum>.end()), texts);
    if (declared.empty()) {
        declared.resize(texts.size());
        std::iota(declared.begin(), declared.end(), std::size_t{0});
    }
    std::vector<std::size_t> positions;
    for (const Enum value : enum_values<Enum>) {
        positions.push_back(static_cast<std::size_t>(value));
        const std::string text{enum_text(value)};
        EXPECT_EQ(parse_enum<Enum>(text), value) << text;
        std::string upper = text, swapped = text;
        std::ranges::transform(text, upper.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
        std::ranges::transform(text, swapped.begin(), [](char c) { return c == '-' ? '_' : c == '_' ? '-' : c; });
        for (const std::string& near :
             {" " + text, text + " ", upper, swapped, text.substr(0, text.size() - 1), std::string{}}) {
            if (near != text) {
                EXPECT_EQ(parse_enum<Enum>(near), std::nullopt) << '\'' << near << '\'';
            }
        }
    }
    EXPECT_EQ(positions, declared);
}

TEST(EnumTexts, EveryEnumerationParsesExactlyItsOwnTexts) {
    expect_texts<SequenceKind>({"protein", "dna", "rna"});
    expect_texts<SequenceKindSelection>({"auto", "protein", "dna", "rna"}, {3, 0, 1, 2});
    expect_texts<ProteinTokenizerProfile>(
        {"protein-20", "protein-20-special", "dna-iupac", "dna-iupac-special", "rna-iupac", "rna-iupac-special"});
    expect_texts<BuiltinVocabulary>({"protein-20", "dna-iupac", "rna-iupac"});
    expect_texts<UnknownTokenPolicy>({"warn_or_error_with_unknown_token"});
    expect_texts<PaddingPolicy>({"fixed_length", "no_padding"});
    expect_texts<corpus::UnreadyRecords>({"keep", "drop"});
    expect_texts<package::SchemaVersion>({"tamri.package.v0", "tamri.package.v1"});
    expect_texts<package::PipelineConfigVersion>({"tamri.pipeline.v0"});
    expect_texts<package::RuntimeBackend>({"onnx-webgpu", "candle", "external-process"});
    expect_texts<package::RuntimeTargetPlatform>({"browser-wasm-webgpu", "local-cpu"});
    expect_texts<package::ModelFormat>({"onnx", "safetensors"});
    expect_texts<package::DataType>({"uint8", "float32"});
    expect_texts<package::PackageValidationIssueCode>(
        {"required_field", "missing_fixture", "duplicate_fixture_name", "invalid_shape", "invalid_checksum_format",
         "checksum_mismatch", "invalid_asset_path", "asset_read_failed", "layout_mismatch", "invalid_pipeline_config",
         "invalid_tokenizer_config", "invalid_vocab_config", "unsupported_runtime_backend"});
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
