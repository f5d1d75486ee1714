// Feeds arbitrary bytes to the manifest reader. A manifest it accepts must read back the same
// from its own compact JSON, and is validated, inspected and planned: each report's counts must
// match its lists and each report must be UTF-8 (the binding hands it to Python as str).

#include "fuzz_support.hpp"
#include "tamri/json/decode.hpp"
#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/report/report.hpp"
#include "tamri/package/rules/validation.hpp"
#include "tamri/package/runtime/bridge.hpp"
#include "tamri/package/summary.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace {

using tamri::fuzz::require;
using tamri::fuzz::require_utf8;
namespace package = tamri::package;

void require_consistent(const package::PackageValidationReport& report) {
    require(report.valid == report.structured_issues.empty());
    require(report.issues.size() == report.structured_issues.size());
    for (std::size_t k = 0; k < report.issues.size(); ++k) {
        require(report.issues[k] == report.structured_issues[k].message);
        tamri::fuzz::require_catalogued(tamri::enum_text(report.structured_issues[k].code),
                                        tamri::code::Emitter::report_issue);
    }
    require_utf8(tamri::json::json_text(report));
}

void require_consistent(const package::PackageManifestSummary& summary, const package::PackageManifest& manifest) {
    require(summary.preprocessing_steps == manifest.preprocessing.size());
    require(summary.postprocessing_steps == manifest.postprocessing.size());
    require(summary.fixtures == manifest.fixtures.size());
    require(summary.layout.fixture_inputs.size() == manifest.fixtures.size());
    require(summary.layout.fixture_outputs.size() == manifest.fixtures.size());
    const auto configured = [](const auto& steps) {
        return static_cast<std::size_t>(
            std::count_if(steps.begin(), steps.end(), [](const auto& step) { return step.config.has_value(); }));
    };
    require(summary.layout.pipeline_configs.size() ==
            configured(manifest.preprocessing) + configured(manifest.postprocessing));
    require_utf8(tamri::json::json_text(summary));
}

// Blocking issues are the validation messages followed by the failed compatibility checks.
void require_consistent(const package::RuntimeBridgeReport& plan, const package::PackageValidationReport& validation) {
    const auto failed =
        static_cast<std::size_t>(std::count_if(plan.compatibility_checks.begin(), plan.compatibility_checks.end(),
                                               [](const auto& check) { return !check.passed; }));
    require(plan.blocking_issues.size() == validation.issues.size() + failed);
    require(std::equal(validation.issues.begin(), validation.issues.end(), plan.blocking_issues.begin()));
    require(plan.ready == plan.blocking_issues.empty());
    require(plan.contract_ready == plan.ready);
    require_utf8(tamri::json::json_text(plan));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    package::PackageManifest manifest;
    try {
        manifest = package::parse_package_manifest(*input);
    } catch (const tamri::json::DecodeError& error) {
        tamri::fuzz::require_well_formed(error);
        tamri::fuzz::require_position_suffix(error.detail());
        return 0;
    }
    const std::string written = tamri::json::json_text(manifest);
    require(tamri::json::json_text(package::parse_package_manifest(written)) == written);

    const package::PackageValidationReport validation = package::validate_package_manifest(manifest);
    require_consistent(validation);
    require_consistent(package::inspect_package_manifest(manifest), manifest);
    require_consistent(package::plan_runtime_bridge(manifest), validation);
    return 0;
}
