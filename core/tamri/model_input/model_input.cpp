#include "tamri/model_input/model_input.hpp"

#include "tamri/base/diagnostic.hpp"

#include <algorithm>

namespace tamri {
namespace {

constexpr std::string_view zero_max_length_reason = "max_length must be greater than zero";

}  // namespace

void check_model_input_policy(const ModelInputPolicy& policy) {
    if (policy.max_length == 0) {
        throw ModelInputBuildError::invalid_policy(std::string{zero_max_length_reason});
    }
}

ModelInputRecord model_input_from_tokenized(const TokenizedProtein& tokenized, const ModelInputPolicy& policy) {
    const std::vector<std::uint8_t>& tokens = tokenized.tokens;
    const bool truncated = static_cast<std::uint64_t>(tokens.size()) > policy.max_length;
    // When cut, the kept length is `max_length`, which is then below tokens.size() and fits.
    const std::size_t kept = truncated ? static_cast<std::size_t>(policy.max_length) : tokens.size();
    const std::size_t row_length =
        policy.padding == PaddingPolicy::FixedLength ? static_cast<std::size_t>(policy.max_length) : kept;

    ModelInputRecord record{tokenized.id, {}, {}, truncated};
    record.input_ids.reserve(row_length);
    record.input_ids.assign(tokens.begin(), tokens.begin() + static_cast<std::ptrdiff_t>(kept));
    record.input_ids.resize(row_length, policy.pad_token_id);
    record.attention_mask.reserve(row_length);
    record.attention_mask.assign(kept, 1);
    record.attention_mask.resize(row_length, 0);
    return record;
}

ModelInput build_model_inputs_checked(std::span<const TokenizedProtein> tokenized, const ModelInputPolicy& policy) {
    check_model_input_policy(policy);
    ModelInput model_input{policy, {}};
    model_input.records.reserve(tokenized.size());
    for (const TokenizedProtein& record : tokenized) {
        if (record.tokens.empty()) {
            throw ModelInputBuildError::empty_sequence(record.id);
        }
        if (!record.warnings.empty() || !record.errors.empty()) {
            throw ModelInputBuildError::not_model_ready(record.id, record.warnings.size(), record.errors.size());
        }
        model_input.records.push_back(model_input_from_tokenized(record, policy));
    }
    return model_input;
}

}  // namespace tamri
