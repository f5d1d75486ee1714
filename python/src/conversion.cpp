#include "conversion.hpp"

#include "error_bridge.hpp"

#include <fmt/format.h>

#include <climits>
#include <cstring>

namespace tamri::python {

PyRef to_python(std::string_view text) {
    return PyRef::steal(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

PyRef to_python(const std::string& text) {
    return to_python(std::string_view{text});
}

PyRef to_python(bool value) {
    return PyRef::steal(PyBool_FromLong(value ? 1 : 0));
}

PyRef to_python(std::uint64_t value) {
    static_assert(sizeof(unsigned long long) == sizeof(std::uint64_t));
    return PyRef::steal(PyLong_FromUnsignedLongLong(value));
}

PyRef to_python(std::optional<std::uint64_t> value) {
    return value ? to_python(*value) : PyRef::borrow(Py_None);
}

PyRef to_python(char32_t character) {
    return PyRef::steal(PyUnicode_FromOrdinal(static_cast<int>(character)));
}

namespace {

// Runs at least this long are built by list repetition rather than item by item.
constexpr std::size_t repeated_run_minimum = 16;

// Holds off the cyclic collector while one list is made (see list_of_bytes).
class CollectorPause {
public:
    CollectorPause() noexcept : was_enabled_(PyGC_Disable() != 0) {}
    CollectorPause(const CollectorPause&) = delete;
    CollectorPause& operator=(const CollectorPause&) = delete;
    ~CollectorPause() {
        if (was_enabled_) {
            PyGC_Enable();
        }
    }

private:
    bool was_enabled_;
};

PyRef list_of_bytes(std::span<const std::uint8_t> values) {
    // A caller reading the tokens of a large batch makes hundreds of thousands of lists; each
    // collection they trigger walks every item of the lists made before, which took two thirds
    // of the time. Paused while one list is made, the collection is left to the caller's next
    // allocation: it still runs, and still sees every list, but runs once rather than once per
    // few hundred lists. The list itself stays an ordinary tracked list.
    const CollectorPause pause;
    // list(bytes) fills the list in one C loop from the interpreter's cached small ints, about
    // twice as fast as setting items one call at a time.
    const PyRef bytes = PyRef::steal(PyBytes_FromStringAndSize(reinterpret_cast<const char*>(values.data()),
                                                               static_cast<Py_ssize_t>(values.size())));
    return PyRef::steal(PySequence_List(bytes.get()));
}

PyRef list_of_run(std::uint8_t value, std::size_t count) {
    const PyRef single = PyRef::steal(PyList_New(1));
    check_status(PyList_SetItem(single.get(), 0, to_python(std::uint64_t{value}).release()));
    return PyRef::steal(PySequence_Repeat(single.get(), static_cast<Py_ssize_t>(count)));
}

// How many values at the front (or, with `Backward`, at the end) equal `value`, compared eight
// at a time: rows are mostly runs, and this scan touches every item of them.
template <bool Backward>
std::size_t run_length(std::span<const std::uint8_t> values, std::uint8_t value) {
    constexpr std::size_t word = sizeof(std::uint64_t);
    const std::uint64_t pattern = 0x0101010101010101ULL * value;
    std::size_t length = 0;
    while (length + word <= values.size()) {
        std::uint64_t bytes = 0;
        std::memcpy(&bytes, values.data() + (Backward ? values.size() - length - word : length), word);
        if (bytes != pattern) {
            break;
        }
        length += word;
    }
    while (length < values.size() && values[Backward ? values.size() - 1 - length : length] == value) {
        ++length;
    }
    return length;
}

// The run's length when it is long enough to repeat, 0 otherwise.
std::size_t repeatable(std::size_t run) {
    return run >= repeated_run_minimum ? run : 0;
}

// Appends `piece` to `list`, or makes it the list when there is none yet.
void append_piece(PyRef& list, PyRef piece) {
    list = list.get() != nullptr ? PyRef::steal(PySequence_InPlaceConcat(list.get(), piece.get())) : std::move(piece);
}

}  // namespace

PyRef to_python(std::span<const std::uint8_t> values) {
    // Model-input rows are a run of tokens or ones followed by a run of padding or zeros: their
    // runs are built by repetition, one pointer store per item, and the rest from bytes.
    const std::size_t lead = values.empty() ? 0 : repeatable(run_length<false>(values, values.front()));
    const std::span<const std::uint8_t> rest = values.subspan(lead);
    const std::size_t trail = rest.empty() ? 0 : repeatable(run_length<true>(rest, rest.back()));
    const std::span<const std::uint8_t> middle = rest.first(rest.size() - trail);
    PyRef list;
    if (lead > 0) {
        append_piece(list, list_of_run(values.front(), lead));
    }
    if (!middle.empty() || lead + trail == 0) {
        append_piece(list, list_of_bytes(middle));
    }
    if (trail > 0) {
        append_piece(list, list_of_run(rest.back(), trail));
    }
    return list;
}

PyRef to_python(std::span<const std::uint64_t> values) {
    return to_python_list(values, [](std::uint64_t value) { return to_python(value); });
}

std::string type_name(PyTypeObject* type) {
    const PyRef name = PyRef::steal(PyType_GetName(type));
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(name.get(), &size);
    if (data == nullptr) {
        throw PythonErrorSet{};
    }
    return {data, static_cast<std::size_t>(size)};
}

std::string type_name_of(PyObject* object) {
    return type_name(Py_TYPE(object));
}

void throw_argument_type_error(const char* name, const std::string& reason) {
    throw_python_error(PyExc_TypeError, fmt::format("argument '{}': {}", name, reason));
}

void throw_conversion_error(PyObject* object, const char* name, std::string_view target) {
    throw_argument_type_error(name,
                              fmt::format("'{}' object cannot be converted to '{}'", type_name_of(object), target));
}

namespace {

std::string quoted_name_list(const std::vector<const char*>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            text += names.size() == 2 ? " and " : (i + 1 == names.size() ? ", and " : ", ");
        }
        fmt::format_to(std::back_inserter(text), "'{}'", names[i]);
    }
    return text;
}

[[noreturn]] void throw_too_many_positional(const char* function_name, std::span<const Parameter> parameters,
                                            Py_ssize_t given) {
    std::size_t required = 0;
    for (const Parameter& parameter : parameters) {
        required += parameter.required ? 1 : 0;
    }
    const std::string takes =
        required == parameters.size()
            ? fmt::format("{} positional argument{}", parameters.size(), parameters.size() == 1 ? "" : "s")
            : fmt::format("from {} to {} positional arguments", required, parameters.size());
    throw_python_error(PyExc_TypeError, fmt::format("{}() takes {} but {} {} given", function_name, takes, given,
                                                    given == 1 ? "was" : "were"));
}

std::size_t keyword_index(const char* function_name, std::span<const Parameter> parameters, PyObject* key) {
    if (!PyUnicode_Check(key)) {
        throw_python_error(PyExc_TypeError, fmt::format("{}() keywords must be strings", function_name));
    }
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (PyUnicode_CompareWithASCIIString(key, parameters[i].name) == 0) {
            return i;
        }
    }
    const PyRef repr = PyRef::steal(PyObject_Str(key));
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(repr.get(), &size);
    if (data == nullptr) {
        throw PythonErrorSet{};
    }
    throw_python_error(PyExc_TypeError, fmt::format("{}() got an unexpected keyword argument '{}'", function_name,
                                                    std::string_view{data, static_cast<std::size_t>(size)}));
}

}  // namespace

