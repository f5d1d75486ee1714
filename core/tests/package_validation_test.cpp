#include "package_test_support.hpp"
#include "tamri/package/rules/validation.hpp"
#include "tamri/package/runtime/bridge.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace tamri::package {

namespace {

using Code = PackageValidationIssueCode;

PackageFixture fixture(std::string name) {
    PackageFixture result;
    result.name = std::move(name);
    result.input = "fixtures/in.fasta";
    result.expected_output = "fixtures/out.json";
    return result;
}

// Valid v0: a name, a model path, one complete fixture, no layout, no metadata, onnx on WebGPU.
PackageManifest clean_manifest() {
    PackageManifest manifest;
    manifest.name = "demo";
    manifest.model.path = "models/model.onnx";
    manifest.fixtures = {fixture("case")};
    return manifest;
}

PackageValidationIssue required(std::string field) {
    std::string message = field + " is required";
    return {Code::required_field, std::move(field), std::move(message)};
}

struct ValidationCase {
    std::string_view name;
    void (*change)(PackageManifest&);
    std::vector<PackageValidationIssue> issues;
};

class PackageValidation : public testing::TestWithParam<ValidationCase> {};

TEST_P(PackageValidation, ReportsEveryIssueInRuleOrder) {
    PackageManifest manifest = clean_manifest();
    GetParam().change(manifest);
    const PackageValidationReport report = validate_package_manifest(manifest);
    EXPECT_EQ(report.structured_issues, GetParam().issues);
    ASSERT_EQ(report.issues.size(), report.structured_issues.size());
    for (std::size_t i = 0; i < report.issues.size(); ++i) {
        EXPECT_EQ(report.issues[i], report.structured_issues[i].message);
    }
    EXPECT_EQ(report.valid, GetParam().issues.empty());
}

const PackageMetadata metadata{{"MIT", {}}, {"Doe", {}, {}}, {"docs/card.md", {}, "card", {"research"}, {"none"}}};
constexpr std::string_view unsupported_backend =
    "runtime.backend 'external-process' is experimental and is not supported by the public package manifest contract";

INSTANTIATE_TEST_SUITE_P(
    Rules, PackageValidation,
    testing::Values(
        ValidationCase{"v1_without_sections",
                       [](PackageManifest& m) { m.schema_version = SchemaVersion::v1; },
                       {{Code::required_field, "package_layout", "package_layout is required for tamri.package.v1"},
                        {Code::required_field, "metadata", "metadata is required for tamri.package.v1"}}},
        ValidationCase{
            "unicode_blank_name", [](PackageManifest& m) { m.name = " \u00a0\u3000\t"; }, {required("name")}},
        ValidationCase{"lists_with_a_blank_or_no_entry",
                       [](PackageManifest& m) {
                           m.metadata = metadata;
                           m.metadata->model_card.intended_use = {"research", "\u2028"};
                           m.metadata->model_card.limitations = {};
                       },
                       {{Code::required_field, "metadata.model_card.intended_use",
                         "metadata.model_card.intended_use must include non-empty values"},
                        {Code::required_field, "metadata.model_card.limitations",
                         "metadata.model_card.limitations must include non-empty values"}}},
        ValidationCase{"step_configs_only_checked_with_a_layout",
                       [](PackageManifest& m) {
                           m.preprocessing = {PipelineStep{"s", "i", "c", {}, PipelineConfigArtifact{}}};
                       },
                       {}},
        ValidationCase{
            "duplicate_fixture_names_point_at_the_first",
            [](PackageManifest& m) {
                m.fixtures = {fixture("a"), fixture(" a "), fixture("b"), fixture("a")};
            },
            {{Code::duplicate_fixture_name, "fixtures[1].name", "fixture name 'a' duplicates fixtures[0].name"},
             {Code::duplicate_fixture_name, "fixtures[3].name", "fixture name 'a' duplicates fixtures[0].name"}}},
        ValidationCase{"blank_fixture_names_are_not_duplicates",
                       [](PackageManifest& m) {
                           m.fixtures = {fixture(""), fixture(" ")};
                       },
                       {required("fixtures[0].name"), required("fixtures[1].name")}},
        ValidationCase{
            "shapes",
            [](PackageManifest& m) {
                m.expected_input = DataShape{{"batch", ""}, DataType::uint8};
                m.expected_output = DataShape{};
            },
            {{Code::invalid_shape, "expected_input.shape[1]", "expected_input.shape[1] must be a non-empty dimension"},
             {Code::invalid_shape, "expected_output.shape",
              "expected_output.shape must include at least one dimension"}}},
        ValidationCase{"external_process_backend",
                       [](PackageManifest& m) { m.runtime.backend = RuntimeBackend::external_process; },
                       {{Code::unsupported_runtime_backend, "runtime.backend", std::string{unsupported_backend}}}},
        ValidationCase{
            "blank_name_before_missing_fixtures",
            [](PackageManifest& m) {
                m.name = "";
                m.fixtures.clear();
            },
            {required("name"), {Code::missing_fixture, "fixtures", "fixtures must include at least one fixture"}}}),
    [](const testing::TestParamInfo<ValidationCase>& info) { return std::string{info.param.name}; });

// Everything left blank or empty in a v1 manifest with every optional section.
TEST(PackageValidation, EveryRuleRunsInStepOrder) {
    PackageManifest m;
    m.schema_version = SchemaVersion::v1;
    m.package_layout.emplace();
    m.metadata.emplace();
    m.model.metadata.emplace();
    m.tokenizer.emplace().contract_version = "";
    m.vocab.emplace();
    m.preprocessing = {PipelineStep{"", "", "", " ", PipelineConfigArtifact{}}};
    m.postprocessing.resize(1);
    m.runtime.backend = RuntimeBackend::external_process;
    m.fixtures.resize(1);
    m.expected_input = DataShape{{" "}, DataType::uint8};
    std::string fields;
    for (const PackageValidationIssue& issue : validate_package_manifest(m).structured_issues) {
        fields += issue.field + ' ';
    }
    EXPECT_EQ(fields,
              "name package_layout.manifest package_layout.models package_layout.fixtures package_layout.docs "
              "package_layout.tokenizers package_layout.vocabs package_layout.pipelines preprocessing[0].config.path "
              "metadata.license.expression metadata.citation.preferred_citation metadata.model_card.path "
              "metadata.model_card.summary metadata.model_card.intended_use metadata.model_card.limitations model.path "
              "model.metadata.name tokenizer.name tokenizer.contract_version vocab.name preprocessing[0].name "
              "preprocessing[0].implementation preprocessing[0].contract preprocessing[0].contract_version "
              "postprocessing[0].name postprocessing[0].implementation postprocessing[0].contract runtime.backend "
              "fixtures[0].name fixtures[0].input fixtures[0].expected_output expected_input.shape[0] ");
}

TEST(PackageValidationReport, JsonHasItsKeysInOrder) {
    PackageManifest manifest = clean_manifest();
    EXPECT_EQ(json::json_text(validate_package_manifest(manifest)),
              R"({"valid":true,"issues":[],"structured_issues":[]})");
    manifest.name = "";
    EXPECT_EQ(json::json_text(validate_package_manifest(manifest)),
              R"({"valid":false,"issues":["name is required"],)"
              R"("structured_issues":[{"code":"required_field","field":"name","message":"name is required"}]})");
}

// ---- Runtime bridge planning ------------------------------------------------------------

struct PlanCase {
    ModelFormat format;
    RuntimeBackend backend;
    RuntimeTargetPlatform target;
    std::string_view provider;
    bool compatible;
    std::string_view pair_message;
    std::string_view capabilities;
};

class RuntimePlan : public testing::TestWithParam<PlanCase> {};

TEST_P(RuntimePlan, ChecksTheTripleAndNamesTheProvider) {
    const PlanCase& expected = GetParam();
    PackageManifest manifest = clean_manifest();
    manifest.model.format = expected.format;
    manifest.runtime = {expected.backend, expected.target, std::nullopt};
    const RuntimeBridgeReport report = plan_runtime_bridge(manifest);

    std::vector<std::string> blocking = validate_package_manifest(manifest).issues;
    if (!expected.compatible) {
        blocking.emplace_back(expected.pair_message);
    }
    EXPECT_EQ(report.blocking_issues, blocking);
    EXPECT_EQ(report.ready, blocking.empty());
    EXPECT_EQ(report.contract_ready, blocking.empty());
    EXPECT_FALSE(report.artifact_checked || report.execution_ready);
    EXPECT_EQ(report.execution_provider, expected.provider);
    EXPECT_EQ(report.backend_config.provider, expected.provider);
    EXPECT_EQ(report.compatibility_checks,
              (std::vector<BackendCompatibilityCheck>{
                  {"runtime_model_pair", expected.compatible, std::string{expected.pair_message}},
                  {"backend_capabilities", true, fmt::format("backend capabilities: {}", expected.capabilities)}}));
}

using enum ModelFormat;
using enum RuntimeBackend;
using enum RuntimeTargetPlatform;

constexpr std::string_view no_capabilities =
    "deterministic=false, supports_batch=false, supports_streaming=false, supported_inputs=[], supported_outputs=[]";
constexpr std::string_view result_capabilities = R"(deterministic=false, supports_batch=true, )"
                                                 R"(supports_streaming=false, supported_inputs=["tamri.model-input.)"
                                                 R"(v0+json"], supported_outputs=["tamri.execution-result.v0+json"])";
