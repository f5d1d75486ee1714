#include "tamri/workflow/output.hpp"

#include "tamri/tokenizer/config.hpp"

namespace tamri {

std::string_view workflow_schema_id(ProteinTokenizerProfile profile) noexcept {
    return tokenizer_profile_kind(profile) == SequenceKind::protein ? "protein_model_input.v0"
                                                                    : "sequence_model_input.v0";
}

WorkflowTokenizerMetadata workflow_tokenizer_metadata(ProteinTokenizerProfile profile) {
    const ProteinTokenizerInspection inspection =
        inspect_protein_tokenizer_config(protein_tokenizer_config_for_profile(profile));
    const Vocabulary& vocabulary = inspection.vocabulary;
    return WorkflowTokenizerMetadata{vocabulary.name, vocabulary.tokens.size(), vocabulary.unknown_token_id,
                                     vocabulary.unknown_token_policy};
}

}  // namespace tamri
