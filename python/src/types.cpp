#include "types.hpp"

#include <fmt/format.h>

namespace tamri::python {

PyObject* detail::refuse_construction(PyTypeObject* type, PyObject*, PyObject*) {
    return guarded([&]() -> PyObject* {
        const PyRef name = PyRef::steal(PyType_GetName(type));
        PyErr_Format(PyExc_TypeError, "No constructor defined for %U", name.get());
        return nullptr;
    });
}

std::vector<PyRef> extract_sequence_items(PyObject* object, const char* name, PyTypeObject* item_type) {
    if (item_type == nullptr) {
        throw PythonErrorSet{};
    }
    if (PyUnicode_Check(object)) {
        throw_argument_type_error(name, fmt::format("a 'str' cannot be taken as a list of '{}'", type_name(item_type)));
    }
    if (!PySequence_Check(object)) {
        throw_conversion_error(object, name, "Sequence");
    }
    const Py_ssize_t size = PySequence_Size(object);
    if (size < 0) {
        throw PythonErrorSet{};
    }
    std::vector<PyRef> items;
    items.reserve(static_cast<std::size_t>(size));
    for (Py_ssize_t i = 0; i < size; ++i) {
        PyRef item = PyRef::steal(PySequence_GetItem(object, i));
        if (PyObject_TypeCheck(item.get(), item_type) == 0) {
            throw_conversion_error(item.get(), name, type_name(item_type));
        }
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace tamri::python