std::vector<PyObject*> bind_arguments(const char* function_name, std::span<const Parameter> parameters, PyObject* args,
                                      PyObject* kwargs) {
    std::vector<PyObject*> bound(parameters.size(), nullptr);
    const Py_ssize_t given = args ? PyTuple_Size(args) : 0;
    for (Py_ssize_t i = 0; i < given && static_cast<std::size_t>(i) < parameters.size(); ++i) {
        bound[static_cast<std::size_t>(i)] = PyTuple_GetItem(args, i);
    }
    if (kwargs != nullptr) {
        Py_ssize_t position = 0;
        PyObject* key = nullptr;
        PyObject* value = nullptr;
        while (PyDict_Next(kwargs, &position, &key, &value)) {
            const std::size_t index = keyword_index(function_name, parameters, key);
            if (bound[index] != nullptr) {
                throw_python_error(PyExc_TypeError, fmt::format("{}() got multiple values for argument '{}'",
                                                                function_name, parameters[index].name));
            }
            bound[index] = value;
        }
    }
    if (static_cast<std::size_t>(given) > parameters.size()) {
        throw_too_many_positional(function_name, parameters, given);
    }
    std::vector<const char*> missing;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        if (parameters[i].required && bound[i] == nullptr) {
            missing.push_back(parameters[i].name);
        }
    }
    if (!missing.empty()) {
        throw_python_error(PyExc_TypeError,
                           fmt::format("{}() missing {} required positional argument{}: {}", function_name,
                                       missing.size(), missing.size() == 1 ? "" : "s", quoted_name_list(missing)));
    }
    return bound;
}

