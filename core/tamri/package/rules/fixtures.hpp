#pragma once

// The rule group for the manifest's test fixtures: at least one, each complete, names unique.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"

namespace tamri::package {

// At least one fixture; every fixture's name, input and expected output given; names unique
// once trimmed (each repeat points at the first fixture of that name).
void validate_fixture_list(PackageValidationReport& report, const PackageManifest& manifest);

}  // namespace tamri::package
