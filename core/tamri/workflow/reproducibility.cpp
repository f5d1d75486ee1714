#include "tamri/workflow/reproducibility.hpp"

#include "tamri/digest/indexed_digest.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/vocab.hpp"

namespace tamri {
namespace {

std::string vocabulary_sha256(ProteinTokenizerProfile profile) {
    const ProteinTokenizerInspection inspection =
        inspect_protein_tokenizer_config(protein_tokenizer_config_for_profile(profile));
    json::JsonIndex index;
    json::JsonWriter writer{index};
    json::write_value(writer, inspection.vocabulary);
    if (index.failure()) {
        return sha256_bytes_digest(*index.failure());
    }
    return sha256_canonical_json_digest(writer.text());
}

// The root's members but "provenance", then the provenance's members but "hashes".
std::vector<std::uint32_t> output_data_members(std::string_view text, const json::JsonIndex& index) {
    constexpr std::uint32_t root = 0;
    std::vector<std::uint32_t> members;
    if (index.containers().empty()) {
        return members;
    }
    for (const std::uint32_t slot : index.members(root)) {
        const json::JsonIndex::Slot& member = index.slots()[slot];
        if (json::JsonIndex::key(text, member) != "provenance" || member.container == json::JsonIndex::none) {
            members.push_back(slot);
            continue;
        }
        for (const std::uint32_t provenance_slot : index.members(member.container)) {
            if (json::JsonIndex::key(text, index.slots()[provenance_slot]) != "hashes") {
                members.push_back(provenance_slot);
            }
        }
    }
    return members;
}

std::string output_data_sha256(const SequenceWorkflowHashContext& context) {
    if (context.index.failure()) {
        return sha256_bytes_digest(*context.index.failure());
    }
    return sha256_canonical_json_members_digest(context.output_json, context.index,
                                                output_data_members(context.output_json, context.index));
}

}  // namespace

SequenceWorkflowHashes workflow_hashes(const SequenceWorkflowHashContext& context) {
    return SequenceWorkflowHashes{vocabulary_sha256(context.profile), output_data_sha256(context)};
}

}  // namespace tamri
