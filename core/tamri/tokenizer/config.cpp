#include "tamri/tokenizer/config.hpp"

#include "tamri/json/record.hpp"
#include "tamri/tokenizer/vocab.hpp"

namespace tamri {

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

}  // namespace tamri
