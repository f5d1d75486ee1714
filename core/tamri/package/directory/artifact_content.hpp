#pragma once

// The content of tokenizer and vocabulary assets, compared with the manifest and with the
// built-in profiles and vocabularies. Only bytes that passed their path and checksum checks come
// here.

#include "tamri/package/manifest/types.hpp"
#include "tamri/package/report/report.hpp"

#include <string_view>

namespace tamri::package {

// "invalid_tokenizer_config" issues: undecodable JSON, or a name, version or special-token flag
// that contradicts the configuration's profile.
void validate_tokenizer_config(PackageValidationReport& report, const TokenAsset& tokenizer, std::string_view bytes);

// "invalid_vocab_config" issues: undecodable bytes, or a name or version that contradicts the
// vocabulary, or a built-in vocabulary's unknown id or token table changed.
void validate_vocab_config(PackageValidationReport& report, const TokenAsset& vocab, std::string_view bytes);

}  // namespace tamri::package
