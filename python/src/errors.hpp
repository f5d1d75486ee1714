#pragma once

#include "error.hpp"
#include "py_ref.hpp"

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tamri::python {

// The module exception type tamri.TamriError (a ValueError), created once per process.
PyObject* tamri_error_type();

// Sets tamri.TamriError with `code`, `message` and `location` attributes as the pending exception.
void raise_module_error(std::string_view code, const std::string& message,
                        const std::optional<DiagnosticLocation>& location);

// Sets a Python exception of `type` and throws PythonErrorSet.
[[noreturn]] void throw_python_error(PyObject* type, const std::string& message);

void set_internal_error(const char* what) noexcept;

// Runs `body` and turns every C++ failure into a pending Python exception: the one bridge
// through which core diagnostics reach Python. No C++ exception crosses into the interpreter.
template <class Result, class Body>
Result call_guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (const PythonErrorSet&) {
    } catch (const Diagnostic& diagnostic) {
        // Building the Python exception may fail too; that failure is reported instead.
        try {
            raise_module_error(diagnostic.code(), diagnostic.message(), diagnostic.location());
        } catch (const PythonErrorSet&) {
        } catch (const std::bad_alloc&) {
            PyErr_NoMemory();
        } catch (const std::length_error&) {
            PyErr_NoMemory();
        } catch (const std::exception& error) {
            set_internal_error(error.what());
        } catch (...) {
            set_internal_error("unknown exception");
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
    return failure;
}

template <class Body>
PyObject* guarded(Body&& body) noexcept {
    return call_guarded<PyObject*>(nullptr, [&] { return body(); });
}

}  // namespace tamri::python
