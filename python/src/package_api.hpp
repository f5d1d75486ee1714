#pragma once

// The package function family: manifest inspection and validation, artifact validation and runtime
// bridge planning, each returning its report as JSON text.

#include <Python.h>

namespace tamri::python {

// Module functions that read manifest text and return JSON reports.
extern const PyMethodDef inspect_package_manifest_method;
extern const PyMethodDef validate_package_manifest_method;
extern const PyMethodDef validate_package_manifest_artifacts_method;
extern const PyMethodDef validate_package_manifest_file_method;
extern const PyMethodDef plan_runtime_bridge_method;

}  // namespace tamri::python
