#pragma once

// The module's classes: immutable Python objects that each own one core value, stored inside
// the object itself so results move from the core into Python without copies.

#include "conversion.hpp"
#include "errors.hpp"
#include "once.hpp"
#include "py_ref.hpp"

#include "fasta.hpp"
#include "sequence/report.hpp"
#include "sequence/types.hpp"

#include <cstdint>
#include <new>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace tamri::python {

// Token ids as Python sees them: the core's 8-bit ids, moved in untouched, or the wider values a
// Python caller gave a constructor (kept as given; ids above 255 are refused only when model
// inputs are built from them).
using TokenIds = std::variant<std::vector<std::uint8_t>, std::vector<std::uint64_t>>;

// The value behind a Python TokenizedProtein: the core record's fields with widened token ids.
struct TokenizedProteinObject {
    std::string id;
    std::string alphabet;
    bool valid = true;
    TokenIds tokens;
    std::uint64_t length = 0;
    std::vector<ResidueIssue> warnings;
    std::vector<ResidueIssue> errors;
};

// The value behind a Python ModelInputRecord: nothing is checked when Python builds one.
struct ModelInputRecordObject {
    std::string id;
    TokenIds input_ids;
    TokenIds attention_mask;
    bool truncated = false;
};

// The value behind a Python ModelInput; the policy stays behind in the core result.
struct ModelInputObject {
    std::vector<ModelInputRecordObject> records;
};

template <class T>
struct ValueObject {
    PyObject_HEAD T value;
};

// What each class declares: its name, constructor docstring (empty for classes built only by
// module functions), attribute getters and constructor. Specialized per class in types.cpp.
template <class T>
struct ClassDefinition;

template <class T>
PyTypeObject* class_type();

template <class T>
const T& unwrap(PyObject* object) {
    return reinterpret_cast<ValueObject<T>*>(object)->value;
}

template <class T>
bool is_instance(PyObject* object) {
    PyTypeObject* type = class_type<T>();
    if (type == nullptr) {
        throw PythonErrorSet{};
    }
    return PyObject_TypeCheck(object, type) != 0;
}

// A new instance of T's class that takes over `value`.
template <class T>
PyRef wrap_in(PyTypeObject* type, T&& value) {
    if (type == nullptr) {
        throw PythonErrorSet{};
    }
    const auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    PyRef object = PyRef::steal(alloc(type, 0));
    new (&reinterpret_cast<ValueObject<std::decay_t<T>>*>(object.get())->value) std::decay_t<T>(std::forward<T>(value));
    return object;
}

template <class T>
PyRef wrap(T&& value) {
    return wrap_in(class_type<std::decay_t<T>>(), std::forward<T>(value));
}

// A new list of new instances, one per value, taking the values over.
template <class T>
PyRef wrap_list(std::vector<T>&& values) {
    return to_python_list(values, [](T& value) { return wrap(std::move(value)); });
}

// A new list of new instances holding copies: attributes never hand out shared objects.
template <class T>
PyRef copy_list(const std::vector<T>& values) {
    return to_python_list(values, [](const T& value) { return wrap(T{value}); });
}

// The items of a list argument (any Python sequence but str), each checked to be an instance of
// `item_type`; TypeError naming the argument otherwise.
std::vector<PyRef> extract_sequence_items(PyObject* object, const char* name, PyTypeObject* item_type);

// A list argument of instances of T's class, as copies of their values.
template <class T>
std::vector<T> extract_instances(PyObject* object, const char* name) {
    const std::vector<PyRef> items = extract_sequence_items(object, name, class_type<T>());
    std::vector<T> values;
    values.reserve(items.size());
    for (const PyRef& item : items) {
        values.push_back(unwrap<T>(item.get()));
    }
    return values;
}

// The module's classes, in the order the module adds them.
struct ModuleClass {
    const char* name;
    PyTypeObject* (*type)();
};
std::vector<ModuleClass> module_classes();

}  // namespace tamri::python
