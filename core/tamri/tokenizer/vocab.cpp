#include "tamri/tokenizer/vocab.hpp"

#include "tamri/json/record.hpp"
#include "tamri/tokenizer/lookup.hpp"

#include <fmt/format.h>

namespace tamri {
namespace {

Vocabulary build_builtin_vocabulary(BuiltinVocabulary vocabulary) {
    const std::string_view residues = builtin_vocabulary_residues(vocabulary);
    Vocabulary result;
    result.name = std::string{enum_text(vocabulary)};
    result.tokens.reserve(residues.size());
    for (std::size_t id = 0; id < residues.size(); ++id) {
        result.tokens.push_back(VocabToken{static_cast<char32_t>(residues[id]), static_cast<std::uint8_t>(id)});
    }
    result.unknown_token_id = builtin_unknown_token_id(vocabulary);
    result.unknown_token_policy = UnknownTokenPolicy::warn_or_error_with_unknown_token;
    return result;
}

}  // namespace

const Vocabulary& builtin_vocabulary(BuiltinVocabulary vocabulary) {
    // One guarded static each, so first use builds only the vocabulary asked for.
    switch (vocabulary) {
        case BuiltinVocabulary::dna_iupac: {
            static const Vocabulary dna = build_builtin_vocabulary(BuiltinVocabulary::dna_iupac);
            return dna;
        }
        case BuiltinVocabulary::rna_iupac: {
            static const Vocabulary rna = build_builtin_vocabulary(BuiltinVocabulary::rna_iupac);
            return rna;
        }
        case BuiltinVocabulary::protein_20: break;
    }
    static const Vocabulary protein = build_builtin_vocabulary(BuiltinVocabulary::protein_20);
    return protein;
}

std::string_view TokenizerError::code() const noexcept {
    return code::tokenizer_invalid_vocabulary;
}

std::string TokenizerError::message() const {
    return fmt::format("invalid vocabulary JSON: {}", parser_message_);
}

Vocabulary load_vocab_json(std::string_view json_text) {
    try {
        return json::decode_record_document<Vocabulary>(json_text);
    } catch (const json::DecodeError& error) {
        throw TokenizerError{error.detail()};
    }
}

}  // namespace tamri
