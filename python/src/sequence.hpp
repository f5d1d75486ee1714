#pragma once

#include <Python.h>

namespace tamri::python {

// Module functions that read and validate FASTA text.
extern const PyMethodDef parse_fasta_records_method;
extern const PyMethodDef validate_fasta_input_method;
extern const PyMethodDef validate_fasta_input_with_kind_method;

}  // namespace tamri::python
