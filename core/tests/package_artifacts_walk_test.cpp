#include "package_test_support.hpp"
#include "tamri/digest/sha256.hpp"
#include "tamri/package/directory/artifacts.hpp"
#include "tamri/package/directory/layout.hpp"
#include "tamri/package/pipeline/config.hpp"
#include "tamri/package/rules/validation.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tamri::package {
namespace {

namespace fs = std::filesystem;
using Code = PackageValidationIssueCode;

std::string vocab_json(std::string_view name, std::string_view tokens, int unknown) {
    return fmt::format(R"({{"name":"{}","tokens":[{}],"unknown_token_id":{},)"
                       R"("unknown_token_policy":"warn_or_error_with_unknown_token"}})",
                       name, tokens, unknown);
}

constexpr std::string_view dna_tokens =
    R"({"residue":"A","token_id":0},{"residue":"C","token_id":1},{"residue":"G","token_id":2},{"residue":"T","token_id":3})";

// A complete v1 package of a DNA model whose every file exists and lies under its directory.
class PackageWalk : public testing::Test {
protected:
    void SetUp() override {
        write_file(root() / "models/m.onnx", "model");
        write_file(root() / "tokenizers/t.json", R"({"profile":"dna-iupac","add_special_tokens":false})");
        write_file(root() / "vocabs/v.json", vocab_json("dna-iupac", dna_tokens, 4));
        write_file(root() / "pipelines/p.toml", "");
        for (const char* doc : {"docs/card.md", "fixtures/in.fasta", "fixtures/out.json"}) {
            write_file(root() / doc, doc);
        }
        manifest.schema_version = SchemaVersion::v1;
        manifest.name = "demo";
        manifest.package_layout = PackageDirectoryLayout{"manifest.json", "models/",  "tokenizers", "vocabs",
                                                         "pipelines",     "fixtures", std::nullopt, "docs"};
        manifest.metadata = PackageMetadata{{"MIT", std::nullopt},
                                            {"cite", std::nullopt, std::nullopt},
                                            {"docs/card.md", std::nullopt, "summary", {"use"}, {"limits"}}};
        manifest.model.path = "models/m.onnx";
        manifest.model.checksum = sha256_bytes_digest("model");
        manifest.tokenizer = TokenAsset{"dna-iupac", "tokenizers/t.json", std::nullopt, "dna-iupac.v0"};
        manifest.vocab = TokenAsset{"dna-iupac", "vocabs/v.json", std::nullopt, std::nullopt};
        manifest.preprocessing = {
            PipelineStep{"prep", "impl", "contract", std::nullopt,
                         PipelineConfigArtifact{"pipelines/p.toml", PipelineConfigVersion::v0, std::nullopt}}};
        manifest.fixtures = {PackageFixture{"case", "fixtures/in.fasta", "fixtures/out.json", std::nullopt,
                                            sha256_bytes_digest("fixtures/out.json")}};
    }

    [[nodiscard]] fs::path root() const { return base.path / "pkg"; }

    std::vector<PackageValidationIssue> walk(const std::optional<fs::path>& manifest_path = std::nullopt) {
        const PipelineConfigValidator validator = [&](const fs::path& path) -> Result<void, ReferencedConfigError> {
            validated.push_back(path);
            return rejection;
        };
        const PackageValidationReport report =
            validate_package_manifest_artifacts_with_manifest_path_and_pipeline_config_validator(
                manifest, root(), manifest_path, validator);
        EXPECT_EQ(report.valid, report.issues.empty());
        return report.structured_issues;
    }

