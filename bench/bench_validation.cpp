#include "fasta_generator.hpp"
#include "tamri/fasta/kind_validation.hpp"
#include "tamri/fasta/validation.hpp"

#include <benchmark/benchmark.h>

namespace {

const std::string& protein_fasta() {
    static const std::string text =
        tamri::bench::generate_fasta(tamri::bench::benchmark_fasta_bytes, tamri::bench::protein_residues);
    return text;
}

const std::string& dna_fasta() {
    static const std::string text =
        tamri::bench::generate_fasta(tamri::bench::benchmark_fasta_bytes, tamri::bench::dna_residues);
    return text;
}

void set_bytes(benchmark::State& state, const std::string& text) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}

void BM_ValidateFastaInputProtein(benchmark::State& state) {
    const std::string& text = protein_fasta();
    for (auto _ : state) {
        auto report = tamri::validate_fasta_input(text);
        benchmark::DoNotOptimize(report.sequences.data());
    }
    set_bytes(state, text);
}
BENCHMARK(BM_ValidateFastaInputProtein)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ValidateFastaInputWithKindAutoDna(benchmark::State& state) {
    const std::string& text = dna_fasta();
    for (auto _ : state) {
        auto report = tamri::validate_fasta_input_with_kind(text, tamri::SequenceKindSelection::auto_detect);
        benchmark::DoNotOptimize(report.sequences.data());
    }
    set_bytes(state, text);
}
BENCHMARK(BM_ValidateFastaInputWithKindAutoDna)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ValidateFastaInputWithKindDna(benchmark::State& state) {
    const std::string& text = dna_fasta();
    for (auto _ : state) {
        auto report = tamri::validate_fasta_input_with_kind(text, tamri::SequenceKindSelection::dna);
        benchmark::DoNotOptimize(report.sequences.data());
    }
    set_bytes(state, text);
}
BENCHMARK(BM_ValidateFastaInputWithKindDna)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
