#include "tamri/sequence/detection.hpp"
#include "tamri/sequence/normalization.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace tamri {
namespace {

// ASCII text drops the five ASCII white space bytes and keeps vertical tab; other text drops every
// Unicode white space character, vertical tab included. Only a-z are upper-cased.
TEST(Normalization, TextDropsWhiteSpaceByItsAlphabetAndUpperCasesAToZ) {
    const std::pair<std::string_view, std::string_view> cases[] = {{" a c\tg\r\n", "ACG"},
                                                                   {"a\fb", "AB"},
                                                                   {"A\vC", "A\vC"},
                                                                   {"*-1;x", "*-1;X"},
                                                                   {"", ""},
                                                                   {"A\vC\u00e9", "AC\u00e9"},
                                                                   {"m\u00a0k\u3000v\u2028", "MKV"},
                                                                   {"\u00e9a\u00df", "\u00e9A\u00df"},
                                                                   // Bytes that are not UTF-8 read as U+FFFD.
                                                                   {"a\xc3 b\xff", "A\ufffdB\ufffd"}};
    for (const auto& [text, normalized] : cases) {
        EXPECT_EQ(normalize_sequence(text), normalized) << text;
    }
}

TEST(Normalization, AppendsToExistingBuffers) {
    std::string buffer = "MK";
    append_normalized_sequence("v l", buffer);
    append_normalized_sequence("\u00a0w", buffer);
    EXPECT_EQ(buffer, "MKVLW");
}

// Lines are searched sixteen bytes at a time (the last block overlapping) for a byte to change and
// raised eight bytes at a time, so every byte value is tried at every offset of lines around those
// widths, among bytes that need no change and among letters at the edges of a-z.
TEST(Normalization, BytesOfEveryValueAtEveryOffset) {
    for (const std::string_view filler : {"M", "`az{@AZ[!~\x7fmkv"}) {
        for (const std::size_t size : {1U, 9U, 14U, 15U, 16U, 17U, 33U}) {
            std::string line;
            while (line.size() < size) {
                line += filler;
            }
            line.resize(size);
            for (std::size_t at = 0; at < size; ++at) {
                for (int value = 0; value < 256; ++value) {
                    std::string input = line;
                    input[at] = static_cast<char>(value);
                    std::string expected;
                    for (const char ch : input) {
                        if (ch != ' ' && ch != '\t' && ch != '\n' && ch != '\f' && ch != '\r') {
                            expected.push_back(ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch);
                        }
                    }
                    EXPECT_EQ(normalize_sequence_bytes(input), expected) << size << " at " << at << ": " << value;
                }
            }
        }
    }
}

struct DetectionCase {
    std::string text;
    SequenceKind kind;
    std::vector<SequenceKind> candidates;
};

class KindDetection : public ::testing::TestWithParam<DetectionCase> {};

TEST_P(KindDetection, ChoosesKindAndCandidates) {
    const DetectionCase& c = GetParam();
    const SequenceKindDetection detection = detect_sequence_kind_with_metadata(c.text);
    EXPECT_EQ(detection.kind, c.kind);
    EXPECT_EQ(detection.candidates, c.candidates);
    EXPECT_EQ(detection.ambiguous, c.candidates.size() > 1);
}

constexpr auto P = SequenceKind::protein;
constexpr auto D = SequenceKind::dna;
constexpr auto R = SequenceKind::rna;

INSTANTIATE_TEST_SUITE_P(Cases, KindDetection,
                         ::testing::Values(DetectionCase{"", D, {P, D, R}}, DetectionCase{"ACGT", D, {P, D}},
                                           DetectionCase{"AC GT", D, {P, D}}, DetectionCase{"acgu", R, {P, R}},
                                           DetectionCase{"ACGN", D, {P, D, R}}, DetectionCase{"MKV", D, {P, D, R}},
                                           DetectionCase{"MKTAYIAKQR", P, {P}}, DetectionCase{"ACGTU", P, {P}},
                                           DetectionCase{"ACGT1", D, {P, D}}, DetectionCase{"ACGU\u00e9", R, {P, R}},
                                           DetectionCase{"ACGT\u00a0\u3000", D, {P, D}},
                                           DetectionCase{"ACGT\v", D, {P, D}},  // VT is unsupported, not skipped
                                           DetectionCase{"123", D, {P, D, R}}, DetectionCase{"UUUUE", P, {P}},
                                           DetectionCase{"ACGUT*", P, {P}}));

}  // namespace
}  // namespace tamri
