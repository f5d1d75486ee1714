#pragma once

// The model-input function family: the ModelInputRecord and ModelInput classes, their conversions
// from and to core values, and the module function that builds model inputs.

#include "tokenizer_api.hpp"
#include "types.hpp"

#include "tamri/model_input/model_input.hpp"
#include "tamri/tokenizer/types.hpp"

#include <Python.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::python {

// The value behind a Python ModelInputRecord: nothing is checked when Python builds one.
struct ModelInputRecordObject {
    std::string id;
    TokenIds input_ids;
    TokenIds attention_mask;
    bool truncated = false;
};

// The value behind a Python ModelInput; the policy stays behind in the core result.
struct ModelInputObject {
    std::vector<ModelInputRecordObject> records;
};

extern template PyTypeObject* class_type<ModelInputRecordObject>();
extern template PyTypeObject* class_type<ModelInputObject>();

// The family's classes in the order the module adds them.
extern const std::array<ModuleClass, 2> model_input_classes;

// "fixed_length" or "no_padding", matched exactly; ArgumentError "model_input.invalid_policy" otherwise.
PaddingPolicy parse_padding_policy(std::string_view text);

// The core tokenized sequence behind a Python one; ArgumentError "model_input.invalid_sequence"
// for the first token id that does not fit 8 bits.
TokenizedProtein to_core_tokenized_protein(const TokenizedProteinObject& tokenized);

// The Python view of a core model input, taking its rows over.
ModelInputObject to_model_input_object(ModelInput&& model_input);

// The module function that builds model inputs.
extern const PyMethodDef build_model_inputs_checked_method;

}  // namespace tamri::python
