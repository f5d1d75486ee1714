#include "tamri/tokenizer/config.hpp"

#include "tamri/json/record.hpp"
#include "tamri/tokenizer/vocab.hpp"

namespace tamri {

constexpr auto json_schema(std::type_identity<ProteinTokenizerConfig>) {
    return json::record_schema<ProteinTokenizerConfig>(
        "struct ProteinTokenizerConfig", json::UnknownFields::reject,
        json::field<&ProteinTokenizerConfig::profile>("profile"),
        json::field<&ProteinTokenizerConfig::add_special_tokens>("add_special_tokens"));
}

SpecialTokenSet special_tokens_for_profile(ProteinTokenizerProfile profile) {
    const std::uint8_t unknown = builtin_vocabulary(tokenizer_profile_vocabulary(profile)).unknown_token_id;
    const auto id = [unknown](unsigned offset) { return static_cast<std::uint8_t>(unknown + offset); };
    return SpecialTokenSet{
        {"<UNK>", id(0)}, {"<PAD>", id(1)}, {"<CLS>", id(2)}, {"<SEP>", id(3)}, {"<MASK>", id(4)},
    };
}

ProteinTokenizerInspection inspect_protein_tokenizer_config(const ProteinTokenizerConfig& config) {
    return ProteinTokenizerInspection{
        builtin_vocabulary(tokenizer_profile_vocabulary(config.profile)),
        special_tokens_for_profile(config.profile),
        config,
    };
}

ProteinTokenizerConfig parse_protein_tokenizer_config(std::string_view json_text) {
    return json::decode_record_document<ProteinTokenizerConfig>(json_text);
}

void write_json(json::JsonWriter& writer, const ProteinTokenizerConfig& config) {
    json::write_record(writer, config);
}

}  // namespace tamri
