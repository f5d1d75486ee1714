#include "tamri/package/rules/required.hpp"

#include "tamri/text/unicode.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace tamri::package {

std::string FieldPath::text() const {
    if (index) {
        return fmt::format("{}[{}]{}", base, *index, member);
    }
    return fmt::format("{}{}", base, member);
}

void push_required_issue(PackageValidationReport& report, const FieldPath& field, std::string_view value) {
    if (text::is_blank(value)) {
        push_field_issue(report, PackageValidationIssueCode::required_field, field.text(), "{} is required");
    }
}

void push_required_option_issue(PackageValidationReport& report, const FieldPath& field,
                                const std::optional<std::string>& value) {
    // An absent value is as blank as an empty one.
    push_required_issue(report, field, value ? std::string_view{*value} : std::string_view{});
}

void push_required_list_issue(PackageValidationReport& report, const FieldPath& field,
                              std::span<const std::string> values) {
    const auto blank = [](const std::string& value) { return text::is_blank(value); };
    if (values.empty() || std::any_of(values.begin(), values.end(), blank)) {
        push_field_issue(report, PackageValidationIssueCode::required_field, field.text(),
                         "{} must include non-empty values");
    }
}

}  // namespace tamri::package
