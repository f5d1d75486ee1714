#include "fasta_generator.hpp"
#include "tamri/fasta/scan.hpp"

#include <benchmark/benchmark.h>

namespace {

const std::string& protein_fasta() {
    static const std::string text =
        tamri::bench::generate_fasta(tamri::bench::benchmark_fasta_bytes, tamri::bench::protein_residues);
    return text;
}

void BM_ParseFastaRecordsReader(benchmark::State& state) {
    const std::string& text = protein_fasta();
    for (auto _ : state) {
        tamri::MemoryByteLineReader reader{text};
        auto parsed = tamri::parse_fasta_records_reader(reader);
        benchmark::DoNotOptimize(parsed.records.data());
        benchmark::DoNotOptimize(parsed.input_hash.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseFastaRecordsReader)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The hash alone: the floor for any reader that folds every byte into it.
void BM_StableInputHash(benchmark::State& state) {
    const std::string& text = protein_fasta();
    for (auto _ : state) {
        tamri::StableInputHasher hasher;
        hasher.update(text);
        benchmark::DoNotOptimize(hasher.state());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_StableInputHash)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