std::string_view extract_text(PyObject* object, const char* name) {
    if (!PyUnicode_Check(object)) {
        throw_conversion_error(object, name, "str");
    }
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(object, &size);
    if (data == nullptr) {
        throw PythonErrorSet{};
    }
    return {data, static_cast<std::size_t>(size)};
}

std::string_view extract_text_or(PyObject* object, const char* name, std::string_view fallback) {
    return object == nullptr ? fallback : extract_text(object, name);
}

bool extract_bool(PyObject* object, const char* name) {
    if (!PyBool_Check(object)) {
        throw_conversion_error(object, name, "bool");
    }
    return object == Py_True;
}

bool extract_bool_or(PyObject* object, const char* name, bool fallback) {
    return object == nullptr ? fallback : extract_bool(object, name);
}

namespace {

// The argument as an exact int: TypeError (named) for anything that is not an integer.
PyRef extract_index(PyObject* object, const char* name) {
    PyObject* index = PyNumber_Index(object);
    if (index == nullptr) {
        if (PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            throw_argument_type_error(
                name, fmt::format("'{}' object cannot be interpreted as an integer", type_name_of(object)));
        }
        throw PythonErrorSet{};
    }
    return PyRef::steal(index);
}

}  // namespace

std::uint64_t extract_unsigned(PyObject* object, const char* name) {
    const PyRef index = extract_index(object, name);
    const unsigned long long value = PyLong_AsUnsignedLongLong(index.get());
    if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        throw PythonErrorSet{};
    }
    return value;
}

std::uint64_t extract_unsigned_or(PyObject* object, const char* name, std::uint64_t fallback) {
    return object == nullptr ? fallback : extract_unsigned(object, name);
}

std::vector<std::uint64_t> extract_unsigned_list(PyObject* object, const char* name) {
    if (PyUnicode_Check(object)) {
        throw_argument_type_error(name, "a 'str' cannot be taken as a list of 'int'");
    }
    if (!PySequence_Check(object)) {
        throw_conversion_error(object, name, "Sequence");
    }
    const Py_ssize_t size = PySequence_Size(object);
    if (size < 0) {
        throw PythonErrorSet{};
    }
    std::vector<std::uint64_t> values;
    values.reserve(static_cast<std::size_t>(size));
    for (Py_ssize_t i = 0; i < size; ++i) {
        const PyRef item = PyRef::steal(PySequence_GetItem(object, i));
        values.push_back(extract_unsigned(item.get(), name));
    }
    return values;
}

std::uint8_t extract_byte(PyObject* object, const char* name) {
    const PyRef index = extract_index(object, name);
    int overflow = 0;
    const long long value = PyLong_AsLongLongAndOverflow(index.get(), &overflow);
    if (value == -1 && PyErr_Occurred()) {
        throw PythonErrorSet{};
    }
    if (overflow < 0 || (overflow == 0 && value < 0)) {
        throw_python_error(PyExc_OverflowError, "unsigned byte integer is less than minimum");
    }
    if (overflow > 0 || value > UCHAR_MAX) {
        throw_python_error(PyExc_OverflowError, "unsigned byte integer is greater than maximum");
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace tamri::python
