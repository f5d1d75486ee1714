#include "workflow_api.hpp"

#include "conversion.hpp"
#include "sequence_api.hpp"
#include "tokenizer_api.hpp"

#include "tamri/tokenizer/config.hpp"
#include "tamri/workflow/workflow.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tamri::python {

template <>
struct ClassDefinition<SequenceWorkflowOutputObject> {
    static constexpr const char* qualified_name = "tamri.SequenceWorkflowOutput";
    static constexpr std::array<PyGetSetDef, 5> attributes{
        field_attribute<&SequenceWorkflowOutputObject::model_ready>("model_ready"),
        field_attribute<&SequenceWorkflowOutputObject::input_hash>("input_hash"),
        field_attribute<&SequenceWorkflowOutputObject::records>("records"),
        field_attribute<&SequenceWorkflowOutputObject::report_json>("report_json"),
        PyGetSetDef{},
    };
};
template PyTypeObject* class_type<SequenceWorkflowOutputObject>();

namespace {

WorkflowArguments extract_workflow_arguments(PyObject* max_length, PyObject* pad_token_id, PyObject* padding,
                                             PyObject* profile) {
    return WorkflowArguments{
        .max_length = extract_unsigned(max_length, "max_length"),
        .pad_token_id = pad_token_id == nullptr ? std::uint8_t{0} : extract_byte(pad_token_id, "pad_token_id"),
        .padding = extract_text_or(padding, "padding", enum_text(PaddingPolicy::NoPadding)),
        .profile = extract_text_or(profile, "profile", enum_text(ProteinTokenizerProfile::protein_20)),
    };
}

PyRef wrap_result(SequenceWorkflowResult&& result) {
    SequenceWorkflowOutput& output = result.output;
    std::vector<ModelInputRecordObject> rows;
    if (output.model_input) {
        rows = to_model_input_object(std::move(*output.model_input)).records;
    }
    return wrap(SequenceWorkflowOutputObject{
        .model_ready = output.model_ready,
        .input_hash = std::move(output.provenance.input_hash),
        .records = std::move(rows),
        .report_json = std::move(result.report_json),
    });
}

PyObject* prepare_workflow(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 6> parameters{{{"input_hash"},
                                                              {"records"},
                                                              {"max_length"},
                                                              {"pad_token_id", false},
                                                              {"padding", false},
                                                              {"profile", false}}};
        const auto [input_hash, records, max_length, pad_token_id, padding, profile] =
            bind_arguments("prepare_workflow", parameters, args, kwargs);
        std::string hash{extract_text(input_hash, "input_hash")};
        std::vector<ProteinSequence> sequences = extract_instances<ProteinSequence>(records, "records");
        const WorkflowArguments arguments = extract_workflow_arguments(max_length, pad_token_id, padding, profile);
        SequenceWorkflowSettings settings = workflow_settings_from_arguments(arguments, sequences.size());
        return wrap_result(prepare_model_input_workflow_with_config(std::move(hash), std::move(sequences),
                                                                    settings.policy, settings.tokenizer,
                                                                    std::move(settings.invocation)))
            .release();
    });
}

PyObject* prepare_workflow_from_fasta(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 5> parameters{
            {{"fasta_text"}, {"max_length"}, {"pad_token_id", false}, {"padding", false}, {"profile", false}}};
        const auto [fasta_text, max_length, pad_token_id, padding, profile] =
            bind_arguments("prepare_workflow_from_fasta", parameters, args, kwargs);
        const std::string_view text = extract_text(fasta_text, "fasta_text");
        const WorkflowArguments arguments = extract_workflow_arguments(max_length, pad_token_id, padding, profile);
        return wrap_result(prepare_model_input_workflow_from_fasta(text,
                                                                   [&](std::size_t record_count) {
                                                                       return workflow_settings_from_arguments(
                                                                           arguments, record_count);
                                                                   }))
            .release();
    });
}

}  // namespace

const PyMethodDef prepare_workflow_method =
    keyword_method("prepare_workflow", prepare_workflow,
                   "prepare_workflow(input_hash, records, max_length, pad_token_id=0, padding=\"no_padding\", "
                   "profile=\"protein-20\")\n--\n\n");
const PyMethodDef prepare_workflow_from_fasta_method =
    keyword_method("prepare_workflow_from_fasta", prepare_workflow_from_fasta,
                   "prepare_workflow_from_fasta(fasta_text, max_length, pad_token_id=0, padding=\"no_padding\", "
                   "profile=\"protein-20\")\n--\n\n");

const std::array<ModuleClass, 1> workflow_classes{
    {{"SequenceWorkflowOutput", class_type<SequenceWorkflowOutputObject>}}};

}  // namespace tamri::python
