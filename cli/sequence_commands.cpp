#include "commands.hpp"
#include "fasta_input.hpp"
#include "output_file.hpp"

#include "tamri/base/choice.hpp"
#include "tamri/fasta/kind_validation.hpp"

#include <memory>
#include <optional>
#include <string>

namespace tamri::cli {
namespace {

ExitStatus run_parse(const FastaPaths& paths) {
    FastaInput input{paths.input};
    Output output{paths.output};
    JsonLinesOutput lines{output};
    for_each_fasta_record(input.lines(), [&lines](const ProteinSequence& record) { lines.write(record); });
    output.commit();
    return ExitStatus::success;
}

struct ValidateOptions {
    FastaPaths paths;
    std::optional<std::string> kind;
};

ExitStatus run_validate(const ValidateOptions& options) {
    // The kind is judged before the input is opened, so a bad kind is reported even for bad input.
    const std::optional<SequenceKindSelection> selection =
        options.kind ? std::optional{parse_choice<SequenceKindSelection>(*options.kind, ArgumentError::invalid_kind)}
                     : std::nullopt;
    FastaInput input{options.paths.input};
    Output output{options.paths.output};
    const SequenceValidationReport counts = write_validation_report_json_from_stream(
        input.lines(), selection, [&output](std::string_view piece) { output.write(piece); });
    output.write("\n");
    output.commit();
    return status_for(counts.valid_records == counts.records);
}

}  // namespace

void add_sequence_commands(CLI::App& app, Command& command) {
    auto parse_paths = std::make_shared<FastaPaths>();
    CLI::App* parse = app.add_subcommand(
        "parse",
        "Read FASTA records, as parse_fasta_records does, and print each one as it completes: one JSON "
        "object {\"id\",\"sequence\"} per line (JSON Lines). Sequences are normalized: white space removed, "
        "a-z upper-cased.");
    add_input_argument(*parse, parse_paths->input, "FASTA input, plain or gzip-compressed");
    add_output_option(*parse, parse_paths->output);
    parse->callback([parse_paths, &command] { command = [parse_paths] { return run_parse(*parse_paths); }; });

    auto validate_options = std::make_shared<ValidateOptions>();
    CLI::App* validate = app.add_subcommand(
        "validate",
        "Validate every record and print the report JSON of validate_fasta_input (every record as protein) "
        "or, with --kind, of validate_fasta_input_with_kind: records, valid_records, warning_count, "
        "error_count, sequences. Exit status 0 when every record is valid, 1 otherwise.");
    add_input_argument(*validate, validate_options->paths.input, "FASTA input, plain or gzip-compressed");
    validate->add_option("--kind", validate_options->kind,
                         choices_text<SequenceKindSelection>() +
                             " (auto: detected per record); without it every record is validated as protein");
    add_output_option(*validate, validate_options->paths.output);
    validate->callback(
        [validate_options, &command] { command = [validate_options] { return run_validate(*validate_options); }; });
}

}  // namespace tamri::cli
