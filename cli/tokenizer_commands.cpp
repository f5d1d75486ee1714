#include "commands.hpp"
#include "fasta_input.hpp"
#include "output_file.hpp"

#include "tamri/base/choice.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/protein.hpp"

#include <memory>
#include <string>

namespace tamri::cli {
namespace {

struct TokenizeOptions {
    FastaPaths paths;
    std::string profile{enum_text(ProteinTokenizerProfile::protein_20)};
};

ExitStatus run_tokenize(const TokenizeOptions& options) {
    // The profile is judged before the input is opened, so a bad profile is reported even for bad input.
    const ProteinTokenizerConfig config = protein_tokenizer_config_for_profile(
        parse_choice<ProteinTokenizerProfile>(options.profile, ArgumentError::invalid_profile));
    FastaInput input{options.paths.input};
    Output output{options.paths.output};
    JsonLinesOutput lines{output};
    for_each_fasta_record(input.lines(), [&](const ProteinSequence& record) {
        lines.write(tokenize_protein_with_config(record, config));
    });
    output.commit();
    return ExitStatus::success;
}

}  // namespace

void add_tokenizer_commands(CLI::App& app, Command& command) {
    auto options = std::make_shared<TokenizeOptions>();
    CLI::App* tokenize = app.add_subcommand(
        "tokenize",
        "Tokenize every record, as tokenize_fasta_records does, and print each one as it completes: one JSON "
        "object {\"id\",\"length\",\"alphabet\",\"valid\",\"tokens\",\"warnings\",\"errors\"} per line (JSON Lines).");
    add_input_argument(*tokenize, options->paths.input, "FASTA input, plain or gzip-compressed");
    add_profile_option(*tokenize, options->profile);
    add_output_option(*tokenize, options->paths.output);
    tokenize->callback([options, &command] { command = [options] { return run_tokenize(*options); }; });
}

}  // namespace tamri::cli
