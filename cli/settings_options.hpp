#pragma once

// The settings of the workflow commands: flags, or a model package's pipeline configuration that
// stands for them.

#include "tamri/corpus/job.hpp"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>

namespace tamri::cli {

struct SettingsOptions {
    std::uint64_t max_length = 0;
    std::uint8_t pad_token_id = 0;
    std::string padding{"no_padding"};
    std::string profile{"protein-20"};
    std::string pipeline_config;
    std::string unready{"keep"};
    bool arrays = false;
    CLI::Option* max_length_option = nullptr;

    // The flags' settings, or the configuration's (ToolError "pipeline.invalid_config" with the
    // message package validation gives), their padding and profile texts judged (ArgumentError).
    [[nodiscard]] corpus::ShardSettings resolve() const;
};

void add_settings_options(CLI::App& command, SettingsOptions& options);

// --unready keep|drop and --arrays, for the commands that run shards.
void add_shard_run_options(CLI::App& command, SettingsOptions& options);

}  // namespace tamri::cli
