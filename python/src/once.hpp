#pragma once

// Process-wide Python objects, created once on first use under the interpreter lock.

#include <Python.h>

namespace tamri::python {

// A process-wide object created on first use and kept for the life of the process. Callers
// hold the interpreter lock; if creation lets another thread in and it finishes first, its
// result is kept and ours dropped.
class OnceCell {
public:
    template <class Create>
    PyObject* get_or_create(Create&& create) {
        if (object_ != nullptr) {
            return object_;
        }
        PyObject* created = create();
        if (object_ != nullptr) {
            if (created == nullptr) {
                PyErr_Clear();
            }
            Py_XDECREF(created);
            return object_;
        }
        object_ = created;
        return object_;
    }

private:
    PyObject* object_ = nullptr;
};

}  // namespace tamri::python
