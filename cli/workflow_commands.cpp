#include "arrays_output.hpp"
#include "commands.hpp"
#include "fasta_input.hpp"
#include "settings_options.hpp"

#include "tamri/workflow/workflow.hpp"

#include <fmt/format.h>

#include <filesystem>
#include <memory>
#include <string>

namespace tamri::cli {
namespace {

struct WorkflowOptions {
    FastaPaths paths;
    SettingsOptions settings;
    std::string arrays;  // the prefix of the training arrays; none when empty
};

// The arrays of a model-ready batch; otherwise an earlier run's are removed, and stderr says why.
void write_workflow_arrays(const std::string& prefix, const SequenceWorkflowOutput& output) {
    if (output.model_input) {
        (void)write_arrays(prefix, *output.model_input, output.provenance.hashes.output_data_sha256);
    } else {
        remove_arrays(prefix);
        fmt::print(stderr, "tamri workflow: the batch is not model-ready: no arrays written to {}.*\n", prefix);
    }
}

ExitStatus run_workflow(const WorkflowOptions& options) {
    const corpus::ShardSettings settings = options.settings.resolve();
    const WorkflowArguments arguments = settings.arguments();
    FastaInput input{options.paths.input};
    const SequenceWorkflowResult result = prepare_model_input_workflow_from_fasta(
        input.lines(),
        [&arguments](std::size_t records) { return workflow_settings_from_arguments(arguments, records); });
    write_report(options.paths.output, result.report_json);
    if (!options.arrays.empty()) {
        write_workflow_arrays(options.arrays, result.output);
    }
    return status_for(result.output.model_ready);
}

}  // namespace

void add_workflow_commands(CLI::App& app, Command& command) {
    auto options = std::make_shared<WorkflowOptions>();
    CLI::App* workflow = app.add_subcommand(
        "workflow",
        "Run the whole chain, as prepare_workflow_from_fasta does (validation as the profile's kind, "
        "tokenization, readiness, model input, provenance and digests), and print its report_json. Exit "
        "status 0 when the batch is model-ready, 1 otherwise.");
    add_input_argument(*workflow, options->paths.input, "FASTA input, plain or gzip-compressed");
    add_settings_options(*workflow, options->settings);
    add_output_option(*workflow, options->paths.output);
    workflow
        ->add_option("--arrays", options->arrays,
                     "Also write the model input as NumPy files PREFIX.input_ids.npy and the rest, listed with "
                     "their digests in PREFIX.arrays.json; a batch that is not model-ready writes none")
        ->check(CLI::Validator{[](std::string& prefix) {
                                   return std::filesystem::path{prefix}.filename().empty()
                                              ? fmt::format("expected a path ending in a file name, got '{}'", prefix)
                                              : std::string{};
                               },
                               ""});
    workflow->callback([options, &command] { command = [options] { return run_workflow(*options); }; });
}

}  // namespace tamri::cli
