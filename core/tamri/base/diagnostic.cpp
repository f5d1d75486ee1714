#include "tamri/base/diagnostic.hpp"

#include "tamri/base/enum_table.hpp"

#include <array>

#include <fmt/format.h>

namespace tamri {
namespace {

template <class... Fs>
struct Overloaded : Fs... {
    using Fs::operator()...;
};
// Clang 14 does not deduce aggregate template arguments on its own.
template <class... Fs>
Overloaded(Fs...) -> Overloaded<Fs...>;

constexpr std::array<std::string_view, std::variant_size_v<TamriError::Variant>> fasta_codes{
    code::fasta_empty_input, code::fasta_missing_identifier, code::fasta_missing_header, code::fasta_missing_sequence};

constexpr std::array<std::string_view, std::variant_size_v<ModelInputBuildError::Variant>> model_input_codes{
    code::model_input_invalid_policy, code::workflow_invalid_input_hash, code::model_input_invalid_sequence,
    code::model_input_invalid_sequence};

constexpr std::array<std::string_view, std::variant_size_v<ArgumentError::Variant>> argument_codes{
    code::sequence_invalid_kind, code::tokenizer_invalid_profile, code::model_input_invalid_policy,
    code::model_input_invalid_sequence};

}  // namespace

std::string_view TamriError::code() const noexcept {
    return fasta_codes[variant_.index()];
}

std::string TamriError::message() const {
    return std::visit(
        Overloaded{
            [](const fasta_error::EmptyInput&) { return std::string{"FASTA input is empty"}; },
            [](const fasta_error::MissingIdentifier& e) {
                return fmt::format("FASTA record at index {} has an empty identifier", e.record_index);
            },
            [](const fasta_error::MissingHeader& e) {
                return fmt::format("FASTA input must start with a header line beginning with '>' at line {}", e.line);
            },
            [](const fasta_error::MissingSequence& e) {
                return fmt::format("FASTA record '{}' at index {} does not contain a sequence", e.id, e.record_index);
            },
        },
        variant_);
}

std::optional<DiagnosticLocation> TamriError::location() const {
    return std::visit(
        Overloaded{
            [](const fasta_error::EmptyInput&) -> std::optional<DiagnosticLocation> { return std::nullopt; },
            [](const fasta_error::MissingIdentifier& e) -> std::optional<DiagnosticLocation> {
                return DiagnosticLocation{e.line, e.record_index};
            },
            [](const fasta_error::MissingHeader& e) -> std::optional<DiagnosticLocation> {
                return DiagnosticLocation{e.line, std::nullopt};
            },
            [](const fasta_error::MissingSequence& e) -> std::optional<DiagnosticLocation> {
                return DiagnosticLocation{e.line, e.record_index};
            },
        },
        variant_);
}

std::string_view FastaReadError::code() const noexcept {
    if (const auto* fasta = std::get_if<TamriError>(&variant_)) {
        return fasta->code();
    }
    return code::io_read_failed;
}

std::string FastaReadError::message() const {
    if (const auto* fasta = std::get_if<TamriError>(&variant_)) {
        return fasta->message();
    }
    return std::get<ReadFailure>(variant_).text;
}

std::optional<DiagnosticLocation> FastaReadError::location() const {
    if (const auto* fasta = std::get_if<TamriError>(&variant_)) {
        return fasta->location();
    }
    return std::nullopt;
}

std::string_view ModelInputBuildError::code() const noexcept {
    return model_input_codes[variant_.index()];
}

std::string ModelInputBuildError::message() const {
    return std::visit(
        Overloaded{
            [](const model_input_error::InvalidPolicy& e) {
                return fmt::format("invalid model input policy: {}", e.reason);
            },
            [](const model_input_error::InvalidWorkflowInputHash& e) {
                return fmt::format("invalid workflow input hash '{}': expected fnv1a64:<16 lowercase hex>",
                                   e.input_hash);
            },
            [](const model_input_error::EmptySequence& e) {
                return fmt::format("sequence '{}' is empty and cannot be converted into model input", e.id);
            },
            [](const model_input_error::NotModelReady& e) {
                return fmt::format(
                    "sequence '{}' is not model-ready: {} warnings and {} errors must be resolved before building "
                    "model input",
                    e.id, e.warning_count, e.error_count);
            },
        },
        variant_);
}

std::string_view ArgumentError::code() const noexcept {
    return argument_codes[variant_.index()];
}

std::string ArgumentError::message() const {
    return std::visit(Overloaded{
                          [](const argument_error::InvalidKind& e) {
                              return fmt::format("invalid sequence kind: '{}'. Expected {}", e.kind,
                                                 list_alternatives(e.choices, ""));
                          },
                          [](const argument_error::InvalidProfile& e) {
                              return fmt::format("invalid tokenizer profile: '{}'. Expected {}", e.profile,
                                                 list_alternatives(e.choices, ""));
                          },
                          [](const argument_error::InvalidPadding& e) {
                              return fmt::format("invalid padding: '{}'. Expected {}", e.padding,
                                                 list_alternatives(e.choices, "'"));
                          },
                          [](const argument_error::TokenIdOutOfRange& e) {
                              return fmt::format("token id {} is outside the supported 0..=255 range", e.token_id);
                          },
                      },
                      variant_);
}

}  // namespace tamri
