#include "tamri/workflow/workflow.hpp"
#include "tamri/base/diagnostic.hpp"
#include "tamri/base/version.hpp"
#include "tamri/digest/sha256.hpp"
#include "tamri/json/writer.hpp"
#include "tamri/tokenizer/config.hpp"
#include "tamri/tokenizer/vocab.hpp"
#include "test_support.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {
namespace {

constexpr std::string_view valid_hash = "fnv1a64:0123456789abcdef";
using Profile = ProteinTokenizerProfile;

SequenceWorkflowInvocation invocation_for(std::size_t records, Profile profile) {
    return {"tamri-python.prepare_workflow",
            {fmt::format("records={}", records), fmt::format("profile={}", enum_text(profile))}};
}

SequenceWorkflowResult run(const std::vector<ProteinSequence>& records, Profile profile, ModelInputPolicy policy,
                           std::string_view hash = valid_hash) {
    return prepare_model_input_workflow_with_config(std::string{hash}, records, policy,
                                                    protein_tokenizer_config_for_profile(profile),
                                                    invocation_for(records.size(), profile));
}

// What a reader recomputes from a stored report: "provenance" replaced by its members but "hashes".
std::string output_data_json(std::string_view report) {
    rapidjson::Document stored;
    stored.Parse<rapidjson::kParseValidateEncodingFlag>(report.data(), report.size());
    EXPECT_FALSE(stored.HasParseError()) << report;
    rapidjson::Document data(rapidjson::kObjectType);
    auto& allocator = data.GetAllocator();
    const auto add = [&](const auto& member) {
        data.AddMember(rapidjson::Value(member.name, allocator), rapidjson::Value(member.value, allocator), allocator);
    };
    // Const iteration: RapidJSON's mutable member iterators compare ambiguously in C++20.
    const rapidjson::Value& root = stored;
    for (const auto& member : root.GetObject()) {
        if (member.name != "provenance") {
            add(member);
            continue;
        }
        for (const auto& inner : member.value.GetObject()) {
            if (inner.name != "hashes") {
                add(inner);
            }
        }
    }
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    data.Accept(writer);
    return {buffer.GetString(), buffer.GetSize()};
}

std::string vocabulary_digest(Profile profile) {
    json::JsonWriter writer;
    json::write_value(writer, builtin_vocabulary(tokenizer_profile_vocabulary(profile)));
    return sha256_canonical_json_digest(writer.text());
}

std::string with_digests(std::string_view report, Profile profile) {
    const std::size_t vocabulary_at = report.find("@V");
    const std::size_t output_at = report.find("@O");
    return fmt::format("{}{}{}{}{}", report.substr(0, vocabulary_at), vocabulary_digest(profile),
                       report.substr(vocabulary_at + 2, output_at - vocabulary_at - 2),
                       sha256_canonical_json_digest(output_data_json(report)), report.substr(output_at + 2));
}

// ---- exact output ----

struct ExactCase {
    std::string_view name;
    std::vector<ProteinSequence> records;
    ModelInputPolicy policy;
    std::string_view report;  // @V and @O stand for the two digests
};

class WorkflowReport : public testing::TestWithParam<ExactCase> {};

TEST_P(WorkflowReport, IsWrittenExactly) {
    const ExactCase& c = GetParam();
    const SequenceWorkflowResult result = run(c.records, Profile::protein_20, c.policy);
    EXPECT_EQ(result.report_json, with_digests(c.report, Profile::protein_20));
    json::JsonWriter writer;
    json::write_value(writer, result.output);
    EXPECT_EQ(writer.text(), result.report_json);
    EXPECT_EQ(result.output.model_ready, result.output.model_input.has_value());
}

const std::string provenance_head =
    fmt::format(R"("provenance":{{"tamri_core_version":"{}","invocation":{{"command":"tamri-python.prepare_workflow",)",
                tamri_core_version);
constexpr std::string_view provenance_tail =
    R"("input_hash":"fnv1a64:0123456789abcdef","normalization":"strip_ascii_whitespace_uppercase",)"
    R"("validation_alphabet":"protein-20","tokenizer":{"name":"protein-20","vocab_size":20,"unknown_token_id":20,)"
    R"("unknown_token_policy":"warn_or_error_with_unknown_token"},)";

const std::string ready_report = fmt::format(
    R"({{"workflow":"protein_model_input.v0","model_ready":true,{}"arguments":["records=1","profile=protein-20"]}},)"
    R"({}"model_input_policy":{{"max_length":3,"pad_token_id":0,"padding":"fixed_length"}},)"
    R"("hashes":{{"vocabulary_sha256":"@V","output_data_sha256":"@O"}}}},)"
    R"("validation":{{"records":1,"valid_records":1,"warning_count":0,"error_count":0,"sequences":[)"
    R"({{"id":"a","sequence":"MK","alphabet":"protein-20","valid":true,"warnings":[],"errors":[]}}]}},)"
    R"("tokenization":{{"summary":{{"records":1,"total_length":2,"valid_records":1,"warning_count":0,)"
    R"("error_count":0}},"records":[{{"id":"a","length":2,"alphabet":"protein-20","valid":true,"tokens":[10,8],)"
    R"("warnings":[],"errors":[]}}]}},"model_input":{{"policy":{{"max_length":3,"pad_token_id":0,)"
    R"("padding":"fixed_length"}},"records":[{{"id":"a","input_ids":[10,8,0],"attention_mask":[1,1,0],)"
    R"("truncated":false}}]}},"readiness_issues":[]}})",
    provenance_head, provenance_tail);

// An invalid UTF-8 byte in an identifier is read as U+FFFD, as in sequences.
const std::string not_ready_report = fmt::format(
    R"({{"workflow":"protein_model_input.v0","model_ready":false,{}"arguments":["records=2","profile=protein-20"]}},)"
    R"({}"model_input_policy":{{"max_length":4,"pad_token_id":0,"padding":"no_padding"}},)"
    R"("hashes":{{"vocabulary_sha256":"@V","output_data_sha256":"@O"}}}},)"
    R"("validation":{{"records":2,"valid_records":1,"warning_count":0,"error_count":1,"sequences":[)"
    "{{\"id\":\"x\xef\xbf\xbd\",\"sequence\":\"M*\",\"alphabet\":\"protein-20\",\"valid\":false,\"warnings\":[],"
    R"("errors":[{{"residue":"*","position":2}}]}},{{"id":"e","sequence":"","alphabet":"protein-20","valid":true,)"
    R"("warnings":[],"errors":[]}}]}},"tokenization":{{"summary":{{"records":2,"total_length":2,"valid_records":1,)"
    "\"warning_count\":0,\"error_count\":1}},\"records\":[{{\"id\":\"x\xef\xbf\xbd\",\"length\":2,"
    R"("alphabet":"protein-20","valid":false,"tokens":[10,20],"warnings":[],"errors":[{{"residue":"*","position":2}}]}},)"
    R"({{"id":"e","length":0,"alphabet":"protein-20","valid":true,"tokens":[],"warnings":[],"errors":[]}}]}},)"
    "\"model_input\":null,\"readiness_issues\":[{{\"code\":\"sequence.not_model_ready\",\"id\":\"x\xef\xbf\xbd\","
    "\"warning_count\":0,\"error_count\":1,\"message\":\"sequence 'x\xef\xbf\xbd' is not model-ready: 0 warnings "
    R"(and 1 errors must be resolved before model-input generation"}},{{"code":"sequence.not_model_ready","id":"e",)"
    R"("warning_count":0,"error_count":0,"message":"sequence 'e' is not model-ready: empty sequences cannot be )"
    R"(converted into model input"}}]}})",
    provenance_head, provenance_tail);

