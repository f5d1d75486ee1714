#include "model_input.hpp"
#include "error.hpp"
#include "json/writer.hpp"

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

std::string build_failure(const std::vector<TokenizedProtein>& records, const ModelInputPolicy& policy) {
    try {
        (void)build_model_inputs_checked(records, policy);
    } catch (const ModelInputBuildError& error) {
        EXPECT_EQ(error.location(), std::nullopt);
        return fmt::format("{}|{}", error.code(), error.message());
    }
    return "no failure";
}

// ---- padding texts ----

TEST(PaddingPolicy, TextsRoundTripAndMatchExactly) {
    for (const PaddingPolicy padding : enum_values<PaddingPolicy>) {
        EXPECT_EQ(parse_enum<PaddingPolicy>(enum_text(padding)), padding);
    }
    EXPECT_EQ(enum_text(PaddingPolicy::FixedLength), "fixed_length");
    EXPECT_EQ(enum_text(PaddingPolicy::NoPadding), "no_padding");
    for (const std::string_view text : {"fixed", "Fixed_Length", " no_padding", "no_padding ", "", "no-padding"}) {
        EXPECT_EQ(parse_enum<PaddingPolicy>(text), std::nullopt) << text;
    }
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
    testing::Values(
        RowCase{"no_padding_cut", {5, 6, 7}, {2, 0, PaddingPolicy::NoPadding}, {5, 6}, {1, 1}, true},
        RowCase{"fixed_exact_length", {5, 6}, {2, 0, PaddingPolicy::FixedLength}, {5, 6}, {1, 1}, false},
        RowCase{"fixed_padded_with_255", {5}, {3, 255, PaddingPolicy::FixedLength}, {5, 255, 255}, {1, 0, 0}, false},
        RowCase{"fixed_padded_with_0",
                {3, 7, 1},
                {5, 0, PaddingPolicy::FixedLength},
                {3, 7, 1, 0, 0},
                {1, 1, 1, 0, 0},
                false},
        RowCase{"fixed_cut_keeps_head", {1, 2, 3, 4}, {3, 9, PaddingPolicy::FixedLength}, {1, 2, 3}, {1, 1, 1}, true},
        RowCase{"no_padding_ignores_pad_id", {4}, {3, 9, PaddingPolicy::NoPadding}, {4}, {1}, false},
        RowCase{"no_padding_exact_length", {4, 5, 6}, {3, 0, PaddingPolicy::NoPadding}, {4, 5, 6}, {1, 1, 1}, false},
        RowCase{"empty_tokens_fixed", {}, {2, 8, PaddingPolicy::FixedLength}, {8, 8}, {0, 0}, false},
        RowCase{
            "huge_max_length_no_padding", {1, 2}, {UINT64_MAX, 0, PaddingPolicy::NoPadding}, {1, 2}, {1, 1}, false}),
    [](const testing::TestParamInfo<RowCase>& info) { return std::string{info.param.name}; });

TEST(BuildModelInputsChecked, BuildsOneRowPerRecordInOrder) {
    const std::vector<TokenizedProtein> records{tokenized("a", {1, 2, 3}), tokenized("b", {4})};
    const ModelInputPolicy policy{2, 0, PaddingPolicy::FixedLength};
    const ModelInput result = build_model_inputs_checked(records, policy);
    EXPECT_EQ(result.policy, policy);
    EXPECT_EQ(result.records,
              (std::vector<ModelInputRecord>{{"a", {1, 2}, {1, 1}, true}, {"b", {4, 0}, {1, 0}, false}}));
}

TEST(BuildModelInputsChecked, ReadsTheIssueListsNotTheValidFlag) {
    TokenizedProtein claims_valid = tokenized("a", {1}, 0, 1);
    claims_valid.valid = true;
    EXPECT_EQ(build_failure({claims_valid}, {4, 0, PaddingPolicy::NoPadding}),
              "model_input.invalid_sequence|sequence 'a' is not model-ready: 0 warnings and 1 errors must be resolved "
              "before building model input");

    TokenizedProtein claims_invalid = tokenized("b", {1});
    claims_invalid.valid = false;
    EXPECT_EQ(build_model_inputs_checked(std::vector{claims_invalid}, {4, 0, PaddingPolicy::NoPadding}).records.size(),
              1U);
}

