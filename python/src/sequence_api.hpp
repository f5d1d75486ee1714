#pragma once

// The sequence function family: the FASTA record, residue issue and validation report classes, and
// the module functions that parse and validate FASTA text.

#include "types.hpp"

#include "tamri/fasta/records.hpp"
#include "tamri/sequence/report.hpp"
#include "tamri/sequence/types.hpp"

#include <Python.h>

#include <array>
#include <vector>

namespace tamri::python {

extern template PyTypeObject* class_type<ResidueIssue>();
extern template PyTypeObject* class_type<ValidatedSequence>();
extern template PyTypeObject* class_type<ProteinSequence>();
extern template PyTypeObject* class_type<SequenceValidationReport>();

// The family's classes in the order the module adds them.
extern const std::array<ModuleClass, 4> sequence_classes;

// A list argument of ResidueIssue objects as copies; empty for None or an absent argument.
std::vector<ResidueIssue> extract_issues_or_empty(PyObject* object, const char* name);

// Module functions that read and validate FASTA text.
extern const PyMethodDef parse_fasta_records_method;
extern const PyMethodDef validate_fasta_input_method;
extern const PyMethodDef validate_fasta_input_with_kind_method;

}  // namespace tamri::python
