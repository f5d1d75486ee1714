#pragma once

// Failures that stop an operation: the one `Diagnostic` interface (code, message, location) and the
// core's error types. Their codes come from the catalogue in codes.hpp.

#include "tamri/base/codes.hpp"

#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace tamri {

// Where in the FASTA input a failure was found; either field may be absent on its own.
struct DiagnosticLocation {
    std::optional<std::uint64_t> line;          // 1-based, blank lines counted
    std::optional<std::uint64_t> record_index;  // 0-based

    friend bool operator==(const DiagnosticLocation&, const DiagnosticLocation&) = default;
};

// The one interface of every failure that stops a core operation. `code()` is a fixed
// text; `message()` is built anew on every call.
class Diagnostic : public std::exception {
public:
    [[nodiscard]] virtual std::string_view code() const noexcept = 0;
    [[nodiscard]] virtual std::string message() const = 0;
    [[nodiscard]] virtual std::optional<DiagnosticLocation> location() const = 0;

    // The code is the only text available without allocating.
    [[nodiscard]] const char* what() const noexcept override { return code().data(); }
};

// A failure known by its code and message alone, found at no place in an input.
class PlainDiagnostic : public Diagnostic {
public:
    PlainDiagnostic(std::string_view code, std::string message) : code_(code), message_(std::move(message)) {}

    [[nodiscard]] std::string_view code() const noexcept override { return code_; }
    [[nodiscard]] std::string message() const override { return message_; }
    [[nodiscard]] std::optional<DiagnosticLocation> location() const override { return std::nullopt; }

private:
    std::string_view code_;  // a catalogued code, which has static storage
    std::string message_;
};

// A failure that is one of several variants; the variant index selects the code.
template <class... Alternatives>
class VariantDiagnostic : public Diagnostic {
public:
    using Variant = std::variant<Alternatives...>;

    explicit VariantDiagnostic(Variant variant) : variant_(std::move(variant)) {}

    [[nodiscard]] const Variant& variant() const noexcept { return variant_; }

protected:
    Variant variant_;
};

namespace fasta_error {
struct EmptyInput {};
struct MissingIdentifier {
    std::uint64_t line;
    std::uint64_t record_index;
};
struct MissingHeader {
    std::uint64_t line;
};
struct MissingSequence {
    std::string id;
    std::uint64_t line;
    std::uint64_t record_index;
};
}  // namespace fasta_error

// Malformed FASTA content.
class TamriError final : public VariantDiagnostic<fasta_error::EmptyInput, fasta_error::MissingIdentifier,
                                                  fasta_error::MissingHeader, fasta_error::MissingSequence> {
public:
    using VariantDiagnostic::VariantDiagnostic;

    static TamriError empty_input() { return TamriError{fasta_error::EmptyInput{}}; }
    static TamriError missing_identifier(std::uint64_t line, std::uint64_t record_index) {
        return TamriError{fasta_error::MissingIdentifier{line, record_index}};
    }
    static TamriError missing_header(std::uint64_t line) { return TamriError{fasta_error::MissingHeader{line}}; }
    static TamriError missing_sequence(std::string id, std::uint64_t line, std::uint64_t record_index) {
        return TamriError{fasta_error::MissingSequence{std::move(id), line, record_index}};
    }

    [[nodiscard]] std::string_view code() const noexcept override;
    [[nodiscard]] std::string message() const override;
    [[nodiscard]] std::optional<DiagnosticLocation> location() const override;
};

// Why a byte stream could not be read. `invalid_data` covers undecodable content.
struct ReadFailure {
    enum class Kind { invalid_data, other };
    Kind kind;
    std::string text;
};

// Failure of the FASTA readers that consume byte streams: bad FASTA or an unreadable stream.
class FastaReadError final : public VariantDiagnostic<TamriError, ReadFailure> {
public:
    explicit FastaReadError(TamriError fasta) : VariantDiagnostic(std::move(fasta)) {}
    explicit FastaReadError(ReadFailure io) : VariantDiagnostic(std::move(io)) {}

    [[nodiscard]] std::string_view code() const noexcept override;
    [[nodiscard]] std::string message() const override;
    [[nodiscard]] std::optional<DiagnosticLocation> location() const override;
};

namespace model_input_error {
struct InvalidPolicy {
    std::string reason;
};
struct InvalidWorkflowInputHash {
    std::string input_hash;
};
struct EmptySequence {
    std::string id;
};
struct NotModelReady {
    std::string id;
    std::uint64_t warning_count;
    std::uint64_t error_count;
};
}  // namespace model_input_error

// An impossible model-input or workflow request; never has a location.
class ModelInputBuildError final
    : public VariantDiagnostic<model_input_error::InvalidPolicy, model_input_error::InvalidWorkflowInputHash,
                               model_input_error::EmptySequence, model_input_error::NotModelReady> {
public:
    using VariantDiagnostic::VariantDiagnostic;

    static ModelInputBuildError invalid_policy(std::string reason) {
        return ModelInputBuildError{model_input_error::InvalidPolicy{std::move(reason)}};
    }
    static ModelInputBuildError invalid_workflow_input_hash(std::string input_hash) {
        return ModelInputBuildError{model_input_error::InvalidWorkflowInputHash{std::move(input_hash)}};
    }
    static ModelInputBuildError empty_sequence(std::string id) {
        return ModelInputBuildError{model_input_error::EmptySequence{std::move(id)}};
    }
    static ModelInputBuildError not_model_ready(std::string id, std::uint64_t warning_count,
                                                std::uint64_t error_count) {
        return ModelInputBuildError{model_input_error::NotModelReady{std::move(id), warning_count, error_count}};
    }

    [[nodiscard]] std::string_view code() const noexcept override;
    [[nodiscard]] std::string message() const override;
    [[nodiscard]] std::optional<DiagnosticLocation> location() const override { return std::nullopt; }
};

namespace argument_error {
// `choices` lists the accepted texts (static storage) in the order the message shows them.
struct InvalidKind {
    std::string kind;
    std::span<const std::string_view> choices;
};
struct InvalidProfile {
    std::string profile;
    std::span<const std::string_view> choices;
};
struct InvalidPadding {
    std::string padding;
    std::span<const std::string_view> choices;
};
struct TokenIdOutOfRange {
    std::uint64_t token_id;
};
}  // namespace argument_error

// An argument text or value that names nothing the system knows; never has a location.
class ArgumentError final
    : public VariantDiagnostic<argument_error::InvalidKind, argument_error::InvalidProfile,
                               argument_error::InvalidPadding, argument_error::TokenIdOutOfRange> {
public:
    using VariantDiagnostic::VariantDiagnostic;

    static ArgumentError invalid_kind(std::string kind, std::span<const std::string_view> choices) {
        return ArgumentError{argument_error::InvalidKind{std::move(kind), choices}};
    }
    static ArgumentError invalid_profile(std::string profile, std::span<const std::string_view> choices) {
        return ArgumentError{argument_error::InvalidProfile{std::move(profile), choices}};
    }
    static ArgumentError invalid_padding(std::string padding, std::span<const std::string_view> choices) {
        return ArgumentError{argument_error::InvalidPadding{std::move(padding), choices}};
    }
    static ArgumentError token_id_out_of_range(std::uint64_t token_id) {
        return ArgumentError{argument_error::TokenIdOutOfRange{token_id}};
    }

    [[nodiscard]] std::string_view code() const noexcept override;
    [[nodiscard]] std::string message() const override;
    [[nodiscard]] std::optional<DiagnosticLocation> location() const override { return std::nullopt; }
};

}  // namespace tamri
