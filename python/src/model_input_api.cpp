#include "model_input_api.hpp"

#include "conversion.hpp"

#include <array>
#include <cstdint>
#include <utility>
#include <variant>
#include <vector>

namespace tamri::python {

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

template <>
struct ClassDefinition<ModelInputObject> {
    static constexpr const char* qualified_name = "tamri.ModelInput";
    static constexpr std::array<PyGetSetDef, 2> attributes{
        field_attribute<&ModelInputObject::records>("records"),
        PyGetSetDef{},
    };
};
template PyTypeObject* class_type<ModelInputObject>();

PaddingPolicy parse_padding_policy(std::string_view text) {
    return parse_choice<PaddingPolicy>(text, ArgumentError::invalid_padding);
}

namespace {

std::vector<std::uint8_t> to_byte_token_ids(const TokenIds& ids) {
    if (const auto* bytes = std::get_if<std::vector<std::uint8_t>>(&ids)) {
        return *bytes;
    }
    const auto& values = std::get<std::vector<std::uint64_t>>(ids);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(values.size());
    for (const std::uint64_t value : values) {
        if (value > UINT8_MAX) {
            throw ArgumentError::token_id_out_of_range(value);
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

}  // namespace

TokenizedProtein to_core_tokenized_protein(const TokenizedProteinObject& tokenized) {
    return TokenizedProtein{
        .id = tokenized.id,
        .alphabet = tokenized.alphabet,
        .tokens = to_byte_token_ids(tokenized.tokens),
        .warnings = tokenized.warnings,
        .errors = tokenized.errors,
        .length = tokenized.length,
        .valid = tokenized.valid,
    };
}

ModelInputObject to_model_input_object(ModelInput&& model_input) {
    ModelInputObject result;
    result.records.reserve(model_input.records.size());
    for (ModelInputRecord& record : model_input.records) {
        result.records.push_back(ModelInputRecordObject{
            .id = std::move(record.id),
            .input_ids = std::move(record.input_ids),
            .attention_mask = std::move(record.attention_mask),
            .truncated = record.truncated,
        });
    }
    return result;
}

namespace {

PyObject* build_model_inputs_checked(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 4> parameters{
            {{"tokenized"}, {"max_length"}, {"pad_token_id", false}, {"padding", false}}};
        const auto [tokenized, max_length, pad_token_id, padding] =
            bind_arguments("build_model_inputs_checked", parameters, args, kwargs);
        // The items stay referenced here, so their values are read in place once the other
        // arguments have been converted.
        const std::vector<PyRef> items =
            extract_sequence_items(tokenized, "tokenized", class_type<TokenizedProteinObject>());
        ModelInputPolicy policy;
        policy.max_length = extract_unsigned(max_length, "max_length");
        policy.pad_token_id = pad_token_id == nullptr ? std::uint8_t{0} : extract_byte(pad_token_id, "pad_token_id");
        policy.padding = parse_padding_policy(extract_text_or(padding, "padding", enum_text(PaddingPolicy::NoPadding)));
        // Token ranges are checked for every record before the core looks at the policy.
        std::vector<TokenizedProtein> records;
        records.reserve(items.size());
        for (const PyRef& item : items) {
            records.push_back(to_core_tokenized_protein(unwrap<TokenizedProteinObject>(item.get())));
        }
        return wrap(to_model_input_object(tamri::build_model_inputs_checked(records, policy))).release();
    });
}

}  // namespace

const PyMethodDef build_model_inputs_checked_method =
    keyword_method("build_model_inputs_checked", build_model_inputs_checked,
                   "build_model_inputs_checked(tokenized, max_length, pad_token_id=0, padding=\"no_padding\")\n--\n\n");

const std::array<ModuleClass, 2> model_input_classes{{
    {"ModelInput", class_type<ModelInputObject>},
    {"ModelInputRecord", class_type<ModelInputRecordObject>},
}};

}  // namespace tamri::python
