#include "command.hpp"

#include "output_file.hpp"

#include "tamri/io/file.hpp"
#include "tamri/tokenizer/types.hpp"

#include <fmt/format.h>

namespace tamri::cli {

std::string system_failure_text(std::string_view action, std::string_view path, int error_number) {
    return fmt::format("failed to {} '{}': {}", action, path, io::os_error_text(error_number));
}

void add_input_argument(CLI::App& command, std::string& input, std::string_view what) {
    command.add_option("INPUT", input, fmt::format("{}: a path, or - for standard input", what))->required();
}

void add_output_option(CLI::App& command, std::string& output) {
    command
        .add_option("-o,--output", output,
                    "Where to write: - for standard output, or a file, which is written whole or not at all")
        ->capture_default_str();
}

void add_profile_option(CLI::App& command, std::string& profile) {
    command.add_option("--profile", profile, choices_text<ProteinTokenizerProfile>())->capture_default_str();
}

void write_report(const std::string& output, std::string_view json) {
    Output target{output};
    target.write(json);
    target.write("\n");
    target.commit();
}

}  // namespace tamri::cli
