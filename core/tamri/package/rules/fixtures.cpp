#include "tamri/package/rules/fixtures.hpp"

#include "tamri/package/rules/required.hpp"
#include "tamri/text/unicode.hpp"

#include <fmt/format.h>

#include <span>
#include <string_view>
#include <unordered_map>

namespace tamri::package {
namespace {

void validate_fixture_names_unique(PackageValidationReport& report, std::span<const PackageFixture> fixtures) {
    std::unordered_map<std::string_view, std::size_t> first_positions;
    first_positions.reserve(fixtures.size());
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        const std::string_view name = text::trim_unicode_white_space(fixtures[i].name);
        if (name.empty()) {
            continue;
        }
        const auto [first, inserted] = first_positions.try_emplace(name, i);
        if (!inserted) {
            push_issue(report, PackageValidationIssueCode::duplicate_fixture_name, fmt::format("fixtures[{}].name", i),
                       fmt::format("fixture name '{}' duplicates fixtures[{}].name", name, first->second));
        }
    }
}

}  // namespace

void validate_fixture_list(PackageValidationReport& report, const PackageManifest& manifest) {
    const std::span<const PackageFixture> fixtures = manifest.fixtures;
    if (fixtures.empty()) {
        push_issue(report, PackageValidationIssueCode::missing_fixture, "fixtures",
                   "fixtures must include at least one fixture");
        return;
    }
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        push_required_issue(report, {"fixtures", i, ".name"}, fixtures[i].name);
        push_required_issue(report, {"fixtures", i, ".input"}, fixtures[i].input);
        push_required_issue(report, {"fixtures", i, ".expected_output"}, fixtures[i].expected_output);
    }
    validate_fixture_names_unique(report, fixtures);
}

}  // namespace tamri::package
