// Feeds arbitrary bytes to both FASTA scanners: text input must be valid UTF-8 (as every
// caller guarantees), stream input may be anything. The two must agree on ASCII input without
// vertical tabs (the one ASCII byte only the text scanner takes for white space); the stream's
// input hash must be the FNV-1a hash of every byte; records and failures must be well formed.

#include "fuzz_support.hpp"
#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/records.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/text/ascii.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <fmt/format.h>

namespace {

using tamri::fuzz::require;

struct Failure {
    std::string_view code;
    std::string message;
    std::optional<tamri::DiagnosticLocation> location;

    friend bool operator==(const Failure&, const Failure&) = default;
};

using Outcome = std::variant<std::vector<tamri::ProteinSequence>, Failure>;

// Which parts of a location each code carries, and that its line lies inside the input.
void require_location_fits(const Failure& failure, std::string_view bytes) {
    namespace code = tamri::code;
    const auto& location = failure.location;
    if (failure.code == code::fasta_empty_input || failure.code == code::io_read_failed) {
        require(!location.has_value());
        return;
    }
    require(location.has_value() && location->line.has_value());
    require(location->record_index.has_value() == (failure.code != code::fasta_missing_header));
    const auto lines = static_cast<std::uint64_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    require(*location->line >= 1 && *location->line <= lines);
}

template <class Error, class Parse>
Outcome outcome_of(std::string_view bytes, Parse parse) {
    try {
        return parse();
    } catch (const Error& error) {
        tamri::fuzz::require_well_formed(error);
        Failure failure{error.code(), error.message(), error.location()};
        require_location_fits(failure, bytes);
        return failure;
    }
}

void require_records_well_formed(const std::vector<tamri::ProteinSequence>& records) {
    for (const tamri::ProteinSequence& record : records) {
        require(!record.id.empty() && record.id.find_first_of(" \t\n\r\f") == std::string::npos);
        require(!record.sequence.empty());
        tamri::fuzz::require_utf8(record.id);
        tamri::fuzz::require_utf8(record.sequence);
    }
}

// FNV-1a, 64 bits, written out here so the reader's hash is checked against an independent one.
std::string fnv1a64_text(std::string_view bytes) {
    std::uint64_t state = 0xcbf29ce484222325U;
    for (const char byte : bytes) {
        state = (state ^ static_cast<unsigned char>(byte)) * 0x100000001b3U;
    }
    return fmt::format("fnv1a64:{:016x}", state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    const std::string_view bytes = *input;
    const Outcome stream = outcome_of<tamri::FastaReadError>(bytes, [bytes]() -> Outcome {
        tamri::MemoryByteLineReader reader{bytes};
        tamri::ParsedFastaInput parsed = tamri::parse_fasta_records_reader(reader);
        require(parsed.input_hash == fnv1a64_text(bytes));
        tamri::MemoryByteLineReader again{bytes};
        std::vector<tamri::ProteinSequence> visited;
        tamri::for_each_fasta_record(again,
                                     [&visited](const tamri::ProteinSequence& record) { visited.push_back(record); });
        require(visited == parsed.records);
        return std::move(parsed.records);
    });
    if (const auto* records = std::get_if<std::vector<tamri::ProteinSequence>>(&stream)) {
        require_records_well_formed(*records);
    }
    if (!tamri::fuzz::is_utf8(bytes)) {
        return 0;
    }
    const Outcome text =
        outcome_of<tamri::TamriError>(bytes, [bytes]() -> Outcome { return tamri::parse_fasta_records(bytes); });
    if (const auto* records = std::get_if<std::vector<tamri::ProteinSequence>>(&text)) {
        require_records_well_formed(*records);
    }
    if (tamri::text::is_ascii(bytes) && bytes.find('\v') == std::string_view::npos) {
        require(text == stream);
    }
    return 0;
}