struct FailureCase {
    std::string_view name;
    std::vector<TokenizedProtein> records;
    ModelInputPolicy policy;
    std::string_view expected;
};

class BuildFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(BuildFailures, ReportTheFirstProblem) {
    EXPECT_EQ(build_failure(GetParam().records, GetParam().policy), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, BuildFailures,
    testing::Values(
        FailureCase{"zero_max_length_empty_list",
                    {},
                    {0, 0, PaddingPolicy::NoPadding},
                    "model_input.invalid_policy|invalid model input policy: max_length must be greater than zero"},
        FailureCase{"policy_checked_before_records",
                    {tokenized("a", {})},
                    {0, 0, PaddingPolicy::FixedLength},
                    "model_input.invalid_policy|invalid model input policy: max_length must be greater than zero"},
        FailureCase{"empty_before_not_ready",
                    {tokenized("e", {}, 0, 2)},
                    {4, 0, PaddingPolicy::NoPadding},
                    "model_input.invalid_sequence|sequence 'e' is empty and cannot be converted into model input"},
        FailureCase{"one_warning_stays_plural",
                    {tokenized("w", {1, 2}, 1, 0)},
                    {4, 0, PaddingPolicy::NoPadding},
                    "model_input.invalid_sequence|sequence 'w' is not model-ready: 1 warnings and 0 errors must be "
                    "resolved before building model input"},
        FailureCase{"second_of_three_fails",
                    {tokenized("ok", {1}), tokenized("bad", {2}, 2, 3), tokenized("empty", {})},
                    {4, 0, PaddingPolicy::NoPadding},
                    "model_input.invalid_sequence|sequence 'bad' is not model-ready: 2 warnings and 3 errors must be "
                    "resolved before building model input"}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string{info.param.name}; });

// ---- JSON ----

TEST(ModelInputJson, WritesKeysInTheirFixedOrder) {
    const ModelInput result = build_model_inputs_checked(
        std::vector{tokenized("seq1", {3, 7, 1}), tokenized("s\"2", {9})}, {5, 0, PaddingPolicy::FixedLength});
    EXPECT_EQ(model_input_to_json(result),
              R"({"policy":{"max_length":5,"pad_token_id":0,"padding":"fixed_length"},"records":[)"
              R"({"id":"seq1","input_ids":[3,7,1,0,0],"attention_mask":[1,1,1,0,0],"truncated":false},)"
              R"({"id":"s\"2","input_ids":[9,0,0,0,0],"attention_mask":[1,0,0,0,0],"truncated":false}]})");
}

TEST(ModelInputJson, EmptyListHasEmptyRecords) {
    const ModelInput result =
        build_model_inputs_checked(std::vector<TokenizedProtein>{}, {7, 255, PaddingPolicy::NoPadding});
    EXPECT_EQ(model_input_to_json(result),
              R"({"policy":{"max_length":7,"pad_token_id":255,"padding":"no_padding"},"records":[]})");
}

TEST(ModelInputJson, RecordsEmbedAsValues) {
    json::JsonWriter writer;
    writer.begin_array();
    write_json(writer, ModelInputRecord{"a", {2, 1}, {1, 1}, true});
    write_json(writer, ModelInputRecord{"b", {}, {}, false});
    writer.end_array();
    EXPECT_EQ(writer.text(), R"([{"id":"a","input_ids":[2,1],"attention_mask":[1,1],"truncated":true},)"
                             R"({"id":"b","input_ids":[],"attention_mask":[],"truncated":false}])");
}

}  // namespace
}  // namespace tamri
