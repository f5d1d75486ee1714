#pragma once

// What a pipeline-configuration validator returns: the package walk turns a failure into one issue
// of the report, so the validator's interface lives with the report, below both its users.

#include "tamri/base/result.hpp"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace tamri::package {

// The failure of a pipeline-configuration validator; one issue of the package report.
struct ReferencedConfigError {
    std::string code;
    std::string message;
    std::optional<std::string> location;

    friend bool operator==(const ReferencedConfigError&, const ReferencedConfigError&) = default;
};

// Checks one configuration file, given as the root joined with its relative path. An empty
// function checks nothing.
using PipelineConfigValidator = std::function<Result<void, ReferencedConfigError>(const std::filesystem::path&)>;

}  // namespace tamri::package
