#include "sequence.hpp"

#include "conversion.hpp"
#include "types.hpp"

#include "fasta.hpp"

namespace tamri::python {
namespace {

PyObject* parse_fasta_records(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 1> parameters{{{"fasta_text"}}};
        const auto [fasta_text] = bind_arguments("parse_fasta_records", parameters, args, kwargs);
        return wrap_list(tamri::parse_fasta_records(extract_text(fasta_text, "fasta_text"))).release();
    });
}

}  // namespace

const PyMethodDef parse_fasta_records_method =
    keyword_method("parse_fasta_records", parse_fasta_records, "parse_fasta_records(fasta_text)\n--\n\n");

}  // namespace tamri::python
