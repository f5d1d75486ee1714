#include "tamri/package/runtime/bridge.hpp"

#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/rules/validation.hpp"

#include <fmt/format.h>

#include <iterator>
#include <span>
#include <utility>

namespace tamri::package {

constexpr auto json_schema(std::type_identity<BackendCompatibilityCheck>) {
    using Check = BackendCompatibilityCheck;
    return json::record_schema<Check>("struct BackendCompatibilityCheck", json::UnknownFields::reject,
                                      json::field<&Check::code>("code"), json::field<&Check::passed>("passed"),
                                      json::field<&Check::message>("message"));
}

constexpr auto json_schema(std::type_identity<BackendCapabilitiesSummary>) {
    using Capabilities = BackendCapabilitiesSummary;
    return json::record_schema<Capabilities>("struct BackendCapabilitiesSummary", json::UnknownFields::reject,
                                             json::field<&Capabilities::deterministic>("deterministic"),
                                             json::field<&Capabilities::supports_batch>("supports_batch"),
                                             json::field<&Capabilities::supports_streaming>("supports_streaming"),
                                             json::field<&Capabilities::supported_inputs>("supported_inputs"),
                                             json::field<&Capabilities::supported_outputs>("supported_outputs"));
}

constexpr auto json_schema(std::type_identity<BackendConfig>) {
    return json::record_schema<BackendConfig>(
        "struct BackendConfig", json::UnknownFields::reject, json::field<&BackendConfig::backend_id>("backend_id"),
        json::field<&BackendConfig::provider>("provider"), json::field<&BackendConfig::version>("version"),
        json::field<&BackendConfig::model_artifact>("model_artifact"));
}

constexpr auto json_schema(std::type_identity<BenchmarkMetric>) {
    return json::record_schema<BenchmarkMetric>("struct BenchmarkMetric", json::UnknownFields::reject,
                                                json::field<&BenchmarkMetric::metric_name>("metric_name"),
                                                json::field<&BenchmarkMetric::value>("value"),
                                                json::field<&BenchmarkMetric::unit>("unit"));
}

constexpr auto json_schema(std::type_identity<BenchmarkEvidence>) {
    using Evidence = BenchmarkEvidence;
    return json::record_schema<Evidence>(
        "struct BenchmarkEvidence", json::UnknownFields::reject,
        json::field<&Evidence::benchmark_name>("benchmark_name"), json::field<&Evidence::backend_id>("backend_id"),
        json::field<&Evidence::workload_description>("workload_description"),
        json::field<&Evidence::recorded_at>("recorded_at"), json::field<&Evidence::metrics>("metrics"));
}

constexpr auto json_schema(std::type_identity<RegressionBaseline>) {
    using Baseline = RegressionBaseline;
    return json::record_schema<Baseline>("struct RegressionBaseline", json::UnknownFields::reject,
                                         json::field<&Baseline::baseline_name>("baseline_name"),
                                         json::field<&Baseline::backend_id>("backend_id"),
                                         json::field<&Baseline::artifact_checksum>("artifact_checksum"),
                                         json::field<&Baseline::benchmark_evidences>("benchmark_evidences"));
}

constexpr auto json_schema(std::type_identity<RuntimeBridgeReport>) {
    using Report = RuntimeBridgeReport;
    constexpr json::Absent omitted = json::Absent::omitted;
    return json::record_schema<Report>(
        "struct RuntimeBridgeReport", json::UnknownFields::reject, json::field<&Report::ready>("ready"),
        json::field<&Report::contract_ready>("contract_ready"),
        json::field<&Report::artifact_checked>("artifact_checked"),
        json::field<&Report::execution_ready>("execution_ready"),
        json::field<&Report::readiness_notes>("readiness_notes"), json::field<&Report::backend>("backend"),
        json::field<&Report::target>("target"), json::field<&Report::model_format>("model_format"),
        json::field<&Report::model_metadata>("model_metadata"), json::field<&Report::backend_config>("backend_config"),
        json::field<&Report::execution_provider>("execution_provider"),
        json::field<&Report::compatibility_checks>("compatibility_checks"),
        json::field<&Report::blocking_issues>("blocking_issues"),
        json::field<&Report::backend_capabilities>("backend_capabilities", omitted),
        json::field<&Report::benchmark_evidence>("benchmark_evidence", omitted),
        json::field<&Report::regression_baseline>("regression_baseline", omitted));
}

namespace {

// ["a", "b"]: each entry in double quotes, separated by a comma and a space.
std::string format_text_list(std::span<const std::string> texts) {
    std::string out = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        fmt::format_to(std::back_inserter(out), "{}\"{}\"", i == 0 ? "" : ", ", texts[i]);
    }
    out += "]";
    return out;
}

BackendCompatibilityCheck runtime_model_pair_check(ModelFormat format, RuntimeBackend backend,
                                                   RuntimeTargetPlatform target) {
    if (runtime_supports_model_format(format, backend, target)) {
        return {
            "runtime_model_pair", true,
            fmt::format("{}/{} supports {} model artifacts", enum_text(backend), enum_text(target), enum_text(format))};
    }
    return {"runtime_model_pair", false,
            fmt::format("model format '{}' is not compatible with backend '{}' target '{}'", enum_text(format),
                        enum_text(backend), enum_text(target))};
}

// Informational: whatever the backend can do, the check passes.
BackendCompatibilityCheck backend_capabilities_check(const BackendCapabilitiesSummary& capabilities) {
    return {
        "backend_capabilities", true,
        fmt::format("backend capabilities: deterministic={}, supports_batch={}, supports_streaming={}, "
                    "supported_inputs={}, supported_outputs={}",
                    capabilities.deterministic, capabilities.supports_batch, capabilities.supports_streaming,
                    format_text_list(capabilities.supported_inputs), format_text_list(capabilities.supported_outputs))};
}

BackendConfig backend_config_for(const PackageManifest& manifest, std::string_view provider) {
    const std::string_view backend = enum_text(manifest.runtime.backend);
    return {fmt::format("{}:{}", manifest.name, backend), std::string{provider},
            manifest.runtime.version ? *manifest.runtime.version : fmt::format("{}.v0", backend), manifest.model.path};
}

}  // namespace

