#include "tamri/package/runtime/contracts.hpp"

#include <algorithm>
#include <array>
#include <optional>
#include <span>

namespace tamri::package {
namespace {

using enum RuntimeBackend;
using enum RuntimeTargetPlatform;

constexpr std::array model_inputs{media_type::model_input};
constexpr std::array execution_results{media_type::execution_result};
constexpr std::array linear_probes{media_type::candle_linear_probe};

struct CapabilityEntry {
    RuntimeBackend backend;
    RuntimeTargetPlatform target;
    bool deterministic;
    bool supports_batch;
    bool supports_streaming;
    std::span<const std::string_view> inputs;
    std::span<const std::string_view> outputs;
};

constexpr std::array<CapabilityEntry, 3> capabilities{{
    {onnx_webgpu, browser_wasm_webgpu, false, true, false, model_inputs, execution_results},
    {candle, local_cpu, true, true, false, model_inputs, linear_probes},
    {external_process, local_cpu, false, true, false, model_inputs, execution_results},
}};

struct CompatibilityEntry {
    std::optional<ModelFormat> format;  // absent: any format
    RuntimeBackend backend;
    RuntimeTargetPlatform target;
};

constexpr std::array<CompatibilityEntry, 3> compatible_runtimes{{
    {ModelFormat::onnx, onnx_webgpu, browser_wasm_webgpu},
    {ModelFormat::safetensors, candle, local_cpu},
    {std::nullopt, external_process, local_cpu},
}};

// Every pair not listed has the provider "unsupported".
struct ProviderEntry {
    RuntimeBackend backend;
    RuntimeTargetPlatform target;
    std::string_view provider;
};

constexpr std::array<ProviderEntry, 3> providers{{
    {onnx_webgpu, browser_wasm_webgpu, "webgpu"},
    {candle, local_cpu, "candle-cpu"},
    {external_process, local_cpu, "external-process"},
}};

// The entry of a table for the backend on the target, or null.
template <class Entry, std::size_t N>
const Entry* find_entry(const std::array<Entry, N>& table, RuntimeBackend backend,
                        RuntimeTargetPlatform target) noexcept {
    const auto* found = std::find_if(table.begin(), table.end(), [&](const Entry& entry) {
        return entry.backend == backend && entry.target == target;
    });
    return found == table.end() ? nullptr : found;
}

std::vector<std::string> to_strings(std::span<const std::string_view> texts) {
    return {texts.begin(), texts.end()};
}

}  // namespace

BackendCapabilitiesSummary backend_capabilities_for(RuntimeTargetPlatform target, RuntimeBackend backend) {
    const CapabilityEntry* entry = find_entry(capabilities, backend, target);
    if (entry == nullptr) {
        return {};
    }
    return {entry->deterministic, entry->supports_batch, entry->supports_streaming, to_strings(entry->inputs),
            to_strings(entry->outputs)};
}

bool runtime_supports_model_format(ModelFormat format, RuntimeBackend backend, RuntimeTargetPlatform target) noexcept {
    return std::any_of(compatible_runtimes.begin(), compatible_runtimes.end(), [&](const CompatibilityEntry& entry) {
        return entry.backend == backend && entry.target == target && (!entry.format || *entry.format == format);
    });
}

std::string_view execution_provider_for(RuntimeBackend backend, RuntimeTargetPlatform target) noexcept {
    const ProviderEntry* entry = find_entry(providers, backend, target);
    return entry == nullptr ? "unsupported" : entry->provider;
}

}  // namespace tamri::package
