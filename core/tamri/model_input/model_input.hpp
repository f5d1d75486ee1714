#pragma once

// Model input: tokenized sequences cut and padded into rows of token ids and attention masks under a
// policy (maximum length, pad id, padding). Built only when every record is usable.

#include "tamri/base/enum_table.hpp"
#include "tamri/json/record.hpp"
#include "tamri/tokenizer/types.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {

// How rows are shaped: always `max_length` long, or as long as the (cut) sequence.
enum class PaddingPolicy { FixedLength = 0, NoPadding = 1 };

[[nodiscard]] constexpr EnumTable<PaddingPolicy, 2> enum_table(PaddingPolicy) noexcept {
    return {{{{PaddingPolicy::FixedLength, "fixed_length"}, {PaddingPolicy::NoPadding, "no_padding"}}}};
}

struct ModelInputPolicy {
    std::uint64_t max_length = 0;   // must be greater than zero
    std::uint8_t pad_token_id = 0;  // written into padding positions under FixedLength
    PaddingPolicy padding = PaddingPolicy::NoPadding;

    friend bool operator==(const ModelInputPolicy&, const ModelInputPolicy&) = default;
};

constexpr auto json_schema(std::type_identity<ModelInputPolicy>) {
    using Policy = ModelInputPolicy;
    return json::record_schema<Policy>(
        "struct ModelInputPolicy", json::UnknownFields::reject, json::field<&Policy::max_length>("max_length"),
        json::field<&Policy::pad_token_id>("pad_token_id"), json::field<&Policy::padding>("padding"));
}

// One row: token ids, 1 for a real token and 0 for padding, and whether the sequence was cut.
struct ModelInputRecord {
    std::string id;
    std::vector<std::uint8_t> input_ids;
    std::vector<std::uint8_t> attention_mask;
    bool truncated = false;

    friend bool operator==(const ModelInputRecord&, const ModelInputRecord&) = default;
};

constexpr auto json_schema(std::type_identity<ModelInputRecord>) {
    using Record = ModelInputRecord;
    return json::record_schema<Record>("struct ModelInputRecord", json::UnknownFields::reject,
                                       json::field<&Record::id>("id"), json::field<&Record::input_ids>("input_ids"),
                                       json::field<&Record::attention_mask>("attention_mask"),
                                       json::field<&Record::truncated>("truncated"));
}

struct ModelInput {
    ModelInputPolicy policy;
    std::vector<ModelInputRecord> records;

    friend bool operator==(const ModelInput&, const ModelInput&) = default;
};

constexpr auto json_schema(std::type_identity<ModelInput>) {
    return json::record_schema<ModelInput>("struct ModelInput", json::UnknownFields::reject,
                                           json::field<&ModelInput::policy>("policy"),
                                           json::field<&ModelInput::records>("records"));
}

// InvalidPolicy for a zero `max_length`.
void check_model_input_policy(const ModelInputPolicy& policy);

// Rows for every tokenized sequence, or ModelInputBuildError for the first problem: a zero
// `max_length` (checked before any record), then per record in order an empty token list, then
// any warning or error. Nothing is returned unless every record is usable.
[[nodiscard]] ModelInput build_model_inputs_checked(std::span<const TokenizedProtein> tokenized,
                                                    const ModelInputPolicy& policy);

// One row without checks: the head of the tokens up to `max_length`, padded under FixedLength.
[[nodiscard]] ModelInputRecord model_input_from_tokenized(const TokenizedProtein& tokenized,
                                                          const ModelInputPolicy& policy);

}  // namespace tamri
