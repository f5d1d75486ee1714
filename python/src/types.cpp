#include "types.hpp"

#include "conversion.hpp"

#include "member_pointer.hpp"
#include "tokenizer/config.hpp"

#include <fmt/format.h>

#include <span>
#include <type_traits>
#include <variant>

namespace tamri::python {
namespace {

template <class T>
void deallocate(PyObject* self) {
    PyTypeObject* type = Py_TYPE(self);
    reinterpret_cast<ValueObject<T>*>(self)->value.~T();
    const auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

PyObject* refuse_construction(PyTypeObject* type, PyObject*, PyObject*) {
    return guarded([&]() -> PyObject* {
        const PyRef name = PyRef::steal(PyType_GetName(type));
        PyErr_Format(PyExc_TypeError, "No constructor defined for %U", name.get());
        return nullptr;
    });
}

template <class V>
PyRef to_attribute(const V& value) {
    return to_python(value);
}

PyRef to_attribute(const TokenIds& ids) {
    return std::visit([](const auto& values) { return to_python(std::span{values}); }, ids);
}

// Lists of class values become new lists of new instances: an attribute never hands out an
// object its owner keeps.
template <class T>
requires std::is_class_v<T> PyRef to_attribute(const std::vector<T>& values) {
    return copy_list(values);
}

// A read-only attribute that converts one field anew on every access.
template <auto Field>
PyObject* get_field(PyObject* self, void*) {
    using Owner = member_record_t<Field>;
    return guarded([&] { return to_attribute(unwrap<Owner>(self).*Field).release(); });
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

// ---- ResidueIssue ----

namespace {

// A `str` of exactly one code point.
char32_t extract_residue(PyObject* object, const char* name) {
    if (!PyUnicode_Check(object)) {
        throw_conversion_error(object, name, "str");
    }
    const Py_ssize_t length = PyUnicode_GetLength(object);
    if (length < 0) {
        throw PythonErrorSet{};
    }
    if (length != 1) {
        throw_python_error(PyExc_ValueError, "residue issue must contain exactly one residue");
    }
    const Py_UCS4 residue = PyUnicode_ReadChar(object, 0);
    if (residue == static_cast<Py_UCS4>(-1) && PyErr_Occurred()) {
        throw PythonErrorSet{};
    }
    return static_cast<char32_t>(residue);
}

}  // namespace

template <>
struct ClassDefinition<ResidueIssue> {
    static constexpr const char* qualified_name = "tamri.ResidueIssue";
    static constexpr const char* constructor_doc = "ResidueIssue(residue, position)\n--\n\n";
    static constexpr std::array<PyGetSetDef, 3> attributes{
        field_attribute<&ResidueIssue::residue>("residue"),
        field_attribute<&ResidueIssue::position>("position"),
        PyGetSetDef{},
    };

    static PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
        return guarded([&] {
            static constexpr std::array<Parameter, 2> parameters{{{"residue"}, {"position"}}};
            const auto [residue, position] = bind_arguments("ResidueIssue", parameters, args, kwargs);
            const char32_t character = extract_residue(residue, "residue");
            return wrap_in(type, ResidueIssue{.position = extract_unsigned(position, "position"), .residue = character})
                .release();
        });
    }
};
template PyTypeObject* class_type<ResidueIssue>();

// ---- ValidatedSequence ----

namespace {

std::vector<ResidueIssue> extract_issues_or_empty(PyObject* object, const char* name) {
    if (object == nullptr || object == Py_None) {
        return {};
    }
    return extract_instances<ResidueIssue>(object, name);
}

}  // namespace

template <>
struct ClassDefinition<ValidatedSequence> {
    static constexpr const char* qualified_name = "tamri.ValidatedSequence";
    static constexpr const char* constructor_doc =
        "ValidatedSequence(id, sequence, alphabet=\"protein-20\", valid=True, warnings=None, errors=None)\n--\n\n";
    static constexpr std::array<PyGetSetDef, 7> attributes{
        field_attribute<&ValidatedSequence::id>("id"),
        field_attribute<&ValidatedSequence::sequence>("sequence"),
        field_attribute<&ValidatedSequence::alphabet>("alphabet"),
        field_attribute<&ValidatedSequence::valid>("valid"),
        field_attribute<&ValidatedSequence::warnings>("warnings"),
        field_attribute<&ValidatedSequence::errors>("errors"),
        PyGetSetDef{},
    };

    // Stores the values as given: the sequence is not normalized and `valid` is not derived
    // from the issue lists.
    static PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
        return guarded([&] {
            static constexpr std::array<Parameter, 6> parameters{
                {{"id"}, {"sequence"}, {"alphabet", false}, {"valid", false}, {"warnings", false}, {"errors", false}}};
            const auto [id, sequence, alphabet, valid, warnings, errors] =
                bind_arguments("ValidatedSequence", parameters, args, kwargs);
            ValidatedSequence value;
            value.id = extract_text(id, "id");
            value.sequence = extract_text(sequence, "sequence");
            value.alphabet = extract_text_or(alphabet, "alphabet", sequence_kind_alphabet(SequenceKind::protein));
            value.valid = extract_bool_or(valid, "valid", true);
            value.warnings = extract_issues_or_empty(warnings, "warnings");
            value.errors = extract_issues_or_empty(errors, "errors");
            return wrap_in(type, std::move(value)).release();
        });
    }
};
template PyTypeObject* class_type<ValidatedSequence>();

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

// ---- SequenceValidationReport ----

template <>
struct ClassDefinition<SequenceValidationReport> {
    static constexpr const char* qualified_name = "tamri.SequenceValidationReport";
    static constexpr std::array<PyGetSetDef, 6> attributes{
        field_attribute<&SequenceValidationReport::records>("records"),
        field_attribute<&SequenceValidationReport::valid_records>("valid_records"),
        field_attribute<&SequenceValidationReport::warning_count>("warning_count"),
        field_attribute<&SequenceValidationReport::error_count>("error_count"),
        field_attribute<&SequenceValidationReport::sequences>("sequences"),
        PyGetSetDef{},
    };
};
template PyTypeObject* class_type<SequenceValidationReport>();

// ---- TokenizedProtein ----

template <>
struct ClassDefinition<TokenizedProteinObject> {
    static constexpr const char* qualified_name = "tamri.TokenizedProtein";
    static constexpr const char* constructor_doc =
        "TokenizedProtein(id, tokens, length=None, alphabet=\"protein-20\", valid=True, warnings=None, "
        "errors=None)\n--\n\n";
    static constexpr std::array<PyGetSetDef, 8> attributes{
        field_attribute<&TokenizedProteinObject::id>("id"),
        field_attribute<&TokenizedProteinObject::alphabet>("alphabet"),
        field_attribute<&TokenizedProteinObject::valid>("valid"),
        field_attribute<&TokenizedProteinObject::tokens>("tokens"),
        field_attribute<&TokenizedProteinObject::length>("length"),
        field_attribute<&TokenizedProteinObject::warnings>("warnings"),
        field_attribute<&TokenizedProteinObject::errors>("errors"),
        PyGetSetDef{},
    };

