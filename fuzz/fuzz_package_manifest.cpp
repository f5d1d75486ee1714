// Feeds arbitrary bytes to the manifest reader; every manifest it accepts is validated,
// inspected and planned, and each report must be UTF-8 (the binding hands it to Python as str).

#include "fuzz_input.hpp"
#include "json/decode.hpp"
#include "package/manifest.hpp"
#include "package/runtime.hpp"
#include "package/summary.hpp"
#include "package/validation.hpp"
#include "text/utf8.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

void require_utf8(const std::string& json) {
    if (tamri::text::validate_utf8(json)) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    const std::string_view text = *input;
    try {
        const tamri::package::PackageManifest manifest = tamri::package::parse_package_manifest(text);
        require_utf8(to_json(tamri::package::validate_package_manifest(manifest)));
        require_utf8(to_json(tamri::package::inspect_package_manifest(manifest)));
        require_utf8(to_json(tamri::package::plan_runtime_bridge(manifest)));
    } catch (const tamri::json::DecodeError& error) {
        require_utf8(error.message());
    }
    return 0;
}
