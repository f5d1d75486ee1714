#pragma once

// The runtime contracts tamri knows: which model formats each backend and target run, what each
// backend can do, and the execution provider the bridge would use. Constant tables.

#include "tamri/package/manifest/types.hpp"

#include <string>
#include <string_view>
#include <vector>

namespace tamri::package {

namespace media_type {
inline constexpr std::string_view model_input = "tamri.model-input.v0+json";
inline constexpr std::string_view execution_result = "tamri.execution-result.v0+json";
inline constexpr std::string_view candle_linear_probe = "tamri.candle.linear-probe.v0+json";
}  // namespace media_type

struct BackendCapabilitiesSummary {
    bool deterministic = false;
    bool supports_batch = false;
    bool supports_streaming = false;
    std::vector<std::string> supported_inputs;  // media types
    std::vector<std::string> supported_outputs;

    friend bool operator==(const BackendCapabilitiesSummary&, const BackendCapabilitiesSummary&) = default;
};

// The manifest's model metadata, shared by the inspection summary and the runtime report, which
// write it without its absent keys.
using ModelArtifactMetadataSummary = ModelArtifactMetadata;

// Nothing at all for a backend on a target it does not run on.
[[nodiscard]] BackendCapabilitiesSummary backend_capabilities_for(RuntimeTargetPlatform target, RuntimeBackend backend);

// Whether the backend on the target runs models of the format.
[[nodiscard]] bool runtime_supports_model_format(ModelFormat format, RuntimeBackend backend,
                                                 RuntimeTargetPlatform target) noexcept;

// "webgpu", "candle-cpu", "external-process", or "unsupported".
[[nodiscard]] std::string_view execution_provider_for(RuntimeBackend backend, RuntimeTargetPlatform target) noexcept;

}  // namespace tamri::package