    // Stores the values as given: `length` is not compared with the tokens, `valid` is not
    // derived from the issue lists and token ids are not range-checked.
    static PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
        return guarded([&] {
            static constexpr std::array<Parameter, 7> parameters{{{"id"},
                                                                  {"tokens"},
                                                                  {"length", false},
                                                                  {"alphabet", false},
                                                                  {"valid", false},
                                                                  {"warnings", false},
                                                                  {"errors", false}}};
            const auto [id, tokens, length, alphabet, valid, warnings, errors] =
                bind_arguments("TokenizedProtein", parameters, args, kwargs);
            TokenizedProteinObject value;
            value.id = extract_text(id, "id");
            std::vector<std::uint64_t> token_values = extract_unsigned_list(tokens, "tokens");
            value.length =
                length == nullptr || length == Py_None ? token_values.size() : extract_unsigned(length, "length");
            value.tokens = std::move(token_values);
            value.alphabet = extract_text_or(alphabet, "alphabet",
                                             protein_tokenizer_profile_text(ProteinTokenizerProfile::protein_20));
            value.valid = extract_bool_or(valid, "valid", true);
            value.warnings = extract_issues_or_empty(warnings, "warnings");
            value.errors = extract_issues_or_empty(errors, "errors");
            return wrap_in(type, std::move(value)).release();
        });
    }
};
template PyTypeObject* class_type<TokenizedProteinObject>();

// ---- ModelInputRecord ----

template <>
struct ClassDefinition<ModelInputRecordObject> {
    static constexpr const char* qualified_name = "tamri.ModelInputRecord";
    static constexpr const char* constructor_doc = "ModelInputRecord(id, input_ids, attention_mask, truncated)\n--\n\n";
    static constexpr std::array<PyGetSetDef, 5> attributes{
        field_attribute<&ModelInputRecordObject::id>("id"),
        field_attribute<&ModelInputRecordObject::input_ids>("input_ids"),
        field_attribute<&ModelInputRecordObject::attention_mask>("attention_mask"),
        field_attribute<&ModelInputRecordObject::truncated>("truncated"),
        PyGetSetDef{},
    };

    // Nothing is checked: the lists may differ in length and hold values above 255.
    static PyObject* construct(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
        return guarded([&] {
            static constexpr std::array<Parameter, 4> parameters{
                {{"id"}, {"input_ids"}, {"attention_mask"}, {"truncated"}}};
            const auto [id, input_ids, attention_mask, truncated] =
                bind_arguments("ModelInputRecord", parameters, args, kwargs);
            ModelInputRecordObject value;
            value.id = extract_text(id, "id");
            value.input_ids = extract_unsigned_list(input_ids, "input_ids");
            value.attention_mask = extract_unsigned_list(attention_mask, "attention_mask");
            value.truncated = extract_bool(truncated, "truncated");
            return wrap_in(type, std::move(value)).release();
        });
    }
};
template PyTypeObject* class_type<ModelInputRecordObject>();

// ---- ModelInput ----

template <>
struct ClassDefinition<ModelInputObject> {
    static constexpr const char* qualified_name = "tamri.ModelInput";
    static constexpr std::array<PyGetSetDef, 2> attributes{
        field_attribute<&ModelInputObject::records>("records"),
        PyGetSetDef{},
    };
};
template PyTypeObject* class_type<ModelInputObject>();

std::vector<ModuleClass> module_classes() {
    return {
        {"ResidueIssue", class_type<ResidueIssue>},
        {"ValidatedSequence", class_type<ValidatedSequence>},
        {"ProteinSequence", class_type<ProteinSequence>},
        {"SequenceValidationReport", class_type<SequenceValidationReport>},
        {"TokenizedProtein", class_type<TokenizedProteinObject>},
        {"ModelInput", class_type<ModelInputObject>},
        {"ModelInputRecord", class_type<ModelInputRecordObject>},
    };
}

}  // namespace tamri::python