constexpr std::string_view candle_capabilities =
    R"(deterministic=true, supports_batch=true, )"
    R"(supports_streaming=false, supported_inputs=["tamri.model-input.)"
    R"(v0+json"], supported_outputs=["tamri.candle.linear-probe.v0+json"])";

INSTANTIATE_TEST_SUITE_P(
    Triples, RuntimePlan,
    testing::Values(PlanCase{onnx, onnx_webgpu, local_cpu, "unsupported", false,
                             "model format 'onnx' is not compatible with backend 'onnx-webgpu' target 'local-cpu'",
                             no_capabilities},
                    PlanCase{safetensors, candle, local_cpu, "candle-cpu", true,
                             "candle/local-cpu supports safetensors model artifacts", candle_capabilities},
                    PlanCase{onnx, external_process, local_cpu, "external-process", true,
                             "external-process/local-cpu supports onnx model artifacts", result_capabilities}));

TEST(RuntimePlanReport, JsonOfAPlanWithoutMetadataOrVersion) {
    PackageManifest manifest = clean_manifest();
    manifest.name = "";
    EXPECT_EQ(json::json_text(plan_runtime_bridge(manifest)),
              R"({"ready":false,"contract_ready":false,"artifact_checked":false,"execution_ready":false,)"
              R"("readiness_notes":["model artifact 'models/model.onnx' was not format-validated or )"
              R"(execution-smoke-tested; ready/contract_ready only indicate manifest and runtime contract )"
              R"(compatibility"],"backend":"onnx-webgpu","target":"browser-wasm-webgpu","model_format":"onnx",)"
              R"("model_metadata":null,"backend_config":{"backend_id":":onnx-webgpu","provider":"webgpu",)"
              R"("version":"onnx-webgpu.v0","model_artifact":"models/model.onnx"},"execution_provider":"webgpu",)"
              R"("compatibility_checks":[{"code":"runtime_model_pair","passed":true,"message":"onnx-webgpu/)"
              R"(browser-wasm-webgpu supports onnx model artifacts"},{"code":"backend_capabilities","passed":true,)"
              R"("message":"backend capabilities: deterministic=false, supports_batch=true, )"
              R"(supports_streaming=false, supported_inputs=[\"tamri.model-input.v0+json\"], )"
              R"(supported_outputs=[\"tamri.execution-result.v0+json\"]"}],"blocking_issues":["name is required"],)"
              R"("backend_capabilities":{"deterministic":false,"supports_batch":true,"supports_streaming":false,)"
              R"("supported_inputs":["tamri.model-input.v0+json"],)"
              R"("supported_outputs":["tamri.execution-result.v0+json"]}})");
}

