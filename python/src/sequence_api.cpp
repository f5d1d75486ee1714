#include "sequence_api.hpp"

#include "conversion.hpp"

#include "tamri/fasta/kind_validation.hpp"
#include "tamri/fasta/validation.hpp"

namespace tamri::python {

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

std::vector<ResidueIssue> extract_issues_or_empty(PyObject* object, const char* name) {
    if (object == nullptr || object == Py_None) {
        return {};
    }
    return extract_instances<ResidueIssue>(object, name);
}

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

namespace {

PyObject* parse_fasta_records(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 1> parameters{{{"fasta_text"}}};
        const auto [fasta_text] = bind_arguments("parse_fasta_records", parameters, args, kwargs);
        return wrap_list(tamri::parse_fasta_records(extract_text(fasta_text, "fasta_text"))).release();
    });
}

PyObject* validate_fasta_input(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 1> parameters{{{"fasta_text"}}};
        const auto [fasta_text] = bind_arguments("validate_fasta_input", parameters, args, kwargs);
        return wrap(tamri::validate_fasta_input(extract_text(fasta_text, "fasta_text"))).release();
    });
}

PyObject* validate_fasta_input_with_kind(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 2> parameters{{{"fasta_text"}, {"kind"}}};
        const auto [fasta_text, kind] = bind_arguments("validate_fasta_input_with_kind", parameters, args, kwargs);
        const std::string_view text = extract_text(fasta_text, "fasta_text");
        // The kind is judged before the text, so a bad kind is reported even for malformed FASTA.
        const SequenceKindSelection selection =
            parse_choice<SequenceKindSelection>(extract_text(kind, "kind"), ArgumentError::invalid_kind);
        return wrap(to_sequence_validation_report(tamri::validate_fasta_input_with_kind(text, selection))).release();
    });
}

}  // namespace

const PyMethodDef parse_fasta_records_method =
    keyword_method("parse_fasta_records", parse_fasta_records, "parse_fasta_records(fasta_text)\n--\n\n");
const PyMethodDef validate_fasta_input_method =
    keyword_method("validate_fasta_input", validate_fasta_input, "validate_fasta_input(fasta_text)\n--\n\n");
const PyMethodDef validate_fasta_input_with_kind_method =
    keyword_method("validate_fasta_input_with_kind", validate_fasta_input_with_kind,
                   "validate_fasta_input_with_kind(fasta_text, kind)\n--\n\n");

const std::array<ModuleClass, 4> sequence_classes{{
    {"ResidueIssue", class_type<ResidueIssue>},
    {"ValidatedSequence", class_type<ValidatedSequence>},
    {"ProteinSequence", class_type<ProteinSequence>},
    {"SequenceValidationReport", class_type<SequenceValidationReport>},
}};

}  // namespace tamri::python
