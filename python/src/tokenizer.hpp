#pragma once

#include "types.hpp"

#include "tokenizer/types.hpp"

#include <Python.h>

#include <string_view>

namespace tamri::python {

// One of the six profile texts, matched exactly; BindingError "tokenizer.invalid_profile" otherwise.
ProteinTokenizerProfile parse_tokenizer_profile(std::string_view text);

// The Python view of a core tokenized sequence, taking its texts and lists over.
TokenizedProteinObject to_tokenized_protein_object(TokenizedProtein&& tokenized);

// Module functions that tokenize sequences.
extern const PyMethodDef tokenize_fasta_records_method;
extern const PyMethodDef tokenize_protein_method;

}  // namespace tamri::python
