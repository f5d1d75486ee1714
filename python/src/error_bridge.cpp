#include "error_bridge.hpp"

#include "conversion.hpp"
#include "once.hpp"

#include <new>
#include <stdexcept>

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

namespace {

void set_internal_error(const char* what) noexcept {
    PyErr_Format(PyExc_SystemError, "tamri internal error: %s", what);
}

}  // namespace

void set_error_from_current_exception() noexcept {
    try {
        throw;
    } catch (const PythonErrorSet&) {
    } catch (const Diagnostic& diagnostic) {
        try {
            raise_module_error(diagnostic.code(), diagnostic.message(), diagnostic.location());
        } catch (...) {
            // Building the Python exception failed (no memory, say): that failure is reported.
            set_error_from_current_exception();
        }
    } catch (const std::bad_alloc&) {
        PyErr_NoMemory();
    } catch (const std::length_error&) {
        // A container asked for more than it can ever hold (such as a padded row of 2**64 - 1
        // ids): out of memory, not a broken invariant.
        PyErr_NoMemory();
    } catch (const std::exception& error) {
        set_internal_error(error.what());
    } catch (...) {
        set_internal_error("unknown exception");
    }
}

}  // namespace tamri::python
