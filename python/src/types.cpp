#include "types.hpp"

#include "conversion.hpp"

#include <fmt/format.h>

namespace tamri::python {
namespace {

template <class M>
struct MemberPointer;
template <class C, class V>
struct MemberPointer<V C::*> {
    using Owner = C;
};

template <class T>
void deallocate(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    reinterpret_cast<ValueObject<T>*>(self)->value.~T();
    const auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

[[maybe_unused]] PyObject* refuse_construction(PyTypeObject* type, PyObject*, PyObject*) {
    return guarded([&]() -> PyObject* {
        const PyRef name = PyRef::steal(PyType_GetName(type));
        PyErr_Format(PyExc_TypeError, "No constructor defined for %U", name.get());
        return nullptr;
    });
}

// A read-only attribute that converts one field anew on every access.
template <auto Field>
PyObject* get_field(PyObject* self, void*) {
    using Owner = typename MemberPointer<decltype(Field)>::Owner;
    return guarded([&] { return to_python(unwrap<Owner>(self).*Field).release(); });
}

template <auto Field>
constexpr PyGetSetDef field_attribute(const char* name) {
    return PyGetSetDef{name, get_field<Field>, nullptr, nullptr, nullptr};
}

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

}  // namespace

template <class T>
PyTypeObject* class_type() {
    static OnceCell cell;
    return reinterpret_cast<PyTypeObject*>(cell.get_or_create(create_class<T>));
}

// ---- ProteinSequence ----

template <>
struct ClassDefinition<ProteinSequence> {
    static constexpr const char* qualified_name = "tamri.ProteinSequence";
    static constexpr const char* constructor_doc = "ProteinSequence(id, sequence)\n--\n\n";
    static constexpr std::array<PyGetSetDef, 3> attributes{
        field_attribute<&ProteinSequence::id>("id"),
        field_attribute<&ProteinSequence::sequence>("sequence"),
        PyGetSetDef{},
    };

    static PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
        return guarded([&] {
            static constexpr std::array<Parameter, 2> parameters{{{"id"}, {"sequence"}}};
            const auto [id, sequence] = bind_arguments("ProteinSequence", parameters, args, kwargs);
            return wrap_in(type, ProteinSequence{std::string{extract_text(id, "id")},
                                                 std::string{extract_text(sequence, "sequence")}})
                .release();
        });
    }
};
template PyTypeObject* class_type<ProteinSequence>();

std::vector<ModuleClass> module_classes() {
    return {
        {"ProteinSequence", class_type<ProteinSequence>},
    };
}

}  // namespace tamri::python
