#pragma once

// Manifest validation: every rule group run over a parsed manifest in a fixed order, the findings
// collected into one report. Reads no files; artifact validation checks the package directory.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"

namespace tamri::package {

// Checks what the schema cannot: blank required texts, empty lists, the sections v1 requires,
// layout entries, fixtures, shapes and the backend. Pure; every finding is an issue of the
// finished report, in rule order.
[[nodiscard]] PackageValidationReport validate_package_manifest(const PackageManifest& manifest);

}  // namespace tamri::package
