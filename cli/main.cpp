#include "command.hpp"
#include "commands.hpp"

#include "tamri/base/version.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <new>
#include <string>

namespace tamri::cli {
namespace {

// " (line 3, record_index 1)": the fields of the location that are present.
std::string location_text(const std::optional<DiagnosticLocation>& location) {
    if (!location || (!location->line && !location->record_index)) {
        return {};
    }
    std::string text = " (";
    if (location->line) {
        text += fmt::format("line {}", *location->line);
    }
    if (location->record_index) {
        text += fmt::format("{}record_index {}", location->line ? ", " : "", *location->record_index);
    }
    return text + ")";
}

ExitStatus report_failure(std::string_view code, const std::string& message,
                          const std::optional<DiagnosticLocation>& location = std::nullopt) {
    fmt::print(stderr, "tamri: {}: {}{}\n", code, message, location_text(location));
    return ExitStatus::failure;
}

ExitStatus run(int argc, char** argv) {
    CLI::App app{
        "tamri: prepare biological sequences for sequence models and check model packages. The JSON "
        "printed is byte for byte that of the Python function of the same name.",
        "tamri"};
    app.set_version_flag("--version", std::string{tamri_core_version}, "Print the core library's version");
    app.require_subcommand(1);
    Command command;
    add_sequence_commands(app, command);
    add_tokenizer_commands(app, command);
    add_workflow_commands(app, command);
    add_package_commands(app, command);
    add_corpus_commands(app, command);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            app.exit(error);  // --help or --version
            return ExitStatus::success;
        }
        return report_failure(code::cli_invalid_arguments, error.what());
    }
    try {
        return command();
    } catch (const Diagnostic& failure) {
        return report_failure(failure.code(), failure.message(), failure.location());
    } catch (const std::bad_alloc&) {
        return report_failure(code::internal_out_of_memory, "out of memory");
    }
}

}  // namespace
}  // namespace tamri::cli

int main(int argc, char** argv) {
    return static_cast<int>(tamri::cli::run(argc, argv));
}
