// Feeds arbitrary bytes to both FASTA scanners: text input must be valid UTF-8 (as every
// caller guarantees), stream input may be anything.

#include "error.hpp"
#include "fasta.hpp"
#include "fasta_scan.hpp"
#include "fuzz_input.hpp"
#include "text/utf8.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    const std::string_view bytes = *input;
    try {
        tamri::MemoryByteLineReader reader{bytes};
        (void)tamri::parse_fasta_records_reader(reader);
    } catch (const tamri::FastaReadError&) {
    }
    if (!tamri::text::validate_utf8(bytes)) {
        try {
            (void)tamri::parse_fasta_records(bytes);
        } catch (const tamri::TamriError&) {
        }
    }
    return 0;
}
