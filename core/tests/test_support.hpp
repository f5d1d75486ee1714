#pragma once

#include "tamri/base/diagnostic.hpp"
#include "tamri/sequence/types.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tamri {

// What a failed call reported, compared as one value so a test names the code, the message and
// the location together.
struct Failure {
    std::string code;
    std::string message;
    std::optional<DiagnosticLocation> location;

    friend bool operator==(const Failure&, const Failure&) = default;
};

inline void PrintTo(const Failure& failure, std::ostream* out) {
    *out << failure.code << ": " << failure.message;
    if (failure.location) {
        *out << " (line " << testing::PrintToString(failure.location->line) << ", record_index "
             << testing::PrintToString(failure.location->record_index) << ")";
    }
}

inline Failure failure_from(const Diagnostic& error) {
    return Failure{std::string{error.code()}, error.message(), error.location()};
}

// Runs `call` and gives back the `Error` it threw. Returning normally is a test failure; any other
// exception escapes, which fails the test too, so the thrown type is checked along the way.
template <typename Error, typename Call>
Failure failure_of(Call&& call) {
    try {
        (void)std::forward<Call>(call)();
    } catch (const Error& error) {
        return failure_from(error);
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
}

// Issues of residues at consecutive positions: issues_from(3, U"XB") is X at 3 and B at 4.
inline std::vector<ResidueIssue> issues_from(std::size_t first_position, std::u32string_view residues) {
    std::vector<ResidueIssue> issues;
    for (const char32_t residue : residues) {
        issues.push_back(ResidueIssue{first_position++, residue});
    }
    return issues;
}

// The malformed-FASTA failures every reader shares.
inline Failure empty_input() {
    return {"fasta.empty_input", "FASTA input is empty", std::nullopt};
}

inline Failure missing_header(std::uint64_t line) {
    return {"fasta.missing_header",
            fmt::format("FASTA input must start with a header line beginning with '>' at line {}", line),
            DiagnosticLocation{line, std::nullopt}};
}

inline Failure missing_identifier(std::uint64_t line, std::uint64_t index) {
    return {"fasta.missing_identifier", fmt::format("FASTA record at index {} has an empty identifier", index),
            DiagnosticLocation{line, index}};
}

inline Failure missing_sequence(std::string_view id, std::uint64_t line, std::uint64_t index) {
    return {"fasta.missing_sequence",
            fmt::format("FASTA record '{}' at index {} does not contain a sequence", id, index),
            DiagnosticLocation{line, index}};
}

}  // namespace tamri
