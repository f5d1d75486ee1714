#include "commands.hpp"

#include "tamri/package/checks.hpp"
#include "tamri/package/runtime/bridge.hpp"
#include "tamri/package/summary.hpp"

#include <memory>
#include <string>
#include <utility>

namespace tamri::cli {
namespace {

struct ManifestPaths {
    std::string manifest;
    std::string output = "-";
};

// A manifest file that cannot be read whole as UTF-8 is "io.read_failed".
[[noreturn]] void throw_read_failed(const package::ManifestReadError& error) {
    throw ToolError{code::io_read_failed, package::manifest_read_error_text(error)};
}

package::PackageManifest read_manifest(const std::string& path) {
    auto manifest = package::read_package_manifest(path);
    if (const auto* error = manifest.error()) {
        throw_read_failed(*error);
    }
    return std::move(manifest).value();
}

ExitStatus run_validate(const ManifestPaths& paths) {
    const auto report = package::validate_package_manifest_file(paths.manifest);
    if (const auto* error = report.error()) {
        throw_read_failed(*error);
    }
    write_report(paths.output, json::json_text(report.value()));
    return status_for(report.value().valid);
}

ExitStatus run_inspect(const ManifestPaths& paths) {
    write_report(paths.output, json::json_text(package::inspect_package_manifest(read_manifest(paths.manifest))));
    return ExitStatus::success;
}

ExitStatus run_plan(const ManifestPaths& paths) {
    const package::RuntimeBridgeReport report = package::plan_runtime_bridge(read_manifest(paths.manifest));
    write_report(paths.output, json::json_text(report));
    return status_for(report.ready);
}

void add_manifest_command(CLI::App& package, Command& command, const char* name, const char* description,
                          ExitStatus (*run)(const ManifestPaths&)) {
    auto paths = std::make_shared<ManifestPaths>();
    CLI::App* subcommand = package.add_subcommand(name, description);
    subcommand->add_option("MANIFEST", paths->manifest, "Path of the package's manifest JSON file")->required();
    add_output_option(*subcommand, paths->output);
    subcommand->callback([paths, run, &command] { command = [paths, run] { return run(*paths); }; });
}

}  // namespace

void add_package_commands(CLI::App& app, Command& command) {
    CLI::App* package = app.add_subcommand("package", "Check, inspect and plan model packages");
    package->require_subcommand(1);
    add_manifest_command(*package, command, "validate",
                         "Validate the manifest and every file of its package, as validate_package_manifest_file "
                         "does (the package root is the manifest's directory), and print the report JSON. Exit "
                         "status 0 when valid, 1 when issues were found.",
                         run_validate);
    add_manifest_command(*package, command, "inspect",
                         "Print the summary JSON of inspect_package_manifest: what the package declares, every "
                         "file path by role.",
                         run_inspect);
    add_manifest_command(*package, command, "plan",
                         "Print the runtime bridge report JSON of plan_runtime_bridge. Exit status 0 when ready, "
                         "1 otherwise.",
                         run_plan);
}

}  // namespace tamri::cli
