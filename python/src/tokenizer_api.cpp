#include "tokenizer_api.hpp"

#include "conversion.hpp"
#include "sequence_api.hpp"

#include "tamri/fasta/scan.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/protein.hpp"

#include <array>
#include <string>
#include <utility>

namespace tamri::python {

template <>
struct ClassDefinition<TokenizedProteinObject> {
    static constexpr const char* qualified_name = "tamri.TokenizedProtein";
    static constexpr const char* constructor_doc =
        "TokenizedProtein(id, tokens, length=None, alphabet=\"protein-20\", valid=True, warnings=None, "
        "errors=None)\n--\n\n";
    static constexpr std::array<PyGetSetDef, 8> attributes{
        field_attribute<&TokenizedProteinObject::id>("id"),
        field_attribute<&TokenizedProteinObject::alphabet>("alphabet"),
        field_attribute<&TokenizedProteinObject::valid>("valid"),
        field_attribute<&TokenizedProteinObject::tokens>("tokens"),
        field_attribute<&TokenizedProteinObject::length>("length"),
        field_attribute<&TokenizedProteinObject::warnings>("warnings"),
        field_attribute<&TokenizedProteinObject::errors>("errors"),
        PyGetSetDef{},
    };

    // Stores the values as given: `length` is not compared with the tokens, `valid` is not
    // derived from the issue lists and token ids are not range-checked.
    static PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
        return guarded([&] {
            static constexpr std::array<Parameter, 7> parameters{{{"id"},
                                                                  {"tokens"},
                                                                  {"length", false},
                                                                  {"alphabet", false},
                                                                  {"valid", false},
                                                                  {"warnings", false},
                                                                  {"errors", false}}};
            const auto [id, tokens, length, alphabet, valid, warnings, errors] =
                bind_arguments("TokenizedProtein", parameters, args, kwargs);
            TokenizedProteinObject value;
            value.id = extract_text(id, "id");
            std::vector<std::uint64_t> token_values = extract_unsigned_list(tokens, "tokens");
            value.length =
                length == nullptr || length == Py_None ? token_values.size() : extract_unsigned(length, "length");
            value.tokens = std::move(token_values);
            value.alphabet = extract_text_or(alphabet, "alphabet", enum_text(ProteinTokenizerProfile::protein_20));
            value.valid = extract_bool_or(valid, "valid", true);
            value.warnings = extract_issues_or_empty(warnings, "warnings");
            value.errors = extract_issues_or_empty(errors, "errors");
            return wrap_in(type, std::move(value)).release();
        });
    }
};
template PyTypeObject* class_type<TokenizedProteinObject>();

ProteinTokenizerProfile parse_tokenizer_profile(std::string_view text) {
    return parse_choice<ProteinTokenizerProfile>(text, ArgumentError::invalid_profile);
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
        const std::string_view profile_text =
            extract_text_or(profile, "profile", enum_text(ProteinTokenizerProfile::protein_20));
        // The profile is judged before the text, so a bad profile is reported even for malformed FASTA.
        const ProteinTokenizerConfig config =
            protein_tokenizer_config_for_profile(parse_tokenizer_profile(profile_text));
        MemoryByteLineReader reader{text};
        std::vector<TokenizedProtein> records = tokenize_fasta_stream(reader, config);
        return to_python_list(
                   records,
                   [](TokenizedProtein& record) { return wrap(to_tokenized_protein_object(std::move(record))); })
            .release();
    });
}

PyObject* tokenize_protein(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 3> parameters{{{"sequence"}, {"id", false}, {"profile", false}}};
        const auto [sequence, id, profile] = bind_arguments("tokenize_protein", parameters, args, kwargs);
        const std::string_view sequence_text = extract_text(sequence, "sequence");
        const std::string_view id_text = extract_text_or(id, "id", "user");
        const std::string_view profile_text =
            extract_text_or(profile, "profile", enum_text(ProteinTokenizerProfile::protein_20));
        const ProteinTokenizerConfig config =
            protein_tokenizer_config_for_profile(parse_tokenizer_profile(profile_text));
        return wrap(to_tokenized_protein_object(tokenize_sequence_text(std::string{id_text}, sequence_text, config)))
            .release();
    });
}

}  // namespace

const PyMethodDef tokenize_fasta_records_method =
    keyword_method("tokenize_fasta_records", tokenize_fasta_records,
                   "tokenize_fasta_records(fasta_text, profile=\"protein-20\")\n--\n\n");
const PyMethodDef tokenize_protein_method = keyword_method(
    "tokenize_protein", tokenize_protein, "tokenize_protein(sequence, id=\"user\", profile=\"protein-20\")\n--\n\n");

const std::array<ModuleClass, 1> tokenizer_classes{{{"TokenizedProtein", class_type<TokenizedProteinObject>}}};

}  // namespace tamri::python
