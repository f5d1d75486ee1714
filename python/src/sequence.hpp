#pragma once

#include <Python.h>

namespace tamri::python {

// Module functions that read and validate FASTA text.
extern const PyMethodDef parse_fasta_records_method;

}  // namespace tamri::python
