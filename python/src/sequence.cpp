#include "sequence.hpp"

#include "conversion.hpp"
#include "types.hpp"

#include "fasta.hpp"
#include "fasta_validation.hpp"
#include "sequence/kind_validation.hpp"

#include <fmt/format.h>

namespace tamri::python {
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

SequenceKindSelection to_kind_selection(std::string_view kind) {
    const std::optional<SequenceKindSelection> selection = parse_sequence_kind_selection(kind);
    if (!selection) {
        throw BindingError{"sequence.invalid_kind",
                           fmt::format("invalid sequence kind: '{}'. Expected one of auto, protein, dna, rna", kind)};
    }
    return *selection;
}

PyObject* validate_fasta_input_with_kind(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 2> parameters{{{"fasta_text"}, {"kind"}}};
        const auto [fasta_text, kind] = bind_arguments("validate_fasta_input_with_kind", parameters, args, kwargs);
        const std::string_view text = extract_text(fasta_text, "fasta_text");
        // The kind is judged before the text, so a bad kind is reported even for malformed FASTA.
        const SequenceKindSelection selection = to_kind_selection(extract_text(kind, "kind"));
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

}  // namespace tamri::python
