#pragma once

// The tokenizer function family: the TokenizedProtein class, profile parsing, and the module
// functions that tokenize sequences.

#include "types.hpp"

#include "tamri/sequence/types.hpp"
#include "tamri/tokenizer/types.hpp"

#include <Python.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::python {

// The value behind a Python TokenizedProtein: the core record's fields with widened token ids.
struct TokenizedProteinObject {
    std::string id;
    std::string alphabet;
    bool valid = true;
    TokenIds tokens;
    std::uint64_t length = 0;
    std::vector<ResidueIssue> warnings;
    std::vector<ResidueIssue> errors;
};

extern template PyTypeObject* class_type<TokenizedProteinObject>();

// The family's classes in the order the module adds them.
extern const std::array<ModuleClass, 1> tokenizer_classes;

// One of the six profile texts, matched exactly; ArgumentError "tokenizer.invalid_profile" otherwise.
ProteinTokenizerProfile parse_tokenizer_profile(std::string_view text);

// The Python view of a core tokenized sequence, taking its texts and lists over.
TokenizedProteinObject to_tokenized_protein_object(TokenizedProtein&& tokenized);

// Module functions that tokenize sequences.
extern const PyMethodDef tokenize_fasta_records_method;
extern const PyMethodDef tokenize_protein_method;

}  // namespace tamri::python
