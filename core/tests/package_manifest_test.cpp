#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/summary.hpp"
#include "test_support.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace tamri::package {
namespace {

using namespace std::string_view_literals;

// The seven required keys, with every list empty.
constexpr std::string_view minimal =
    R"({"schema_version":"tamri.package.v0","name":" demo ","model":{"format":"onnx","path":"m.onnx"},)"
    R"("preprocessing":[],"postprocessing":[],"runtime":{"backend":"candle","target":"local-cpu"},"fixtures":[]})";

// The minimal manifest with its first `from` replaced by `to`.
std::string minimal_with(std::string_view from, std::string_view to) {
    std::string text{minimal};
    text.replace(text.find(from), from.size(), to);
    return text;
}

// Absent sections stay absent, texts are kept as written and shapes may be empty until validation.
TEST(PackageManifest, RequiredKeysAloneParseWithTextsAsWritten) {
    const PackageManifest manifest = parse_package_manifest(minimal_with(
        R"("fixtures":[])", R"("fixtures":[],"tokenizer":null,"expected_output":{"shape":[],"dtype":"float32"})"));
    EXPECT_EQ(manifest.name, " demo ");
    EXPECT_EQ(manifest.runtime.backend, RuntimeBackend::candle);
    EXPECT_FALSE(manifest.tokenizer || manifest.package_layout || manifest.metadata || manifest.expected_input);
    EXPECT_TRUE(manifest.fixtures.empty() && manifest.preprocessing.empty());
    EXPECT_TRUE(manifest.expected_output.value().shape.empty());
}

struct ParseCase {
    std::string input;
    std::string_view message;
};

class PackageManifestErrors : public testing::TestWithParam<ParseCase> {};

TEST_P(PackageManifestErrors, NameTheKeyOrTextAndItsPosition) {
    EXPECT_EQ(failure_of<json::DecodeError>([&] { return parse_package_manifest(GetParam().input); }),
              (Failure{"json.invalid", fmt::format("invalid JSON: {}", GetParam().message), std::nullopt}));
}

INSTANTIATE_TEST_SUITE_P(
    Schema, PackageManifestErrors,
    testing::Values(
        ParseCase{minimal_with(R"(,"fixtures":[])", ""), "missing field `fixtures` at line 1 column 186"},
        ParseCase{minimal_with(R"("fixtures":[])", R"("fixtures":[{"name":"a","input":"i","expected_output":"o",)"
                                                   R"("hash":"h"}])"),
                  "unknown field `hash`, expected one of `name`, `input`, `expected_output`, `input_hash`, "
                  "`expected_output_hash` at line 1 column 250"},
        ParseCase{minimal_with(R"("name")", "\"\xc3\xa9\\u0000\":1,\"name\""),
                  "unknown field `\xc3\xa9\0`, expected one of `schema_version`, `name`, `package_layout`, "
                  "`metadata`, `model`, `tokenizer`, `vocab`, `preprocessing`, `postprocessing`, `runtime`, "
                  "`expected_input`, `expected_output`, `fixtures` at line 1 column 47"sv},
        ParseCase{minimal_with(R"("fixtures":[])", R"("expected_input":{"shape":[1],"dtype":"uint8"},"fixtures":[])"),
                  "invalid type: integer `1`, expected a string at line 1 column 214"},
        ParseCase{minimal_with(R"("fixtures":[])", R"("tokenizer":{"name":"protein-20"},"fixtures":[])"),
                  "missing field `path` at line 1 column 219"},
        ParseCase{"[]", "invalid type: sequence, expected struct PackageManifest at line 1 column 0"}));

TEST(PackageManifest, VeryLongTextsAreKept) {
    const std::string name(1 << 20, 'n');
    EXPECT_EQ(parse_package_manifest(minimal_with(" demo ", name)).name, name);
}

TEST(PackageManifestSummary, AbsentSectionsAreNullAndCountsAreZero) {
    EXPECT_EQ(json::json_text(inspect_package_manifest(parse_package_manifest(minimal))),
              R"({"schema_version":"tamri.package.v0","name":" demo ","package_layout":null,"metadata":null,)"
              R"("model_format":"onnx","has_model_checksum":false,"model_metadata":null,"tokenizer":null,)"
              R"("vocab":null,"runtime_backend":"candle","runtime_target":"local-cpu","preprocessing_steps":0,)"
              R"("postprocessing_steps":0,"fixtures":0,"layout":{"model":"m.onnx","tokenizer":null,"vocab":null,)"
              R"("pipeline_configs":[],"fixture_inputs":[],"fixture_outputs":[]}})");
}

TEST(PackageManifestSummary, ListsConfigsOfPreprocessingThenPostprocessingSteps) {
    PackageManifest manifest = parse_package_manifest(minimal);
    manifest.model.checksum = "";
    manifest.preprocessing.resize(2);
    manifest.preprocessing[1].config.emplace().path = "a.toml";
    manifest.postprocessing.resize(1);
    manifest.postprocessing[0].config.emplace().path = "b.json";
    const PackageManifestSummary summary = inspect_package_manifest(manifest);
    EXPECT_EQ(summary.layout.pipeline_configs, (std::vector<std::string>{"a.toml", "b.json"}));
    EXPECT_EQ((std::tuple{summary.preprocessing_steps, summary.postprocessing_steps, summary.has_model_checksum}),
              (std::tuple{2U, 1U, true}));
}

}  // namespace
}  // namespace tamri::package
