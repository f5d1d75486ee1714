#include "fasta_generator.hpp"
#include "tamri/fasta/records.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/protein.hpp"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Parsed once: the benchmark measures tokenization only.
const std::vector<tamri::ProteinSequence>& protein_records() {
    static const std::vector<tamri::ProteinSequence> records = tamri::parse_fasta_records(
        tamri::bench::generate_fasta(tamri::bench::benchmark_fasta_bytes, tamri::bench::protein_residues));
    return records;
}

std::int64_t residue_bytes(const std::vector<tamri::ProteinSequence>& records) {
    std::int64_t bytes = 0;
    for (const tamri::ProteinSequence& record : records) {
        bytes += static_cast<std::int64_t>(record.sequence.size());
    }
    return bytes;
}

void tokenize_all(benchmark::State& state, tamri::ProteinTokenizerProfile profile) {
    const auto& records = protein_records();
    const tamri::ProteinTokenizerConfig config = tamri::protein_tokenizer_config_for_profile(profile);
    for (auto _ : state) {
        std::size_t tokens = 0;
        for (const tamri::ProteinSequence& record : records) {
            const tamri::TokenizedProtein tokenized = tamri::tokenize_protein_with_config(record, config);
            tokens += tokenized.length;
        }
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * residue_bytes(records));
}

void BM_TokenizeProtein20(benchmark::State& state) {
    tokenize_all(state, tamri::ProteinTokenizerProfile::protein_20);
}
BENCHMARK(BM_TokenizeProtein20)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_TokenizeProtein20Special(benchmark::State& state) {
    tokenize_all(state, tamri::ProteinTokenizerProfile::protein_20_special);
}
BENCHMARK(BM_TokenizeProtein20Special)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Every residue unknown under DNA: the issue path.
void BM_TokenizeProteinAsDna(benchmark::State& state) {
    tokenize_all(state, tamri::ProteinTokenizerProfile::dna_iupac);
}
BENCHMARK(BM_TokenizeProteinAsDna)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
