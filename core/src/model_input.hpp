#pragma once

#include "tokenizer/types.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {

namespace json {
class JsonWriter;
}

// How rows are shaped: always `max_length` long, or as long as the (cut) sequence.
enum class PaddingPolicy { FixedLength = 0, NoPadding = 1 };

inline constexpr std::array<PaddingPolicy, 2> all_padding_policies{PaddingPolicy::FixedLength,
                                                                   PaddingPolicy::NoPadding};

// "fixed_length", "no_padding".
[[nodiscard]] constexpr std::string_view padding_policy_text(PaddingPolicy padding) noexcept {
    constexpr std::array<std::string_view, 2> texts{"fixed_length", "no_padding"};
    return texts[static_cast<std::size_t>(padding)];
}

// Exact, case-sensitive match of the text; anything else is absent.
[[nodiscard]] constexpr std::optional<PaddingPolicy> parse_padding_policy(std::string_view text) noexcept {
    for (const PaddingPolicy padding : all_padding_policies) {
        if (padding_policy_text(padding) == text) {
            return padding;
        }
    }
    return std::nullopt;
}

struct ModelInputPolicy {
    std::uint64_t max_length = 0;   // must be greater than zero
    std::uint8_t pad_token_id = 0;  // written into padding positions under FixedLength
    PaddingPolicy padding = PaddingPolicy::NoPadding;

    friend bool operator==(const ModelInputPolicy&, const ModelInputPolicy&) = default;
};

// One row: token ids, 1 for a real token and 0 for padding, and whether the sequence was cut.
struct ModelInputRecord {
    std::string id;
    std::vector<std::uint8_t> input_ids;
    std::vector<std::uint8_t> attention_mask;
    bool truncated = false;

    friend bool operator==(const ModelInputRecord&, const ModelInputRecord&) = default;
};

struct ModelInput {
    ModelInputPolicy policy;
    std::vector<ModelInputRecord> records;

    friend bool operator==(const ModelInput&, const ModelInput&) = default;
};

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

// {"max_length":…,"pad_token_id":…,"padding":"…"}
void write_json(json::JsonWriter& writer, const ModelInputPolicy& policy);
// {"id":…,"input_ids":[…],"attention_mask":[…],"truncated":…}
void write_json(json::JsonWriter& writer, const ModelInputRecord& record);
// {"policy":{…},"records":[…]}
void write_json(json::JsonWriter& writer, const ModelInput& model_input);

[[nodiscard]] std::string model_input_to_json(const ModelInput& model_input);

}  // namespace tamri
