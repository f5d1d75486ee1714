#include "tokenizer/config.hpp"

#include "json/decode.hpp"
#include "json/writer.hpp"
#include "tokenizer/vocab.hpp"

namespace tamri {
namespace {

constexpr std::array<json::Variant<ProteinTokenizerProfile>, 6> profile_variants = [] {
    std::array<json::Variant<ProteinTokenizerProfile>, 6> variants{};
    for (std::size_t i = 0; i < variants.size(); ++i) {
        variants[i] = {protein_tokenizer_profile_text(all_protein_tokenizer_profiles[i]),
                       all_protein_tokenizer_profiles[i]};
    }
    return variants;
}();

constexpr json::RecordSchema<ProteinTokenizerConfig, 2> config_schema{
    "struct ProteinTokenizerConfig",
    json::UnknownFields::reject,
    {{
        {"profile", json::Presence::required,
         &json::decode_member<&ProteinTokenizerConfig::profile, &json::decode_variant<profile_variants>>},
        {"add_special_tokens", json::Presence::required,
         &json::decode_member<&ProteinTokenizerConfig::add_special_tokens, &json::decode_bool>},
    }},
};

}  // namespace

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
    return json::decode_document<&json::decode_record<config_schema>>(json_text);
}

void write_json(json::JsonWriter& writer, const ProteinTokenizerConfig& config) {
    writer.begin_object()
        .key("profile")
        .string(protein_tokenizer_profile_text(config.profile))
        .key("add_special_tokens")
        .boolean(config.add_special_tokens)
        .end_object();
}

}  // namespace tamri
