// The module entry point: builds the module once per process and adds its classes, its
// exception type and its functions in their fixed order.

#include "error_bridge.hpp"
#include "model_input_api.hpp"
#include "package_api.hpp"
#include "sequence_api.hpp"
#include "tokenizer_api.hpp"
#include "types.hpp"
#include "workflow_api.hpp"

#include <array>
#include <cstdint>
#include <span>

namespace tamri::python {
namespace {

PyObject* build_module() {
    static PyMethodDef methods[] = {
        parse_fasta_records_method,
        validate_fasta_input_method,
        validate_fasta_input_with_kind_method,
        tokenize_fasta_records_method,
        tokenize_protein_method,
        build_model_inputs_checked_method,
        prepare_workflow_method,
        prepare_workflow_from_fasta_method,
        inspect_package_manifest_method,
        validate_package_manifest_method,
        validate_package_manifest_artifacts_method,
        validate_package_manifest_file_method,
        plan_runtime_bridge_method,
        {nullptr, nullptr, 0, nullptr},
    };
    // No per-module state: a second initialization in this process hands back the same module.
    static PyModuleDef definition{PyModuleDef_HEAD_INIT, "tamri", "", 0, nullptr, nullptr, nullptr, nullptr, nullptr};
    PyRef module = PyRef::steal(PyModule_Create(&definition));
    const std::array<std::span<const ModuleClass>, 4> families{sequence_classes, tokenizer_classes, model_input_classes,
                                                               workflow_classes};
    for (const std::span<const ModuleClass> family : families) {
        for (const ModuleClass& module_class : family) {
            PyObject* type = reinterpret_cast<PyObject*>(module_class.type());
            if (type == nullptr) {
                throw PythonErrorSet{};
            }
            check_status(PyModule_AddObjectRef(module.get(), module_class.name, type));
        }
    }
    PyObject* error_type = tamri_error_type();
    if (error_type == nullptr) {
        throw PythonErrorSet{};
    }
    check_status(PyModule_AddObjectRef(module.get(), "TamriError", error_type));
    check_status(PyModule_AddFunctions(module.get(), methods));
    return module.release();
}

// The module object this process created, kept for later initializations, and the interpreter
// it belongs to.
struct LoadedModule {
    PyObject* module = nullptr;
    std::int64_t interpreter_id = -1;
};

PyObject* initialize_module() {
    static LoadedModule state;
    const std::int64_t interpreter_id = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (interpreter_id == -1) {
        return nullptr;
    }
    if (state.module != nullptr) {
        if (interpreter_id != state.interpreter_id) {
            PyErr_SetString(PyExc_ImportError, "tamri: sub-interpreters are not supported");
            return nullptr;
        }
        Py_INCREF(state.module);
        return state.module;
    }
    PyObject* module = guarded(build_module);
    if (module == nullptr) {
        return nullptr;
    }
    state.module = module;
    state.interpreter_id = interpreter_id;
    Py_INCREF(module);  // the process keeps one reference for later initializations
    return module;
}

}  // namespace
}  // namespace tamri::python

PyMODINIT_FUNC PyInit_tamri(void) {
    return tamri::python::initialize_module();
}
