#pragma once

// Required texts and lists. Blank means Unicode white space only; the report quotes field
// paths, never the values.

#include "tamri/package/report/report.hpp"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tamri::package {

// The path of a manifest element: "name", "tokenizer" + ".name", or "fixtures" + [2] + ".name".
// Checks that pass never format it.
struct FieldPath {
    std::string_view base;
    std::optional<std::size_t> index;
    std::string_view member;

    FieldPath(const char* path) : base(path) {}  // implicit: most paths are literals
    FieldPath(std::string_view base_path, std::string_view member_path) : base(base_path), member(member_path) {}
    FieldPath(std::string_view list, std::size_t position, std::string_view member_path)
        : base(list), index(position), member(member_path) {}

    [[nodiscard]] std::string text() const;
};

// "{field} is required" when `value` is blank.
void push_required_issue(PackageValidationReport& report, const FieldPath& field, std::string_view value);

// "{field} is required" when `value` is absent or blank.
void push_required_option_issue(PackageValidationReport& report, const FieldPath& field,
                                const std::optional<std::string>& value);

// One "{field} must include non-empty values" when the list is empty or any entry is blank.
void push_required_list_issue(PackageValidationReport& report, const FieldPath& field,
                              std::span<const std::string> values);

}  // namespace tamri::package
