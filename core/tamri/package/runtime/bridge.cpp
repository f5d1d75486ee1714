#include "tamri/package/runtime/bridge.hpp"

#include "tamri/package/rules/validation.hpp"

#include <fmt/format.h>

#include <iterator>
#include <span>
#include <utility>

namespace tamri::package {

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

}  // namespace tamri::package
