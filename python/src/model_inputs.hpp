#pragma once

#include "types.hpp"

#include "model_input.hpp"
#include "tokenizer/types.hpp"

#include <Python.h>

#include <string_view>

namespace tamri::python {

// "fixed_length" or "no_padding", matched exactly; BindingError "model_input.invalid_policy" otherwise.
PaddingPolicy parse_padding_policy(std::string_view text);

// The core tokenized sequence behind a Python one; BindingError "model_input.invalid_sequence"
// for the first token id that does not fit 8 bits.
TokenizedProtein to_core_tokenized_protein(const TokenizedProteinObject& tokenized);

// The Python view of a core model input, taking its rows over.
ModelInputObject to_model_input_object(ModelInput&& model_input);

// The module function that builds model inputs.
extern const PyMethodDef build_model_inputs_checked_method;

}  // namespace tamri::python
