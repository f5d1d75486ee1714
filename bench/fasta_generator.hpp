#pragma once

// Deterministic FASTA text for benchmarks: records of random residues cut into lines.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tamri::bench {

inline constexpr std::string_view protein_residues = "ACDEFGHIKLMNPQRSTVWY";
inline constexpr std::string_view dna_residues = "ACGT";

// About `target_bytes` of FASTA: records of 300 to 1,000 residues, `line_width` per line.
inline std::string generate_fasta(std::size_t target_bytes, std::string_view alphabet, std::size_t line_width = 60) {
    std::string text;
    text.reserve(target_bytes + 2048);
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    const auto next = [&state] {
        state ^= state << 13U;
        state ^= state >> 7U;
        state ^= state << 17U;
        return state;
    };
    std::size_t record = 0;
    while (text.size() < target_bytes) {
        text += ">seq";
        text += std::to_string(record++);
        text += " generated record\n";
        const std::size_t length = 300 + static_cast<std::size_t>(next() % 701);
        for (std::size_t i = 0; i < length; ++i) {
            text.push_back(alphabet[static_cast<std::size_t>(next() % alphabet.size())]);
            if ((i + 1) % line_width == 0 || i + 1 == length) {
                text.push_back('\n');
            }
        }
    }
    return text;
}

inline constexpr std::size_t benchmark_fasta_bytes = 100U * 1024U * 1024U;

}  // namespace tamri::bench
