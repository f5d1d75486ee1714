#pragma once

// The subcommand families, each added to the application by its own source file.

#include "command.hpp"

#include <CLI/CLI.hpp>

namespace tamri::cli {

// Each family adds its subcommands; the one chosen on the command line sets `command`.
void add_sequence_commands(CLI::App& app, Command& command);   // parse, validate
void add_tokenizer_commands(CLI::App& app, Command& command);  // tokenize
void add_workflow_commands(CLI::App& app, Command& command);   // workflow
void add_package_commands(CLI::App& app, Command& command);    // package validate, inspect, plan
void add_corpus_commands(CLI::App& app, Command& command);     // shard, run-shard, merge, corpus

}  // namespace tamri::cli
