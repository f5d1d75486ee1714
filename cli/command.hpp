#pragma once

// What every subcommand shares: exit statuses, the tool's own error type, the common input and
// output arguments, strict unsigned number options, and report writing.

#include "tamri/base/codes.hpp"
#include "tamri/base/diagnostic.hpp"
#include "tamri/base/enum_table.hpp"

#include <fmt/format.h>
#include <CLI/CLI.hpp>

#include <charconv>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tamri::cli {

// 0: done and, for the commands that judge something, all clean; 1: the report found problems;
// 2: the command failed (an output file is left as it was).
enum class ExitStatus : int { success = 0, findings = 1, failure = 2 };

[[nodiscard]] constexpr ExitStatus status_for(bool clean) noexcept {
    return clean ? ExitStatus::success : ExitStatus::findings;
}

// The chosen subcommand, set while the command line is parsed and run once all of it is accepted.
using Command = std::function<ExitStatus()>;

// A failure of the tool itself: an unusable command line, an output or manifest that cannot be
// written or read. Never has a location.
class ToolError final : public PlainDiagnostic {
public:
    using PlainDiagnostic::PlainDiagnostic;
};

// "failed to {action} '{path}': {the system's description of errno} (os error {errno})"
[[nodiscard]] std::string system_failure_text(std::string_view action, std::string_view path, int error_number);

// The input path argument ("-" is standard input) and the -o option of a FASTA command.
struct FastaPaths {
    std::string input;
    std::string output = "-";
};

void add_input_argument(CLI::App& command, std::string& input, std::string_view what);
void add_output_option(CLI::App& command, std::string& output);

// Refuses what is not decimal digits within T's range: CLI11's own conversion wraps negative and
// oversized numbers around.
template <class T>
[[nodiscard]] CLI::Validator unsigned_decimal() {
    return CLI::Validator{[](std::string& text) {
                              T value{};
                              const char* const end = text.data() + text.size();
                              const auto [stop, error] = std::from_chars(text.data(), end, value);
                              return error == std::errc{} && stop == end
                                         ? std::string{}
                                         : fmt::format("expected a whole number from 0 to {}, got '{}'",
                                                       std::numeric_limits<T>::max(), text);
                          },
                          ""};
}

// "a, b or c": an enumeration's texts, for help texts.
template <Enumerated Enum>
[[nodiscard]] std::string choices_text() {
    constexpr auto texts = enum_texts<Enum>;
    std::string text;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        text += i == 0 ? "" : i + 1 == texts.size() ? " or " : ", ";
        text += texts[i];
    }
    return text;
}

// --profile, a tokenizer profile's text (judged by the command that uses it).
void add_profile_option(CLI::App& command, std::string& profile);

// Writes one JSON text, a line feed after it, to `output` ("-" is standard output).
void write_report(const std::string& output, std::string_view json);

}  // namespace tamri::cli