INSTANTIATE_TEST_SUITE_P(
    Runs, WorkflowReport,
    testing::Values(ExactCase{"ready", {{"a", "MK"}}, {3, 0, PaddingPolicy::FixedLength}, ready_report},
                    ExactCase{
                        "not_ready", {{"x\xff", "M*"}, {"e", ""}}, {4, 0, PaddingPolicy::NoPadding}, not_ready_report}),
    [](const testing::TestParamInfo<ExactCase>& info) { return std::string{info.param.name}; });

TEST(Workflow, EmptyRecordListIsReadyWithAnEmptyModelInput) {
    const SequenceWorkflowResult result = run({}, Profile::protein_20, {8, 0, PaddingPolicy::NoPadding});
    EXPECT_TRUE(result.output.model_ready);
    EXPECT_NE(result.report_json.find(R"("model_input":{"policy":{"max_length":8,"pad_token_id":0,)"
                                      R"("padding":"no_padding"},"records":[]},"readiness_issues":[]})"),
              std::string::npos);
}

// The input hash is judged before the policy.
TEST(Workflow, FailuresComeFromTheHashFirstThenThePolicy) {
    const auto failure = [](std::string_view hash) {
        return failure_of<ModelInputBuildError>([&] {
            return run({{"a", "MK"}}, Profile::protein_20, {0, 0, PaddingPolicy::NoPadding}, hash);
        });
    };
    EXPECT_EQ(failure("fnv1a64:ABCDEF0123456789"),
              (Failure{"workflow.invalid_input_hash",
                       "invalid workflow input hash 'fnv1a64:ABCDEF0123456789': expected fnv1a64:<16 lowercase hex>",
                       std::nullopt}));
    EXPECT_EQ(failure(valid_hash),
              (Failure{"model_input.invalid_policy", "invalid model input policy: max_length must be greater than zero",
                       std::nullopt}));
}

