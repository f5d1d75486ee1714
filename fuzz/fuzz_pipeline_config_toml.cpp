// Feeds UTF-8 text (the reader's precondition) to the TOML-subset pipeline-configuration reader.
// A refusal is one well-formed "pipeline.invalid_config" issue; an accepted configuration must
// read back the same from its JSON and, where the subset can hold its texts, from its TOML.

#include "fuzz_support.hpp"
#include "pipeline_config_text.hpp"
#include "tamri/package/pipeline/toml.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input || !tamri::fuzz::is_utf8(*input)) {
        return 0;
    }
    auto parsed = tamri::package::parse_toml_pipeline_config(*input);
    if (const auto* error = parsed.error()) {
        tamri::fuzz::require_well_formed(*error);
        return 0;
    }
    tamri::fuzz::require_round_trips(parsed.value());
    return 0;
}
