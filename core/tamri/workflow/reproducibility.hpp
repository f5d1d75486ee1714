#pragma once

// What makes a workflow run reproducible: how it was invoked, and the SHA-256 digests of the base
// vocabulary and of the output data, the latter read from the output's indexed JSON.

#include "tamri/digest/sha256.hpp"
#include "tamri/json/index.hpp"
#include "tamri/json/record.hpp"
#include "tamri/tokenizer/types.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamri {

// How the workflow was invoked, as the caller describes it.
struct SequenceWorkflowInvocation {
    std::string command;                 // the entry point that ran the workflow
    std::vector<std::string> arguments;  // settings not recorded elsewhere, in the caller's order

    friend bool operator==(const SequenceWorkflowInvocation&, const SequenceWorkflowInvocation&) = default;
};

constexpr auto json_schema(std::type_identity<SequenceWorkflowInvocation>) {
    using Invocation = SequenceWorkflowInvocation;
    return json::record_schema<Invocation>("struct SequenceWorkflowInvocation", json::UnknownFields::reject,
                                           json::field<&Invocation::command>("command"),
                                           json::field<&Invocation::arguments>("arguments"));
}

struct SequenceWorkflowHashes {
    std::string vocabulary_sha256;   // canonical-JSON digest of the profile's base vocabulary
    std::string output_data_sha256;  // canonical-JSON digest of the output data

    friend bool operator==(const SequenceWorkflowHashes&, const SequenceWorkflowHashes&) = default;
};

constexpr auto json_schema(std::type_identity<SequenceWorkflowHashes>) {
    using Hashes = SequenceWorkflowHashes;
    return json::record_schema<Hashes>("struct SequenceWorkflowHashes", json::UnknownFields::reject,
                                       json::field<&Hashes::vocabulary_sha256>("vocabulary_sha256"),
                                       json::field<&Hashes::output_data_sha256>("output_data_sha256"));
}

// "sha256:" and 64 hexadecimal digits.
inline constexpr std::size_t sha256_digest_text_size = sha256_digest_prefix.size() + 64;

// What the digests are taken from: the compact JSON of a workflow output, written with an index
// and with digests of `sha256_digest_text_size` characters standing in for the hashes, and the
// profile it was produced with.
struct SequenceWorkflowHashContext {
    ProteinTokenizerProfile profile;
    std::string_view output_json;
    const json::JsonIndex& index;
};

// The vocabulary digest of the profile, and the canonical digest of the output data: the output
// with the provenance members other than "hashes" in place of "provenance", 13 members in all.
// A digest whose JSON could not be written is the digest of the writing failure's message.
// Never fails.
[[nodiscard]] SequenceWorkflowHashes workflow_hashes(const SequenceWorkflowHashContext& context);

}  // namespace tamri
