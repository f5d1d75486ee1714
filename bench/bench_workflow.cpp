#include "fasta_generator.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/workflow/workflow.hpp"

#include <benchmark/benchmark.h>

#include <fmt/format.h>

namespace {

// Smaller than the other benchmarks' input: the output is about ten times the FASTA text.
constexpr std::size_t workflow_fasta_bytes = 32U * 1024U * 1024U;

const std::string& protein_fasta() {
    static const std::string text = tamri::bench::generate_fasta(workflow_fasta_bytes, tamri::bench::protein_residues);
    return text;
}

// The whole road of prepare_workflow_from_fasta below the binding: stream reading with the input
// hash, validation, tokenization, rows of at most 1024 tokens, the report and both digests.
void run_from_fasta(benchmark::State& state, tamri::PaddingPolicy padding) {
    const std::string& text = protein_fasta();
    const auto settings_for = [padding](std::size_t records) {
        return tamri::SequenceWorkflowSettings{
            {1024, 0, padding},
            tamri::protein_tokenizer_config_for_profile(tamri::ProteinTokenizerProfile::protein_20),
            {"tamri-python.prepare_workflow", {fmt::format("records={}", records), "profile=protein-20"}}};
    };
    std::size_t report_bytes = 0;
    for (auto _ : state) {
        tamri::SequenceWorkflowResult result = tamri::prepare_model_input_workflow_from_fasta(text, settings_for);
        report_bytes = result.report_json.size();
        benchmark::DoNotOptimize(result.report_json.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["report_bytes_per_fasta_byte"] =
        static_cast<double>(report_bytes) / static_cast<double>(text.size());
}

void BM_WorkflowFromFastaNoPadding(benchmark::State& state) {
    run_from_fasta(state, tamri::PaddingPolicy::NoPadding);
}
BENCHMARK(BM_WorkflowFromFastaNoPadding)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_WorkflowFromFastaFixedLength(benchmark::State& state) {
    run_from_fasta(state, tamri::PaddingPolicy::FixedLength);
}
BENCHMARK(BM_WorkflowFromFastaFixedLength)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
