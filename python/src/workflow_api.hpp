#pragma once

// The workflow function family: the SequenceWorkflowOutput class and the module functions that run
// the whole preparation chain, from records or from FASTA text.

#include "model_input_api.hpp"
#include "types.hpp"

#include <Python.h>

#include <array>
#include <string>
#include <vector>

namespace tamri::python {

// The value behind a Python SequenceWorkflowOutput: the rows stay 8-bit until `records` is read.
struct SequenceWorkflowOutputObject {
    bool model_ready = false;
    std::string input_hash;
    std::vector<ModelInputRecordObject> records;  // empty when not model-ready
    std::string report_json;
};

extern template PyTypeObject* class_type<SequenceWorkflowOutputObject>();

// The family's classes in the order the module adds them.
extern const std::array<ModuleClass, 1> workflow_classes;

// Module functions that run the whole preparation chain.
extern const PyMethodDef prepare_workflow_method;
extern const PyMethodDef prepare_workflow_from_fasta_method;

}  // namespace tamri::python
