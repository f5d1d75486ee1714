#include "fasta_generator.hpp"
#include "tamri/fasta/records.hpp"
#include "tamri/model_input/model_input.hpp"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

// The generated protein records as tokens: each residue's position in the alphabet plus 1.
const std::vector<tamri::TokenizedProtein>& tokenized_records() {
    static const std::vector<tamri::TokenizedProtein> records = [] {
        std::array<std::uint8_t, 256> ids{};
        for (std::size_t i = 0; i < tamri::bench::protein_residues.size(); ++i) {
            ids[static_cast<unsigned char>(tamri::bench::protein_residues[i])] = static_cast<std::uint8_t>(i + 1);
        }
        const std::string text =
            tamri::bench::generate_fasta(tamri::bench::benchmark_fasta_bytes, tamri::bench::protein_residues);
        std::vector<tamri::TokenizedProtein> out;
        for (tamri::ProteinSequence& record : tamri::parse_fasta_records(text)) {
            tamri::TokenizedProtein tokenized;
            tokenized.id = std::move(record.id);
            tokenized.alphabet = "protein-20";
            tokenized.tokens.reserve(record.sequence.size());
            for (const char residue : record.sequence) {
                tokenized.tokens.push_back(ids[static_cast<unsigned char>(residue)]);
            }
            tokenized.length = tokenized.tokens.size();
            out.push_back(std::move(tokenized));
        }
        return out;
    }();
    return records;
}

void BM_BuildModelInputsChecked(benchmark::State& state) {
    const auto& records = tokenized_records();
    std::int64_t token_bytes = 0;
    for (const auto& record : records) {
        token_bytes += static_cast<std::int64_t>(record.tokens.size());
    }
    const tamri::ModelInputPolicy policy{1024, 0, tamri::PaddingPolicy::FixedLength};
    for (auto _ : state) {
        auto model_input = tamri::build_model_inputs_checked(records, policy);
        benchmark::DoNotOptimize(model_input.records.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * token_bytes);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(records.size()));
}
BENCHMARK(BM_BuildModelInputsChecked)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