TEST(RuntimePlanReport, GivenVersionAndMetadataAreCopiedWithoutAbsentKeys) {
    PackageManifest manifest = clean_manifest();
    manifest.runtime.version = " 1.2 ";
    manifest.model.metadata.emplace().name = "tiny";
    manifest.model.metadata->description = "";
    const RuntimeBridgeReport report = plan_runtime_bridge(manifest);
    EXPECT_EQ(report.backend_config.backend_id, "demo:onnx-webgpu");
    EXPECT_EQ(report.backend_config.version, " 1.2 ");
    EXPECT_NE(json::json_text(report).find(R"("model_metadata":{"name":"tiny","description":""},)"), std::string::npos);
}

TEST(RuntimePlanReport, EvidenceIsWrittenOnlyWhenPresent) {
    RuntimeBridgeReport report;
    report.benchmark_evidence = {{"b", "demo:candle", "w", "2024", {{"latency", 1.5, "ms"}, {"nan", NAN, "x"}}}};
    report.regression_baseline = RegressionBaseline{"base", "demo:candle", "sha256:0", {}};
    const std::string json = json::json_text(report);
    EXPECT_EQ(json.substr(json.find(R"("blocking_issues")")),
              R"("blocking_issues":[],"benchmark_evidence":[{"benchmark_name":"b","backend_id":"demo:candle",)"
              R"("workload_description":"w","recorded_at":"2024","metrics":[{"metric_name":"latency","value":1.5,)"
              R"("unit":"ms"},{"metric_name":"nan","value":null,"unit":"x"}]}],"regression_baseline":)"
              R"({"baseline_name":"base","backend_id":"demo:candle","artifact_checksum":"sha256:0",)"
              R"("benchmark_evidences":[]}})");
}

}  // namespace
}  // namespace tamri::package
