#include "tamri/package/rules/shapes.hpp"

#include "tamri/text/unicode.hpp"

#include <fmt/format.h>

namespace tamri::package {

void validate_shape(PackageValidationReport& report, std::string_view field, const DataShape& shape) {
    if (shape.shape.empty()) {
        push_field_issue(report, PackageValidationIssueCode::invalid_shape, fmt::format("{}.shape", field),
                         "{} must include at least one dimension");
        return;
    }
    for (std::size_t i = 0; i < shape.shape.size(); ++i) {
        if (text::is_blank(shape.shape[i])) {
            push_field_issue(report, PackageValidationIssueCode::invalid_shape, fmt::format("{}.shape[{}]", field, i),
                             "{} must be a non-empty dimension");
        }
    }
}

}  // namespace tamri::package
