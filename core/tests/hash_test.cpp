#include "tamri/digest/sha256.hpp"
#include "tamri/digest/stable_hash.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tamri {
namespace {

std::string stable_hash_of(std::string_view bytes) {
    StableInputHasher hasher;
    hasher.update(bytes);
    return hasher.finalize();
}

// ---- stable input hash ----

struct HashVector {
    std::string_view bytes;
    std::string_view expected;
};

class StableInputHashVectors : public testing::TestWithParam<HashVector> {};

TEST_P(StableInputHashVectors, MatchesTheReferenceValue) {
    EXPECT_EQ(stable_hash_of(GetParam().bytes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Fnv1a64, StableInputHashVectors,
                         testing::Values(HashVector{">s1\nACDE\n", "fnv1a64:531558993eea21e8"},
                                         HashVector{">s1\r\nACDE\r\n", "fnv1a64:3c596ea04dda67a6"},
                                         HashVector{">s1\nACDE", "fnv1a64:57314b41ad2a5272"},
                                         HashVector{"", "fnv1a64:cbf29ce484222325"},
                                         HashVector{"a", "fnv1a64:af63dc4c8601ec8c"},
                                         // Leading zeros are written.
                                         HashVector{">s6405\nACDE\n", "fnv1a64:000c4483265de97a"}));

// A digest taken between the pieces must leave the state as it was.
TEST(StableInputHasher, PiecesHashLikeTheirConcatenation) {
    const std::string_view text = ">s1 description\r\nACDE\n\nFGHI";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        StableInputHasher hasher;
        hasher.update(text.substr(0, cut));
        EXPECT_EQ(hasher.finalize(), stable_hash_of(text.substr(0, cut))) << "cut at " << cut;
        hasher.update(text.substr(cut));
        EXPECT_EQ(hasher.finalize(), stable_hash_of(text)) << "cut at " << cut;
    }
}

TEST(StableInputHashForm, AcceptsOnlyThePrefixAndSixteenLowercaseDigits) {
    EXPECT_TRUE(is_stable_input_hash("fnv1a64:0123456789abcdef"));
    EXPECT_TRUE(is_stable_input_hash("fnv1a64:0000000000000000"));
    for (const std::string_view text :
         {"fnv1a64:0123456789ABCDEF", "fnv1a64:0123456789abcde", "fnv1a64:0123456789abcdef0",
          "FNV1A64:0123456789abcdef", "fnv1a32:0123456789abcdef", " fnv1a64:0123456789abcde",
          "fnv1a64:0123456789abcde ", "fnv1a64:0123456789abcdeg", "fnv1a64:", ""}) {
        EXPECT_FALSE(is_stable_input_hash(text)) << '"' << text << '"';
    }
}

// ---- SHA-256 ----

TEST(Sha256Digest, KnownValues) {
    EXPECT_EQ(sha256_bytes_digest(""), "sha256:e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha256_bytes_digest("abc"), "sha256:ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256_bytes_digest(std::string_view{"\0", 1}),
              "sha256:6e340b9cffb37a989ca544e6bb780a2c78901d3fb33738768511a30617afa01d");
}

// ---- canonical JSON ----

struct CanonicalCase {
    std::string_view name;
    std::string_view json;
    std::string_view canonical;
};

class CanonicalJson : public testing::TestWithParam<CanonicalCase> {};

TEST_P(CanonicalJson, RewritesTheDocument) {
    const auto& c = GetParam();
    ASSERT_EQ(canonical_json_text(c.json), std::optional<std::string>{std::string{c.canonical}});
    // Writing the canonical bytes straight into SHA-256 hashes exactly the rewritten text.
    EXPECT_EQ(sha256_canonical_json_digest(c.json), sha256_bytes_digest(c.canonical));
}

INSTANTIATE_TEST_SUITE_P(
    Documents, CanonicalJson,
    testing::Values(
        CanonicalCase{"white_space", " { \"a\" : [ 1 , 2 ] ,\n\t\"b\" : null } ", R"({"a":[1,2],"b":null})"},
        CanonicalCase{"sorted_keys", R"({"b":1,"a":{"d":true,"c":false},"A":2})",
                      R"({"A":2,"a":{"c":false,"d":true},"b":1})"},
        CanonicalCase{"byte_order_keys", "{\"\xc3\xa9\":1,\"z\":2,\"Z\":3,\"\":4}",
                      "{\"\":4,\"Z\":3,\"z\":2,\"\xc3\xa9\":1}"},
        CanonicalCase{"prefix_key_first", R"({"ab":1,"a":2})", R"({"a":2,"ab":1})"},
        CanonicalCase{"later_duplicate_wins", R"({"k":1,"j":0,"k":2})", R"({"j":0,"k":2})"},
        CanonicalCase{"arrays_keep_order", R"([3,1,[2,{}],[],"x",true,false,null])",
                      R"([3,1,[2,{}],[],"x",true,false,null])"},
        CanonicalCase{"scalar_root", " \"top\" ", R"("top")"},
        CanonicalCase{"integers", "[0,-0,-1,18446744073709551615,-9223372036854775808,9223372036854775807]",
                      "[0,0,-1,18446744073709551615,-9223372036854775808,9223372036854775807]"},
        CanonicalCase{"floats", "[1.5,1.0,-2.50,1e2,0.1,1E-7,-0.0]", "[1.5,1.0,-2.5,100.0,0.1,1e-07,-0.0]"},
        // Found by fuzzing: RapidJSON's own conversion read a zero with a large exponent as 2e62.
        CanonicalCase{"zero_with_large_exponent", "[0e80,0.0e308,-0e-5]", "[0.0,0.0,-0.0]"},
        CanonicalCase{"beyond_64_bits", "[18446744073709551616,-9223372036854775809]",
                      "[1.8446744073709552e+19,-9.223372036854776e+18]"},
        CanonicalCase{"escapes", R"(["\"\\\/\b\f\n\r\t\u0001\u001f\u007f"])",
                      "[\"\\\"\\\\/\\b\\f\\n\\r\\t\\u0001\\u001f\x7f\"]"},
        CanonicalCase{"unicode_escapes_become_utf8", R"(["\u00e9\ud83d\ude00"])", "[\"\xc3\xa9\xf0\x9f\x98\x80\"]"},
        CanonicalCase{"nul_in_key_and_value", R"({"a\u0000b":"\u0000"})", R"({"a\u0000b":"\u0000"})"}),
    [](const testing::TestParamInfo<CanonicalCase>& info) { return std::string{info.param.name}; });

