#pragma once

// Runtime bridge planning: whether the manifest and its format/backend/target triple form a
// supported runtime contract, and the bridge configuration that contract implies. The planner
// never opens the model file nor runs anything.

#include "tamri/json/record.hpp"
#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/runtime/contracts.hpp"

#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace tamri::package {

struct BackendCompatibilityCheck {
    std::string code;  // "runtime_model_pair" or "backend_capabilities"
    bool passed = false;
    std::string message;

    friend bool operator==(const BackendCompatibilityCheck&, const BackendCompatibilityCheck&) = default;
};

struct BackendConfig {
    std::string backend_id;  // "{name}:{backend}"
    std::string provider;
    std::optional<std::string> version;
    std::optional<std::string> model_artifact;
};

struct BenchmarkMetric {
    std::string metric_name;
    double value = 0.0;  // written as null when not finite
    std::string unit;
};

struct BenchmarkEvidence {
    std::string benchmark_name;
    std::string backend_id;
    std::string workload_description;
    std::string recorded_at;
    std::vector<BenchmarkMetric> metrics;
};

struct RegressionBaseline {
    std::string baseline_name;
    std::string backend_id;
    std::string artifact_checksum;
    std::vector<BenchmarkEvidence> benchmark_evidences;
};

// The optional members after `blocking_issues` are written only when present; the planner fills
// `backend_capabilities` and leaves the evidence to reports that carry benchmark results.
struct RuntimeBridgeReport {
    bool ready = false;
    bool contract_ready = false;
    bool artifact_checked = false;
    bool execution_ready = false;
    std::vector<std::string> readiness_notes;
    RuntimeBackend backend = RuntimeBackend::onnx_webgpu;
    RuntimeTargetPlatform target = RuntimeTargetPlatform::browser_wasm_webgpu;
    ModelFormat model_format = ModelFormat::onnx;
    std::optional<ModelArtifactMetadataSummary> model_metadata;
    BackendConfig backend_config;
    std::string execution_provider;
    std::vector<BackendCompatibilityCheck> compatibility_checks;
    std::vector<std::string> blocking_issues;  // validation messages, then failed checks
    std::optional<BackendCapabilitiesSummary> backend_capabilities;
    std::optional<std::vector<BenchmarkEvidence>> benchmark_evidence;
    std::optional<RegressionBaseline> regression_baseline;
};

// Ready exactly when the manifest validates and its runtime triple is compatible. Pure.
[[nodiscard]] RuntimeBridgeReport plan_runtime_bridge(const PackageManifest& manifest);

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

}  // namespace tamri::package