TEST(Workflow, DuplicateIdentifiersAreKeptApart) {
    const SequenceWorkflowResult result =
        run({{"d", "MX"}, {"d", "M"}, {"d", "Z"}}, Profile::protein_20, {8, 0, PaddingPolicy::NoPadding});
    EXPECT_EQ(result.output.validation.sequences.size(), 3U);
    EXPECT_EQ(result.output.tokenization.summary, (ProteinBatchSummary{3, 4, 1, 2, 0}));
    EXPECT_EQ(result.output.readiness_issues.size(), 2U);
}

// ---- profiles and digests ----

// A special profile names its base vocabulary; the protein-20 profile is the exact reports' own.
TEST(Workflow, ProfilesNameTheirBaseVocabulary) {
    const struct {
        Profile profile;
        std::string_view workflow;
        std::string_view alphabet;
        std::size_t vocab_size;
    } cases[] = {{Profile::protein_20_special, "protein_model_input.v0", "protein-20", 20},
                 {Profile::dna_iupac_special, "sequence_model_input.v0", "dna-iupac", 4},
                 {Profile::rna_iupac, "sequence_model_input.v0", "rna-iupac", 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(enum_text(c.profile));
        const SequenceWorkflowResult result = run({{"a", "AC"}}, c.profile, {4, 0, PaddingPolicy::NoPadding});
        const SequenceWorkflowProvenance& provenance = result.output.provenance;
        EXPECT_EQ(result.output.workflow, c.workflow);
        EXPECT_EQ(provenance.validation_alphabet, c.alphabet);
        EXPECT_EQ(
            provenance.tokenizer,
            (WorkflowTokenizerMetadata{std::string{c.alphabet}, c.vocab_size, static_cast<std::uint8_t>(c.vocab_size),
                                       UnknownTokenPolicy::warn_or_error_with_unknown_token}));
        EXPECT_EQ(provenance.hashes.vocabulary_sha256, vocabulary_digest(c.profile));
    }
}

TEST(WorkflowDigests, SameCallSameBytesAndEveryRecordedSettingCounts) {
    const std::vector<ProteinSequence> records{{"a", "MK"}, {"b", "ACD"}};
    const ModelInputPolicy policy{4, 0, PaddingPolicy::FixedLength};
    const ProteinTokenizerConfig config = protein_tokenizer_config_for_profile(Profile::protein_20);
    const SequenceWorkflowResult base = run(records, Profile::protein_20, policy);
    EXPECT_EQ(run(records, Profile::protein_20, policy).report_json, base.report_json);
    EXPECT_EQ(prepare_model_input_workflow_with_config(std::string{valid_hash}, std::vector{records}, policy, config,
                                                       invocation_for(2, Profile::protein_20))
                  .report_json,
              base.report_json);
    const std::vector<SequenceWorkflowResult> variants{
        run(records, Profile::protein_20, policy, "fnv1a64:0123456789abcdee"),
        run(records, Profile::protein_20, {4, 1, PaddingPolicy::FixedLength}),
        prepare_model_input_workflow_with_config(std::string{valid_hash}, records, policy, config,
                                                 invocation_for(3, Profile::protein_20)),
    };
    for (const SequenceWorkflowResult& variant : variants) {
        EXPECT_NE(variant.output.provenance.hashes.output_data_sha256,
                  base.output.provenance.hashes.output_data_sha256);
        EXPECT_EQ(variant.output.provenance.hashes.vocabulary_sha256, base.output.provenance.hashes.vocabulary_sha256);
    }
}

TEST(WorkflowDigests, TextThatIsNotJsonGetsTheDigestOfTheWritingFailure) {
    json::JsonIndex index;
    json::JsonWriter writer{index};
    writer.begin_object().key("workflow").string("\xff").end_object();
    const SequenceWorkflowHashes hashes = workflow_hashes({Profile::dna_iupac, writer.text(), index});
    EXPECT_EQ(
        hashes.output_data_sha256,
        sha256_bytes_digest("string at byte 12 is not valid UTF-8: invalid utf-8 sequence of 1 bytes from index 0"));
    EXPECT_EQ(hashes.vocabulary_sha256, vocabulary_digest(Profile::dna_iupac));
}

// ---- from FASTA text ----

TEST(WorkflowFromFasta, ReadsTheTextThenAsksForTheSettings) {
    const auto settings_for = [](std::size_t records) {
        return SequenceWorkflowSettings{{4, 0, PaddingPolicy::FixedLength},
                                        protein_tokenizer_config_for_profile(Profile::protein_20),
                                        invocation_for(records, Profile::protein_20)};
    };
    const SequenceWorkflowResult result = prepare_model_input_workflow_from_fasta(">s1\nACDE\n", settings_for);
    EXPECT_EQ(result.report_json,
              run({{"s1", "ACDE"}}, Profile::protein_20, {4, 0, PaddingPolicy::FixedLength}, "fnv1a64:531558993eea21e8")
                  .report_json);
    const auto never = [](std::size_t) -> SequenceWorkflowSettings { throw std::logic_error("asked too early"); };
    EXPECT_THROW((void)prepare_model_input_workflow_from_fasta("ACDE\n", never), FastaReadError);
}

TEST(WorkflowSettingsFromArguments, JudgePaddingThenProfileAndRecordThePythonInvocation) {
    const SequenceWorkflowSettings settings =
        workflow_settings_from_arguments({8, 21, "fixed_length", "dna-iupac-special"}, 3);
    EXPECT_EQ(settings.policy, (ModelInputPolicy{8, 21, PaddingPolicy::FixedLength}));
    EXPECT_EQ(settings.tokenizer, protein_tokenizer_config_for_profile(Profile::dna_iupac_special));
    EXPECT_EQ(settings.invocation, invocation_for(3, Profile::dna_iupac_special));
    EXPECT_EQ(failure_of<ArgumentError>([] {
                  return workflow_settings_from_arguments({8, 0, "fixed", "x"}, 0);
              }).code,
              "model_input.invalid_policy");
    EXPECT_EQ(failure_of<ArgumentError>([] {
                  return workflow_settings_from_arguments({8, 0, "no_padding", "x"}, 0);
              }).message,
              "invalid tokenizer profile: 'x'. Expected one of protein-20, protein-20-special, dna-iupac, "
              "dna-iupac-special, rna-iupac, rna-iupac-special");
}

// ---- property: the streamed digest is the digest of the rewritten output data ----

std::string random_text(std::mt19937_64& random, std::span<const std::string_view> pieces, std::size_t max_pieces) {
    std::string text;
    for (std::size_t n = random() % (max_pieces + 1); n > 0; --n) {
        text += pieces[random() % pieces.size()];
    }
    return text;
}

TEST(WorkflowDigestProperty, StreamedDigestEqualsTheCanonicalDigestOfTheOutputData) {
    constexpr std::string_view id_pieces[] = {"a",    "seq",          "\"", "\\",       "\n",           "\x01",
                                              "\x1f", "\x7f",         "/",  "\xc3\xa9", "\xe2\x80\xa8", "\xff",
                                              "\xc3", "\xed\xa0\x80", " "};
    constexpr std::string_view messy_residues[] = {"A", "c",  "m",  "X",        "N",    "U",        "T", "*", "1",
                                                   " ", "\t", "\v", "\xc3\xa9", "\xff", "\xe0\x80", "-", "B", "Z"};
    constexpr std::string_view clean_residues[] = {"A", "c", "G", " "};
    std::mt19937_64 random{20240611};
    std::size_t ready_runs = 0;
    for (int run_index = 0; run_index < 300; ++run_index) {
        const bool clean = random() % 2 == 0;
        std::vector<ProteinSequence> records(random() % 6);
        for (ProteinSequence& record : records) {
            record.id = random() % 4 == 0 ? std::string{"dup"} : random_text(random, id_pieces, 4);
            // Now and then long enough for values that go to the digest straight from the report.
            const std::size_t pieces = random() % 8 == 0 ? 400 : 12;
            record.sequence = clean ? fmt::format("A{}", random_text(random, clean_residues, pieces))
                                    : random_text(random, messy_residues, pieces);
        }
        const auto profile =
            enum_values<ProteinTokenizerProfile>[random() % enum_values<ProteinTokenizerProfile>.size()];
        const ModelInputPolicy policy{1 + random() % (random() % 4 == 0 ? 400 : 8), static_cast<std::uint8_t>(random()),
                                      enum_values<PaddingPolicy>[random() % 2]};
        const SequenceWorkflowResult result = run(records, profile, policy);
        ready_runs += result.output.model_ready ? 1 : 0;
        EXPECT_EQ(result.output.provenance.hashes.output_data_sha256,
                  sha256_canonical_json_digest(output_data_json(result.report_json)))
            << result.report_json;
    }
    EXPECT_GT(ready_runs, 50U);
    EXPECT_LT(ready_runs, 250U);
}

}  // namespace
}  // namespace tamri
