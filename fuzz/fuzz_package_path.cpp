// Feeds UTF-8 text (manifest paths come out of JSON strings) to the package-relative path check
// and compares it with a rule written independently over std::filesystem's own components. An
// accepted path must stay below the root once joined to it and normalized.

#include "fuzz_support.hpp"
#include "tamri/package/directory/paths.hpp"
#include "tamri/text/utf8.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include <fmt/format.h>

namespace {

using tamri::fuzz::require;
using Kind = tamri::package::PackageArtifactError::Kind;

bool is_white_space(char32_t c) {
    constexpr std::u32string_view others = U"\u0020\u0085\u00a0\u1680\u2028\u2029\u202f\u205f\u3000";
    return (c >= 0x09 && c <= 0x0d) || (c >= 0x2000 && c <= 0x200a) || others.find(c) != std::u32string_view::npos;
}

bool is_blank(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const tamri::text::DecodedChar decoded = tamri::text::decode_utf8_char(text, i);
        if (!is_white_space(decoded.code_point)) {
            return false;
        }
        i += decoded.length;
    }
    return true;
}

std::optional<Kind> expected_refusal(std::string_view path) {
    if (is_blank(path)) {
        return Kind::path_required;
    }
    if (path.front() == '/') {
        return Kind::absolute_path;
    }
    const std::filesystem::path parts{std::string{path}};
    if (std::any_of(parts.begin(), parts.end(), [](const auto& part) { return part == ".."; })) {
        return Kind::outside_root;
    }
    return std::nullopt;
}

std::string expected_text(Kind kind, std::string_view path) {
    switch (kind) {
        case Kind::path_required: return "asset path is required";
        case Kind::absolute_path: return fmt::format("asset path '{}' must be relative to the package root", path);
        case Kind::outside_root: return fmt::format("asset path '{}' must stay inside the package root", path);
        case Kind::read_failed: break;
    }
    __builtin_trap();
}

bool stays_below(const std::filesystem::path& root, std::string_view path) {
    const std::filesystem::path joined = (root / std::filesystem::path{std::string{path}}).lexically_normal();
    return std::mismatch(root.begin(), root.end(), joined.begin(), joined.end()).first == root.end();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input || !tamri::fuzz::is_utf8(*input)) {
        return 0;
    }
    const std::string_view path = *input;
    const auto checked = tamri::package::validate_package_relative_path(path);
    const std::optional<Kind> expected = expected_refusal(path);
    const auto* error = checked.error();
    require(expected.has_value() == (error != nullptr));
    if (error == nullptr) {
        require(stays_below("/package/root", path));
        return 0;
    }
    require(error->kind == *expected);
    require(error->path == (*expected == Kind::path_required ? std::string_view{} : path));
    require(error->location.empty() && error->reason.empty());
    require(tamri::package::artifact_error_text(*error) == expected_text(*expected, path));
    return 0;
}
