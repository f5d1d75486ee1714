// Manifest checks as a registry or CI runs them: validate, inspect and plan, each call parsing the
// text anew, on the bundled example package and on manifests with many fixtures or steps.

#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/rules/validation.hpp"
#include "tamri/package/runtime/bridge.hpp"
#include "tamri/package/summary.hpp"

#include <benchmark/benchmark.h>
#include <fmt/format.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace {

const std::string& example_manifest() {
    static const std::string text = [] {
        std::ifstream file{TAMRI_SOURCE_DIR "/examples/package/manifest.json", std::ios::binary};
        if (!file) {
            throw std::runtime_error("cannot read examples/package/manifest.json");
        }
        return std::string{std::istreambuf_iterator<char>{file}, {}};
    }();
    return text;
}

// The example with its fixture list (the last key) and its postprocessing list replaced by
// `fixtures` and `steps` generated entries.
std::string manifest_with(std::size_t fixtures, std::size_t steps) {
    std::string text = example_manifest();
    text.erase(text.rfind("\"fixtures\": ["));
    std::string entries;
    for (std::size_t i = 0; i < steps; ++i) {
        fmt::format_to(std::back_inserter(entries),
                       R"({}{{"name":"step-{}","implementation":"tamri.step","contract":"tamri.model-output",)"
                       R"("config":{{"path":"pipelines/post-{}.toml","schema_version":"tamri.pipeline.v0"}}}})",
                       i == 0 ? "" : ",", i, i);
    }
    const std::string steps_key = "\"postprocessing\": []";
    text.replace(text.find(steps_key), steps_key.size(), fmt::format("\"postprocessing\": [{}]", entries));
    text += "\"fixtures\": [";
    for (std::size_t i = 0; i < fixtures; ++i) {
        fmt::format_to(
            std::back_inserter(text),
            R"({}{{"name":"case-{}","input":"fixtures/case-{}.fasta","expected_output":"fixtures/case-{}.json"}})",
            i == 0 ? "" : ",", i, i, i);
    }
    text += "]}";
    return text;
}

void check_all_three(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        using namespace tamri::package;
        const PackageValidationReport report = validate_package_manifest(parse_package_manifest(text));
        const PackageManifestSummary summary = inspect_package_manifest(parse_package_manifest(text));
        const RuntimeBridgeReport plan = plan_runtime_bridge(parse_package_manifest(text));
        benchmark::DoNotOptimize(report.valid && plan.ready && summary.fixtures > 0);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

// Items are manifests: all three calls on one manifest count once.
void BM_ExampleManifestAllThree(benchmark::State& state) {
    check_all_three(state, example_manifest());
}
BENCHMARK(BM_ExampleManifestAllThree)->Unit(benchmark::kMicrosecond);

void BM_ManifestFixtures(benchmark::State& state) {
    check_all_three(state, manifest_with(static_cast<std::size_t>(state.range(0)), 0));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManifestFixtures)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond)->Complexity();

void BM_ManifestSteps(benchmark::State& state) {
    check_all_three(state, manifest_with(1, static_cast<std::size_t>(state.range(0))));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ManifestSteps)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond)->Complexity();

}  // namespace
