// Feeds arbitrary bytes to the JSON pipeline-configuration reader. A refusal is one
// "pipeline.invalid_config" issue located at the file and carrying the JSON layer's positioned
// message; an accepted configuration must read back the same from its JSON and its TOML.

#include "fuzz_support.hpp"
#include "pipeline_config_text.hpp"
#include "tamri/package/pipeline/config.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    auto parsed = tamri::package::parse_pipeline_config("pipeline.json", *input);
    if (const auto* error = parsed.error()) {
        tamri::fuzz::require_well_formed(*error);
        tamri::fuzz::require(error->location == "pipeline.json");
        tamri::fuzz::require(error->message.starts_with("invalid pipeline config JSON: "));
        tamri::fuzz::require_position_suffix(error->message);
        return 0;
    }
    tamri::fuzz::require_round_trips(parsed.value());
    return 0;
}
