#pragma once

// The rule group for the model's declared input and output shapes.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"

#include <string_view>

namespace tamri::package {

// A declared shape needs at least one dimension and no blank dimension; `field` is
// "expected_input" or "expected_output".
void validate_shape(PackageValidationReport& report, std::string_view field, const DataShape& shape);

}  // namespace tamri::package
