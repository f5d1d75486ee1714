// Feeds arbitrary bytes to the tokenizer-configuration reader. A configuration it accepts must
// read back equal from its own JSON, and its inspection must number the special tokens on from
// the profile's unknown token; a refusal is a positioned "json.invalid" failure.

#include "fuzz_support.hpp"
#include "tamri/json/decode.hpp"
#include "tamri/json/record.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/vocab.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace {

using tamri::fuzz::require;

void require_numbered_from_unknown(const tamri::ProteinTokenizerInspection& inspection) {
    const tamri::SpecialTokenSet& special = inspection.special_tokens;
    const unsigned unknown = inspection.vocabulary.unknown_token_id;
    require(special.unk.id == unknown && special.pad.id == unknown + 1 && special.cls.id == unknown + 2 &&
            special.sep.id == unknown + 3 && special.mask.id == unknown + 4);
    require(inspection.vocabulary ==
            tamri::builtin_vocabulary(tamri::tokenizer_profile_vocabulary(inspection.config.profile)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    tamri::ProteinTokenizerConfig config;
    try {
        config = tamri::parse_protein_tokenizer_config(*input);
    } catch (const tamri::json::DecodeError& error) {
        tamri::fuzz::require_well_formed(error);
        require(error.code() == tamri::code::json_invalid);
        tamri::fuzz::require_position_suffix(error.detail());
        return 0;
    }
    tamri::json::JsonWriter writer;
    tamri::json::write_value(writer, config);
    require(tamri::parse_protein_tokenizer_config(writer.text()) == config);
    const tamri::ProteinTokenizerInspection inspection = tamri::inspect_protein_tokenizer_config(config);
    require(inspection.config == config);
    require_numbered_from_unknown(inspection);
    return 0;
}
