#include "commands.hpp"
#include "fasta_input.hpp"

#include "tamri/model_input/model_input.hpp"
#include "tamri/tokenizer/types.hpp"
#include "tamri/workflow/workflow.hpp"

#include <cstdint>
#include <memory>
#include <string>

namespace tamri::cli {
namespace {

struct WorkflowOptions {
    FastaPaths paths;
    std::uint64_t max_length = 0;
    std::uint8_t pad_token_id = 0;
    std::string padding{enum_text(PaddingPolicy::NoPadding)};
    std::string profile{enum_text(ProteinTokenizerProfile::protein_20)};
};

ExitStatus run_workflow(const WorkflowOptions& options) {
    const WorkflowArguments arguments{options.max_length, options.pad_token_id, options.padding, options.profile};
    // The texts are judged again once the records are counted; judging them first spares reading a
    // whole input only to refuse a misspelt option.
    (void)workflow_settings_from_arguments(arguments, 0);
    FastaInput input{options.paths.input};
    const SequenceWorkflowResult result = prepare_model_input_workflow_from_fasta(
        input.lines(),
        [&arguments](std::size_t records) { return workflow_settings_from_arguments(arguments, records); });
    write_report(options.paths.output, result.report_json);
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
    workflow->add_option("--max-length", options->max_length, "Longest row of token ids; greater than zero")
        ->required()
        ->check(unsigned_decimal<std::uint64_t>());
    workflow->add_option("--pad-token-id", options->pad_token_id, "Token id of padding, 0 to 255")
        ->check(unsigned_decimal<std::uint8_t>())
        ->default_str("0");
    workflow->add_option("--padding", options->padding, "fixed_length or no_padding")->capture_default_str();
    workflow
        ->add_option("--profile", options->profile,
                     "protein-20, protein-20-special, dna-iupac, dna-iupac-special, rna-iupac or rna-iupac-special")
        ->capture_default_str();
    add_output_option(*workflow, options->paths.output);
    workflow->callback([options, &command] { command = [options] { return run_workflow(*options); }; });
}

}  // namespace tamri::cli
