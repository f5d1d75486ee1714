#pragma once

// The class machinery: immutable Python objects that each own one core value, stored inside the
// object itself so results move from the core into Python without copies. Each function family
// defines its classes with a `ClassDefinition` specialization, instantiates `class_type` for them
// and declares that instantiation `extern` in its header.

#include "conversion.hpp"
#include "error_bridge.hpp"
#include "once.hpp"
#include "py_ref.hpp"

#include "tamri/base/member_pointer.hpp"

#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace tamri::python {

// Token ids as Python sees them: the core's 8-bit ids, moved in untouched, or the wider values a
// Python caller gave a constructor (kept as given; ids above 255 are refused only when model
// inputs are built from them).
using TokenIds = std::variant<std::vector<std::uint8_t>, std::vector<std::uint64_t>>;

// A Python object's core value, immutable once wrapped. An object read out of another (an item
// of a list attribute) shares its value with the owner instead of copying it: nothing can change
// either, so a shared value cannot be told from a copy.
template <class T>
struct ValueObject {
    PyObject_HEAD std::shared_ptr<const T> value;
};

// What each class declares: `qualified_name`, `attributes` (a PyGetSetDef table ending in an
// empty entry) and, for classes Python may build, `construct` and its `constructor_doc`.
template <class T>
struct ClassDefinition;

// The class of T, created once per process.
template <class T>
PyTypeObject* class_type();

template <class T>
const std::shared_ptr<const T>& shared_value(PyObject* object) {
    return reinterpret_cast<ValueObject<T>*>(object)->value;
}

template <class T>
const T& unwrap(PyObject* object) {
    return *shared_value<T>(object);
}

// A new instance of `type` holding `value`.
template <class T>
PyRef wrap_shared(PyTypeObject* type, std::shared_ptr<const T> value) {
    if (type == nullptr) {
        throw PythonErrorSet{};
    }
    const auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    PyRef object = PyRef::steal(alloc(type, 0));
    new (&reinterpret_cast<ValueObject<T>*>(object.get())->value) std::shared_ptr<const T>(std::move(value));
    return object;
}

// A new instance of T's class that takes over `value`.
template <class T>
PyRef wrap_in(PyTypeObject* type, T&& value) {
    using Value = std::decay_t<T>;
    // Allocated before the Python object, so a failure leaves no half-built instance behind.
    return wrap_shared(type, std::make_shared<const Value>(std::forward<T>(value)));
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

// A new list of new instances that share the values of `values`, which `owner` keeps alive.
template <class Owner, class T>
requires std::is_class_v<T> PyRef share_list(const std::shared_ptr<const Owner>& owner, const std::vector<T>& values) {
    PyTypeObject* type = class_type<T>();
    return to_python_list(values,
                          [&](const T& value) { return wrap_shared(type, std::shared_ptr<const T>(owner, &value)); });
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

// ---- attributes ----

template <class V>
PyRef to_attribute(const V& value) {
    return to_python(value);
}

inline PyRef to_attribute(const TokenIds& ids) {
    return std::visit([](const auto& values) { return to_python(std::span{values}); }, ids);
}

// A read-only attribute that converts one field anew on every access. Lists of class values
// become new lists of new instances sharing the owner's values: an attribute never hands out an
// object the owner keeps, and never copies what cannot change.
template <auto Field>
PyObject* get_field(PyObject* self, void*) {
    return guarded([&] {
        using Record = member_record_t<Field>;
        const std::shared_ptr<const Record>& owner = shared_value<Record>(self);
        const auto& field = (*owner).*Field;
        if constexpr (requires { share_list(owner, field); }) {
            return share_list(owner, field).release();
        } else {
            return to_attribute(field).release();
        }
    });
}

template <auto Field>
constexpr PyGetSetDef field_attribute(const char* name) {
    return PyGetSetDef{name, get_field<Field>, nullptr, nullptr, nullptr};
}

// ---- class creation ----

namespace detail {

template <class T>
void deallocate(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    using Shared = std::shared_ptr<const T>;
    reinterpret_cast<ValueObject<T>*>(self)->value.~Shared();
    const auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

// tp_new of the classes that only module functions build.
PyObject* refuse_construction(PyTypeObject* type, PyObject*, PyObject*);

template <class T>
PyObject* create_class() {
    using Definition = ClassDefinition<T>;
    std::vector<PyType_Slot> slots{
        {Py_tp_dealloc, reinterpret_cast<void*>(deallocate<T>)},
        {Py_tp_getset, const_cast<PyGetSetDef*>(Definition::attributes.data())},
    };
    if constexpr (requires { Definition::construct; }) {
        slots.push_back({Py_tp_new, reinterpret_cast<void*>(Definition::construct)});
        slots.push_back({Py_tp_doc, const_cast<char*>(Definition::constructor_doc)});
    } else {
        slots.push_back({Py_tp_new, reinterpret_cast<void*>(refuse_construction)});
    }
    slots.push_back({0, nullptr});
    PyType_Spec spec{Definition::qualified_name, static_cast<int>(sizeof(ValueObject<T>)), 0, Py_TPFLAGS_DEFAULT,
                     slots.data()};
    return PyType_FromSpec(&spec);
}

}  // namespace detail

// Instantiated once per class, in the file that specializes its ClassDefinition.
template <class T>
PyTypeObject* class_type() {
    static OnceCell cell;
    return reinterpret_cast<PyTypeObject*>(cell.get_or_create(detail::create_class<T>));
}

// One of the module's classes, as the module adds it.
struct ModuleClass {
    const char* name;
    PyTypeObject* (*type)();
};

}  // namespace tamri::python
