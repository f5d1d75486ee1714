#include "tamri/model_input/model_input.hpp"
#include "tamri/base/diagnostic.hpp"
#include "test_support.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tamri {
namespace {

TokenizedProtein tokenized(std::string id, std::vector<std::uint8_t> tokens, std::size_t warnings = 0,
                           std::size_t errors = 0) {
    TokenizedProtein record;
    record.id = std::move(id);
    record.alphabet = "protein-20";
    record.length = tokens.size();
    record.tokens = std::move(tokens);
    record.warnings.assign(warnings, ResidueIssue{1, U'X'});
    record.errors.assign(errors, ResidueIssue{2, U'*'});
    record.valid = warnings == 0 && errors == 0;
    return record;
}

ModelInputPolicy fixed_length(std::uint64_t max_length, std::uint8_t pad_token_id) {
    return {max_length, pad_token_id, PaddingPolicy::FixedLength};
}

ModelInputPolicy no_padding(std::uint64_t max_length, std::uint8_t pad_token_id = 0) {
    return {max_length, pad_token_id, PaddingPolicy::NoPadding};
}

Failure build_failure(const std::vector<TokenizedProtein>& records, const ModelInputPolicy& policy) {
    return failure_of<ModelInputBuildError>([&] { return build_model_inputs_checked(records, policy); });
}

const Failure zero_max_length{"model_input.invalid_policy",
                              "invalid model input policy: max_length must be greater than zero", std::nullopt};

Failure not_model_ready(std::string_view id, std::size_t warnings, std::size_t errors) {
    return {"model_input.invalid_sequence",
            fmt::format("sequence '{}' is not model-ready: {} warnings and {} errors must be resolved before building "
                        "model input",
                        id, warnings, errors),
            std::nullopt};
}

// ---- rows ----

struct RowCase {
    std::string_view name;
    std::vector<std::uint8_t> tokens;
    ModelInputPolicy policy;
    std::vector<std::uint8_t> input_ids;
    std::vector<std::uint8_t> attention_mask;
    bool truncated;
};

class ModelInputRows : public testing::TestWithParam<RowCase> {};

TEST_P(ModelInputRows, ShapesTheRow) {
    const RowCase& c = GetParam();
    const ModelInputRecord row = model_input_from_tokenized(tokenized("seq1", c.tokens), c.policy);
    EXPECT_EQ(row, (ModelInputRecord{"seq1", c.input_ids, c.attention_mask, c.truncated}));
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ModelInputRows,
    testing::Values(RowCase{"no_padding_cut", {5, 6, 7}, no_padding(2), {5, 6}, {1, 1}, true},
                    RowCase{"no_padding_exact_length", {4, 5, 6}, no_padding(3), {4, 5, 6}, {1, 1, 1}, false},
                    RowCase{"no_padding_ignores_pad_id", {4}, no_padding(3, 9), {4}, {1}, false},
                    RowCase{"huge_max_length_no_padding", {1, 2}, no_padding(UINT64_MAX), {1, 2}, {1, 1}, false},
                    RowCase{"fixed_exact_length", {5, 6}, fixed_length(2, 0), {5, 6}, {1, 1}, false},
                    RowCase{"empty_tokens_fixed", {}, fixed_length(2, 8), {8, 8}, {0, 0}, false}),
    [](const testing::TestParamInfo<RowCase>& info) { return std::string{info.param.name}; });

TEST(BuildModelInputsChecked, ReadsTheIssueListsNotTheValidFlag) {
    TokenizedProtein claims_valid = tokenized("a", {1}, 0, 1);
    claims_valid.valid = true;
    EXPECT_EQ(build_failure({claims_valid}, no_padding(4)), not_model_ready("a", 0, 1));

    TokenizedProtein claims_invalid = tokenized("b", {1});
    claims_invalid.valid = false;
    EXPECT_EQ(build_model_inputs_checked(std::vector{claims_invalid}, no_padding(4)).records.size(), 1U);
}

struct FailureCase {
    std::string_view name;
    std::vector<TokenizedProtein> records;
    ModelInputPolicy policy;
    Failure expected;
};

class BuildFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(BuildFailures, ReportTheFirstProblem) {
    EXPECT_EQ(build_failure(GetParam().records, GetParam().policy), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, BuildFailures,
    testing::Values(
        FailureCase{"zero_max_length_empty_list", {}, no_padding(0), zero_max_length},
        FailureCase{"policy_checked_before_records", {tokenized("a", {})}, fixed_length(0, 0), zero_max_length},
        FailureCase{"empty_before_not_ready",
                    {tokenized("e", {}, 0, 2)},
                    no_padding(4),
                    Failure{"model_input.invalid_sequence",
                            "sequence 'e' is empty and cannot be converted into model input", std::nullopt}},
        FailureCase{
            "one_warning_stays_plural", {tokenized("w", {1, 2}, 1, 0)}, no_padding(4), not_model_ready("w", 1, 0)},
        FailureCase{"second_of_three_fails",
                    {tokenized("ok", {1}), tokenized("bad", {2}, 2, 3), tokenized("empty", {})},
                    no_padding(4),
                    not_model_ready("bad", 2, 3)}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string{info.param.name}; });

// ---- JSON ----

// One row cut to its head, one padded with the pad id.
TEST(ModelInputJson, WritesKeysInTheirFixedOrder) {
    const ModelInput result = build_model_inputs_checked(
        std::vector{tokenized("seq1", {3, 7, 1, 4}), tokenized("s\"2", {9})}, fixed_length(3, 255));
    EXPECT_EQ(json::json_text(result),
              R"({"policy":{"max_length":3,"pad_token_id":255,"padding":"fixed_length"},"records":[)"
              R"({"id":"seq1","input_ids":[3,7,1],"attention_mask":[1,1,1],"truncated":true},)"
              R"({"id":"s\"2","input_ids":[9,255,255],"attention_mask":[1,0,0],"truncated":false}]})");
}

}  // namespace
}  // namespace tamri
