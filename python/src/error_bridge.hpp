#pragma once

// Errors across the Python boundary: the tamri.TamriError type, and the guard that turns every C++
// failure into a pending Python exception.

#include "py_ref.hpp"
#include "tamri/base/diagnostic.hpp"

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

// Sets the pending Python exception for the C++ exception being handled; only called from a
// catch block. Core diagnostics become tamri.TamriError, allocation failures MemoryError, and
// anything else SystemError.
void set_error_from_current_exception() noexcept;

// Runs `body` and turns every C++ failure into a pending Python exception: the one bridge
// through which core diagnostics reach Python. No C++ exception crosses into the interpreter.
template <class Result, class Body>
Result call_guarded(Result failure, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        set_error_from_current_exception();
    }
    return failure;
}

template <class Body>
PyObject* guarded(Body&& body) noexcept {
    return call_guarded<PyObject*>(nullptr, [&] { return body(); });
}

}  // namespace tamri::python
