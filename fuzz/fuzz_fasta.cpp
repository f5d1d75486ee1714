// Feeds arbitrary bytes to both FASTA scanners: text input must be valid UTF-8 (as every
// caller guarantees), stream input may be anything.

#include "error.hpp"
#include "fasta.hpp"
#include "fasta_scan.hpp"
#include "text/utf8.hpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t max_input = 1U << 16U;
    if (size > max_input) {
        return 0;
    }
    const std::string_view bytes{reinterpret_cast<const char*>(data), size};
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
