#include "tokenizer/vocab.hpp"

#include "json/decode.hpp"
#include "json/writer.hpp"
#include "tokenizer/lookup.hpp"

#include <fmt/format.h>

namespace tamri {
namespace {

Vocabulary build_builtin_vocabulary(BuiltinVocabulary vocabulary) {
    const std::string_view residues = builtin_vocabulary_residues(vocabulary);
    Vocabulary result;
    result.name = std::string{builtin_vocabulary_name(vocabulary)};
    result.tokens.reserve(residues.size());
    for (std::size_t id = 0; id < residues.size(); ++id) {
        result.tokens.push_back(VocabToken{static_cast<char32_t>(residues[id]), static_cast<std::uint8_t>(id)});
    }
    result.unknown_token_id = builtin_unknown_token_id(vocabulary);
    result.unknown_token_policy = UnknownTokenPolicy::warn_or_error_with_unknown_token;
    return result;
}

constexpr std::array<json::Variant<UnknownTokenPolicy>, 1> policy_variants{{
    {unknown_token_policy_text(UnknownTokenPolicy::warn_or_error_with_unknown_token),
     UnknownTokenPolicy::warn_or_error_with_unknown_token},
}};

constexpr json::RecordSchema<VocabToken, 2> token_schema{
    "struct VocabToken",
    json::UnknownFields::ignore,
    {{
        {"residue", json::Presence::required, &json::decode_member<&VocabToken::residue, &json::decode_char>},
        {"token_id", json::Presence::required, &json::decode_member<&VocabToken::token_id, &json::decode_u8>},
    }},
};

constexpr json::RecordSchema<Vocabulary, 4> vocabulary_schema{
    "struct Vocabulary",
    json::UnknownFields::ignore,
    {{
        {"name", json::Presence::required, &json::decode_member<&Vocabulary::name, &json::decode_string>},
        {"tokens", json::Presence::required,
         &json::decode_member<&Vocabulary::tokens, &json::decode_list<&json::decode_record<token_schema>>>},
        {"unknown_token_id", json::Presence::required,
         &json::decode_member<&Vocabulary::unknown_token_id, &json::decode_u8>},
        {"unknown_token_policy", json::Presence::required,
         &json::decode_member<&Vocabulary::unknown_token_policy, &json::decode_variant<policy_variants>>},
    }},
};

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

void write_json(json::JsonWriter& writer, const Vocabulary& vocabulary) {
    writer.begin_object().key("name").string(vocabulary.name).key("tokens").begin_array();
    for (const VocabToken& token : vocabulary.tokens) {
        writer.begin_object()
            .key("residue")
            .character(token.residue)
            .key("token_id")
            .unsigned_integer(token.token_id)
            .end_object();
    }
    writer.end_array()
        .key("unknown_token_id")
        .unsigned_integer(vocabulary.unknown_token_id)
        .key("unknown_token_policy")
        .string(unknown_token_policy_text(vocabulary.unknown_token_policy))
        .end_object();
}

std::string_view TokenizerError::code() const noexcept {
    return "tokenizer.invalid_vocabulary";
}

std::string TokenizerError::message() const {
    return fmt::format("invalid vocabulary JSON: {}", parser_message_);
}

Vocabulary load_vocab_json(std::string_view json_text) {
    try {
        return json::decode_document<&json::decode_record<vocabulary_schema>>(json_text);
    } catch (const json::DecodeError& error) {
        throw TokenizerError{error.message()};
    }
}

}  // namespace tamri