RuntimeBridgeReport plan_runtime_bridge(const PackageManifest& manifest) {
    const ModelFormat format = manifest.model.format;
    const RuntimeBackend backend = manifest.runtime.backend;
    const RuntimeTargetPlatform target = manifest.runtime.target;
    BackendCapabilitiesSummary capabilities = backend_capabilities_for(target, backend);

    RuntimeBridgeReport report;
    report.blocking_issues = std::move(validate_package_manifest(manifest).issues);
    report.compatibility_checks = {runtime_model_pair_check(format, backend, target),
                                   backend_capabilities_check(capabilities)};
    for (const BackendCompatibilityCheck& check : report.compatibility_checks) {
        if (!check.passed) {
            report.blocking_issues.push_back(check.message);
        }
    }
    report.execution_provider = execution_provider_for(backend, target);
    report.backend_config = backend_config_for(manifest, report.execution_provider);
    report.readiness_notes = {
        fmt::format("model artifact '{}' was not format-validated or execution-smoke-tested; "
                    "ready/contract_ready only indicate manifest and runtime contract "
                    "compatibility",
                    manifest.model.path)};
    report.backend = backend;
    report.target = target;
    report.model_format = format;
    report.model_metadata = manifest.model.metadata;
    report.backend_capabilities = std::move(capabilities);
    report.ready = report.blocking_issues.empty();
    report.contract_ready = report.ready;
    return report;
}

std::string to_json(const RuntimeBridgeReport& report) {
    return json::record_json_text(report);
}

}  // namespace tamri::package
