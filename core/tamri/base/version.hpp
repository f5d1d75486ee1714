#pragma once

// The core library's version, as the workflow's provenance and `tamri --version` report it. The
// build sets it from the project's version.

#include <string_view>

namespace tamri {

inline constexpr std::string_view tamri_core_version = TAMRI_VERSION;

}  // namespace tamri
