#pragma once

// Conversions at the Python boundary: C++ values to new Python objects, and module-function arguments
// bound and extracted with the interpreter's own error wording.

#include "py_ref.hpp"

#include "tamri/base/choice.hpp"
#include "tamri/base/diagnostic.hpp"
#include "tamri/base/enum_table.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::python {

// ---- C++ values to new Python objects ----
PyRef to_python(std::string_view text);
PyRef to_python(const std::string& text);
PyRef to_python(const char* text) = delete;
PyRef to_python(bool value);
PyRef to_python(std::uint64_t value);
PyRef to_python(std::optional<std::uint64_t> value);  // None when absent
PyRef to_python(char32_t character);
PyRef to_python(std::span<const std::uint8_t> values);   // list of int
PyRef to_python(std::span<const std::uint64_t> values);  // list of int

// A new list holding `convert(item)` for every item.
template <class Range, class Convert>
PyRef to_python_list(Range&& items, Convert&& convert) {
    PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(std::size(items))));
    Py_ssize_t index = 0;
    for (auto&& item : items) {
        PyRef element = convert(std::forward<decltype(item)>(item));
        check_status(PyList_SetItem(list.get(), index++, element.release()));
    }
    return list;
}

// ---- arguments ----

using KeywordFunction = PyObject* (*)(PyObject* self, PyObject* args, PyObject* kwargs);

// A module function taking positional or keyword arguments; `doc` is its text signature.
inline PyMethodDef keyword_method(const char* name, KeywordFunction function, const char* doc) {
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function)), METH_VARARGS | METH_KEYWORDS,
            doc};
}

struct Parameter {
    const char* name;
    bool required = true;
};

// Binds positional and keyword arguments to `parameters` with the interpreter's own wording for
// missing, surplus, duplicate and unknown arguments. Absent optional arguments are NULL.
// The returned references are borrowed from `args` and `kwargs`.
std::vector<PyObject*> bind_arguments(const char* function_name, std::span<const Parameter> parameters, PyObject* args,
                                      PyObject* kwargs);

template <std::size_t N>
std::array<PyObject*, N> bind_arguments(const char* function_name, const std::array<Parameter, N>& parameters,
                                        PyObject* args, PyObject* kwargs) {
    const std::vector<PyObject*> bound = bind_arguments(function_name, std::span{parameters}, args, kwargs);
    std::array<PyObject*, N> result{};
    std::copy(bound.begin(), bound.end(), result.begin());
    return result;
}

// Raises TypeError "argument '{name}': {reason}".
[[noreturn]] void throw_argument_type_error(const char* name, const std::string& reason);

// The Python name of `type`, and of the type of `object`, for messages.
std::string type_name(PyTypeObject* type);
std::string type_name_of(PyObject* object);

// TypeError "argument '{name}': '{type}' object cannot be converted to '{target}'".
[[noreturn]] void throw_conversion_error(PyObject* object, const char* name, std::string_view target);

// A `str` argument as UTF-8, borrowed from `object`. bytes and path objects are refused;
// lone surrogates raise the interpreter's UnicodeEncodeError.
std::string_view extract_text(PyObject* object, const char* name);
std::string_view extract_text_or(PyObject* object, const char* name, std::string_view fallback);

// A `bool` argument; ints and other truthy objects are refused.
bool extract_bool(PyObject* object, const char* name);
bool extract_bool_or(PyObject* object, const char* name, bool fallback);

// Integer arguments: TypeError for non-integers, OverflowError outside the target range.
std::uint64_t extract_unsigned(PyObject* object, const char* name);
std::uint8_t extract_byte(PyObject* object, const char* name);
std::uint64_t extract_unsigned_or(PyObject* object, const char* name, std::uint64_t fallback);

// A list argument of unsigned machine words (any Python sequence but str).
std::vector<std::uint64_t> extract_unsigned_list(PyObject* object, const char* name);

}  // namespace tamri::python
