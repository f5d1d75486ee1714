#pragma once

// Training arrays beside a report: a set of files named by a prefix, written through temporaries
// with its manifest last, or removed whole.

#include "tamri/arrays/arrays.hpp"
#include "tamri/model_input/model_input.hpp"

#include <filesystem>
#include <optional>
#include <string>

namespace tamri::cli {

// Removes the set of `prefix` (a path whose last part begins every file name), manifest first, so
// that no manifest is left over files of another run.
void remove_arrays(const std::filesystem::path& prefix);

// Replaces the set of `prefix` with the rows of `model_input`, the manifest last, and names it.
[[nodiscard]] arrays::ArraysReference write_arrays(const std::filesystem::path& prefix, const ModelInput& model_input,
                                                   const std::string& output_data_sha256);

}  // namespace tamri::cli
