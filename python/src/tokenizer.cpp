#include "tokenizer.hpp"

#include "conversion.hpp"
#include "errors.hpp"

#include "fasta_scan.hpp"
#include "sequence/normalization.hpp"
#include "tokenizer/config.hpp"
#include "tokenizer/protein.hpp"

#include <fmt/format.h>

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace tamri::python {

ProteinTokenizerProfile parse_tokenizer_profile(std::string_view text) {
    const std::optional<ProteinTokenizerProfile> profile = parse_protein_tokenizer_profile(text);
    if (!profile) {
        throw BindingError{"tokenizer.invalid_profile",
                           fmt::format("invalid tokenizer profile: '{}'. Expected one of {}", text,
                                       protein_tokenizer_profile_choices)};
    }
    return *profile;
}

TokenizedProteinObject to_tokenized_protein_object(TokenizedProtein&& tokenized) {
    return TokenizedProteinObject{
        .id = std::move(tokenized.id),
        .alphabet = std::move(tokenized.alphabet),
        .valid = tokenized.valid,
        .tokens = std::move(tokenized.tokens),
        .length = tokenized.length,
        .warnings = std::move(tokenized.warnings),
        .errors = std::move(tokenized.errors),
    };
}

namespace {

PyObject* tokenize_fasta_records(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 2> parameters{{{"fasta_text"}, {"profile", false}}};
        const auto [fasta_text, profile] = bind_arguments("tokenize_fasta_records", parameters, args, kwargs);
        const std::string_view text = extract_text(fasta_text, "fasta_text");
        const std::string_view profile_text = extract_text_or(profile, "profile", "protein-20");
        // The profile is judged before the text, so a bad profile is reported even for malformed FASTA.
        const ProteinTokenizerConfig config =
            protein_tokenizer_config_for_profile(parse_tokenizer_profile(profile_text));
        MemoryByteLineReader reader{text};
        const ParsedFastaInput input = parse_fasta_records_reader(reader);
        return to_python_list(
                   input.records,
                   [&](const ProteinSequence& record) {
                       return wrap(to_tokenized_protein_object(tokenize_protein_with_config(record, config)));
                   })
            .release();
    });
}

PyObject* tokenize_protein(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 3> parameters{{{"sequence"}, {"id", false}, {"profile", false}}};
        const auto [sequence, id, profile] = bind_arguments("tokenize_protein", parameters, args, kwargs);
        const std::string_view sequence_text = extract_text(sequence, "sequence");
        const std::string_view id_text = extract_text_or(id, "id", "user");
        const std::string_view profile_text = extract_text_or(profile, "profile", "protein-20");
        const ProteinTokenizerConfig config =
            protein_tokenizer_config_for_profile(parse_tokenizer_profile(profile_text));
        const ProteinSequence record{std::string{id_text}, normalize_sequence(sequence_text)};
        return wrap(to_tokenized_protein_object(tokenize_protein_with_config(record, config))).release();
    });
}

}  // namespace

const PyMethodDef tokenize_fasta_records_method =
    keyword_method("tokenize_fasta_records", tokenize_fasta_records,
                   "tokenize_fasta_records(fasta_text, profile=\"protein-20\")\n--\n\n");
const PyMethodDef tokenize_protein_method = keyword_method(
    "tokenize_protein", tokenize_protein, "tokenize_protein(sequence, id=\"user\", profile=\"protein-20\")\n--\n\n");

}  // namespace tamri::python