class NotJson : public testing::TestWithParam<std::string_view> {};

TEST_P(NotJson, GetsThePlainDigestOfTheBytes) {
    EXPECT_EQ(canonical_json_text(GetParam()), std::nullopt);
    EXPECT_EQ(sha256_canonical_json_digest(GetParam()), sha256_bytes_digest(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(Inputs, NotJson,
                         testing::Values("", "   ", "not json", "{\"a\":1", "{\"a\":1} {}", "[1,]", "{'a':1}", "[NaN]",
                                         "[1e400]", "// c\n{}", std::string_view{"[\"\xff\"]"},
                                         std::string_view{"[\"\\ud800\"]"}, std::string_view{"[1]\0", 4},
                                         // Found by fuzzing: beyond every double, an escaped lone
                                         // trailing surrogate, byte order mark bytes.
                                         "[2e308]", std::string_view{"[\"\\udc00\"]"},
                                         std::string_view{"{\"\\udc00\":1}"}, std::string_view{"\xbb[1]"},
                                         std::string_view{"\xef\xbb\xbf{}"},
                                         // ... even in a member that a later duplicate replaces.
                                         std::string_view{"{\"a\":{\"\\udc00\":1},\"a\":2}"}));

TEST(CanonicalJsonDigest, DeepNestingIsWrittenWithoutRecursion) {
    constexpr std::size_t depth = 200000;
    const std::string json = std::string(depth, '[') + std::string(depth, ']');
    EXPECT_EQ(canonical_json_text(json), json);
    EXPECT_EQ(sha256_canonical_json_digest(json), sha256_bytes_digest(json));
}

TEST(CanonicalJsonDigest, LargeDocumentsHashLikeTheirCanonicalText) {
    // Larger than one hand-off piece, so the digest sees the text in several updates.
    std::string json = "{";
    for (int i = 0; i < 20000; ++i) {
        json += fmt::format("{}\"key{}\": [\"value\", 12345, null]", i == 0 ? "" : ",", 19999 - i);
    }
    json += "}";
    const std::optional<std::string> canonical = canonical_json_text(json);
    ASSERT_TRUE(canonical.has_value());
    ASSERT_GT(canonical->size(), 64U * 1024U);
    EXPECT_TRUE(canonical->starts_with(R"({"key0":["value",12345,null],"key1":)"));
    EXPECT_EQ(sha256_canonical_json_digest(json), sha256_bytes_digest(*canonical));
}

}  // namespace
}  // namespace tamri
