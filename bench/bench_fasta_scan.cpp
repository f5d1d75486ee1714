#include "fasta_generator.hpp"
#include "tamri/fasta/records.hpp"

#include <benchmark/benchmark.h>

namespace {

const std::string& protein_fasta() {
    static const std::string text =
        tamri::bench::generate_fasta(tamri::bench::benchmark_fasta_bytes, tamri::bench::protein_residues);
    return text;
}

void BM_ParseFastaRecords(benchmark::State& state) {
    const std::string& text = protein_fasta();
    for (auto _ : state) {
        auto records = tamri::parse_fasta_records(text);
        benchmark::DoNotOptimize(records.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseFastaRecords)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
