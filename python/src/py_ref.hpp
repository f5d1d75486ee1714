#pragma once

// Owned Python references, and the C++ exception that says a Python exception is already set.

#include <Python.h>

#include <utility>

namespace tamri::python {

// Thrown inside the binding when a Python exception is already set; the call guard turns it
// into a NULL return so the interpreter sees that exception.
struct PythonErrorSet {};

// Owns one strong reference.
class PyRef {
public:
    PyRef() noexcept = default;
    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;
    PyRef(PyRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    PyRef& operator=(PyRef&& other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~PyRef() { Py_XDECREF(object_); }

    // Takes over a new reference; a NULL result means the call that made it set an exception.
    static PyRef steal(PyObject* object) {
        if (object == nullptr) {
            throw PythonErrorSet{};
        }
        return PyRef{object};
    }
    static PyRef borrow(PyObject* object) {
        Py_INCREF(object);
        return PyRef{object};
    }

    [[nodiscard]] PyObject* get() const noexcept { return object_; }
    [[nodiscard]] PyObject* release() noexcept { return std::exchange(object_, nullptr); }

private:
    explicit PyRef(PyObject* object) noexcept : object_(object) {}
    PyObject* object_ = nullptr;
};

// Throws PythonErrorSet when a C API call reported failure through a -1 status.
inline void check_status(int status) {
    if (status < 0) {
        throw PythonErrorSet{};
    }
}

}  // namespace tamri::python