    TempDirectory base;
    PackageManifest manifest;
    Result<void, ReferencedConfigError> rejection;
    std::vector<fs::path> validated;
};

TEST_F(PackageWalk, CleanPackageAddsNothingToManifestValidation) {
    EXPECT_TRUE(validate_package_manifest(manifest).valid);
    EXPECT_TRUE(walk(root() / "manifest.json").empty());
    EXPECT_EQ(validated, std::vector{root() / "pipelines/p.toml"});
}

struct WalkCase {
    std::string_view name;
    void (*change)(PackageManifest&, const fs::path& root);
    std::vector<PackageValidationIssue> issues;
};

void PrintTo(const WalkCase& walk_case, std::ostream* out) {
    *out << walk_case.name;
}

class PackageWalkCases : public PackageWalk, public testing::WithParamInterface<WalkCase> {};

TEST_P(PackageWalkCases, ReportsInWalkOrder) {
    GetParam().change(manifest, root());
    std::vector<PackageValidationIssue> issues = walk();
    // Messages name the temporary root; the table names it "<root>".
    for (PackageValidationIssue& issue : issues) {
        if (const std::size_t at = issue.message.find(root().string()); at != std::string::npos) {
            issue.message.replace(at, root().string().size(), "<root>");
        }
    }
    EXPECT_EQ(issues, GetParam().issues);
}

INSTANTIATE_TEST_SUITE_P(
    Content, PackageWalkCases,
    testing::Values(
        WalkCase{"MissingModelThenTokenizerStillChecked",
                 [](PackageManifest&, const fs::path& root) {
                     fs::remove(root / "models/m.onnx");
                     write_file(root / "tokenizers/t.json",
                                R"({"profile":"dna-iupac-special","add_special_tokens":0})");
                 },
                 {{Code::asset_read_failed, "model",
                   "model: failed to read asset 'models/m.onnx' at '<root>/models/m.onnx': No such file or directory "
                   "(os error 2)"},
                  {Code::invalid_tokenizer_config, "tokenizer",
                   "tokenizer: invalid tokenizer config JSON: invalid type: integer `0`, expected a boolean at line 1 "
                   "column 53"}}},
        WalkCase{"SpecialProfileNeedsSpecialTokens",
                 [](PackageManifest& m, const fs::path& root) {
                     write_file(root / "tokenizers/t.json",
                                R"({"profile":"dna-iupac-special","add_special_tokens":false})");
                     m.tokenizer->name = "protein-20";
                 },
                 {{Code::invalid_tokenizer_config, "tokenizer.name",
                   "tokenizer.name must match tokenizer config profile 'dna-iupac-special'"},
                  {Code::invalid_tokenizer_config, "tokenizer.contract_version",
                   "tokenizer.contract_version must match tokenizer config profile version 'dna-iupac-special.v0'"},
                  {Code::invalid_tokenizer_config, "tokenizer.add_special_tokens",
                   "tokenizer.add_special_tokens must be true for profile 'dna-iupac-special'"}}},
        WalkCase{"MismatchedTokenizerIsNotInspected",
                 [](PackageManifest& m, const fs::path& root) {
                     write_file(root / "tokenizers/t.json", "not json");
                     m.tokenizer->checksum = sha256_bytes_digest("other");
                 },
                 {{Code::checksum_mismatch, "tokenizer.checksum",
                   fmt::format("tokenizer.checksum mismatch: expected '{}' but computed '{}'",
                               sha256_bytes_digest("other"), sha256_bytes_digest("not json"))}}},
        WalkCase{
            "BuiltinVocabularyChanged",
            [](PackageManifest& m, const fs::path& root) {
                write_file(root / "vocabs/v.json",
                           vocab_json("dna-iupac", R"({"residue":"C","token_id":0},{"residue":"A","token_id":1})", 5));
                m.vocab->contract_version = "dna.v0";
            },
            {{Code::invalid_vocab_config, "vocab.contract_version",
              "vocab.contract_version must match vocabulary version 'dna-iupac.v0'"},
             {Code::invalid_vocab_config, "vocab.unknown_token_id", "vocab.unknown_token_id must be 4 for dna-iupac"},
             {Code::invalid_vocab_config, "vocab.tokens",
              "vocab.tokens must match the built-in dna-iupac token order and IDs"}}},
        WalkCase{
            "SpecialVocabularyHasNoBuiltinTable",
            [](PackageManifest&, const fs::path& root) {
                write_file(root / "vocabs/v.json", vocab_json("dna-iupac-special", "", 9));
            },
            {{Code::invalid_vocab_config, "vocab.name", "vocab.name must match vocabulary name 'dna-iupac-special'"}}}),
    [](const auto& info) { return std::string{info.param.name}; });

TEST(PackageLayout, ChecksDirectoriesAsText) {
    const struct {
        std::string_view path, directory;
        bool under;
    } cases[] = {{"models/m.onnx", "models", true},    {"models/m.onnx", "models/", true},
                 {"models", "models", true},           {" ", "models", true},
                 {"./models/m.onnx", "models", false}, {"models-old/m.onnx", "models", false}};
    for (const auto& [path, directory, under] : cases) {
        PackageValidationReport report;
        validate_path_under_dir(report, "model.path", path, directory);
        EXPECT_EQ(report.issues.empty(), under) << path << " under " << directory;
    }
    PackageValidationReport report;
    validate_path_under_dir(report, "model.path", "weights/m.onnx", "models/");
    validate_layout_field(report, "package_layout.observed", "/abs");
    EXPECT_EQ(report.issues, (std::vector<std::string>{"model.path must be under declared package directory 'models/'",
                                                       "asset path '/abs' must be relative to the package root"}));
}

TEST_F(PackageWalk, HandsOnlyPassedConfigurationsToTheValidator) {
    rejection = ReferencedConfigError{"pipeline.invalid_config", "name is required", "name"};
    EXPECT_EQ(
        walk(),
        (std::vector<PackageValidationIssue>{{Code::invalid_pipeline_config, "preprocessing[0].config",
                                              "preprocessing[0].config: pipeline config 'pipelines/p.toml' is invalid: "
                                              "pipeline.invalid_config: name is required at name"}}));
    fs::remove(root() / "pipelines/p.toml");
    validated.clear();
    const auto issues = walk();
    ASSERT_EQ(issues.size(), 1U);
    EXPECT_EQ(issues[0].code, Code::asset_read_failed);
    EXPECT_TRUE(validated.empty());
}

}  // namespace
}  // namespace tamri::package
