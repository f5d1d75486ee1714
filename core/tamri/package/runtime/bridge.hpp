#pragma once

// Runtime bridge planning: whether the manifest and its format/backend/target triple form a
// supported runtime contract, and the bridge configuration that contract implies. The planner
// never opens the model file nor runs anything.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/runtime/contracts.hpp"

#include <optional>
#include <string>
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

// Compact JSON, keys in declaration order.
[[nodiscard]] std::string to_json(const RuntimeBridgeReport& report);

}  // namespace tamri::package
