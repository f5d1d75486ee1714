#include "errors.hpp"

#include "conversion.hpp"
#include "once.hpp"

namespace tamri::python {

PyObject* tamri_error_type() {
    static OnceCell cell;
    return cell.get_or_create([] { return PyErr_NewException("tamri.TamriError", PyExc_ValueError, nullptr); });
}

void raise_module_error(std::string_view code, const std::string& message,
                        const std::optional<DiagnosticLocation>& location) {
    PyObject* type = tamri_error_type();
    if (type == nullptr) {
        throw PythonErrorSet{};
    }
    const PyRef text = to_python(message);
    const PyRef error = PyRef::steal(PyObject_CallFunctionObjArgs(type, text.get(), nullptr));
    check_status(PyObject_SetAttrString(error.get(), "code", to_python(code).get()));
    check_status(PyObject_SetAttrString(error.get(), "message", text.get()));
    if (location) {
        const PyRef dict = PyRef::steal(PyDict_New());
        check_status(PyDict_SetItemString(dict.get(), "line", to_python(location->line).get()));
        check_status(PyDict_SetItemString(dict.get(), "record_index", to_python(location->record_index).get()));
        check_status(PyObject_SetAttrString(error.get(), "location", dict.get()));
    } else {
        check_status(PyObject_SetAttrString(error.get(), "location", Py_None));
    }
    PyErr_SetObject(type, error.get());
}

void throw_python_error(PyObject* type, const std::string& message) {
    PyErr_SetString(type, message.c_str());
    throw PythonErrorSet{};
}

void set_internal_error(const char* what) noexcept {
    PyErr_Format(PyExc_SystemError, "tamri internal error: %s", what);
}

}  // namespace tamri::python
