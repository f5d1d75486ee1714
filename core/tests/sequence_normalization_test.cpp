#include "tamri/sequence/detection.hpp"
#include "tamri/sequence/normalization.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace tamri {
namespace {

TEST(Normalization, AsciiDropsFiveWhiteSpaceBytesAndUpperCases) {
    EXPECT_EQ(normalize_sequence(" a c\tg\r\n"), "ACG");
    EXPECT_EQ(normalize_sequence("a\fb"), "AB");
    EXPECT_EQ(normalize_sequence("A\vC"), "A\vC");
    EXPECT_EQ(normalize_sequence("*-1;x"), "*-1;X");
    EXPECT_EQ(normalize_sequence(""), "");
}

// Clean lines are found sixteen bytes at a time with an overlapping last block, so each byte that
// changes, and its neighbours that do not, is tried at every offset.
TEST(Normalization, BytesFindTheOneToChangeAtEveryOffset) {
    const std::pair<char, std::string_view> cases[] = {{'a', "A"}, {'z', "Z"}, {' ', ""},    {'\t', ""},
                                                       {'`', "`"}, {'{', "{"}, {'\v', "\v"}, {'\x01', "\x01"}};
    for (const std::size_t size : {1U, 15U, 16U, 17U, 33U}) {
        for (std::size_t at = 0; at < size; ++at) {
            for (const auto& [byte, written] : cases) {
                std::string line(size, 'M');
                line[at] = byte;
                const std::string expected = line.substr(0, at) + std::string{written} + line.substr(at + 1);
                EXPECT_EQ(normalize_sequence_bytes(line), expected) << size << " at " << at;
            }
        }
    }
}

TEST(Normalization, NonAsciiTextDropsUnicodeWhiteSpaceIncludingVerticalTab) {
    EXPECT_EQ(normalize_sequence("A\vC\u00e9"), "AC\u00e9");
    EXPECT_EQ(normalize_sequence("m\u00a0k\u3000v\u2028"), "MKV");
    EXPECT_EQ(normalize_sequence("\u00e9a\u00df"), "\u00e9A\u00df");  // only a-z are upper-cased
}

TEST(Normalization, AppendsToExistingBuffers) {
    std::string buffer = "MK";
    append_normalized_sequence("v l", buffer);
    append_normalized_sequence("\u00a0w", buffer);
    EXPECT_EQ(buffer, "MKVLW");
}

TEST(Normalization, BytesKeepInvalidUtf8AndVerticalTab) {
    EXPECT_EQ(normalize_sequence_bytes("a\377 c\v\303\n"), "A\377C\v\303");
}

// Words are raised eight bytes at a time: every byte value, in each position of a word, must
// come out as the byte rule says, next to the letters at the edges of a-z.
TEST(Normalization, BytesOfEveryValueInEveryWordPosition) {
    for (int value = 0; value < 256; ++value) {
        for (std::size_t position = 0; position < 9; ++position) {
            std::string input = "`az{@AZ[!~\x7fmkv";
            input[position] = static_cast<char>(value);
            std::string expected;
            for (const char ch : input) {
                if (ch != ' ' && ch != '\t' && ch != '\n' && ch != '\f' && ch != '\r') {
                    expected.push_back(ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch);
                }
            }
            EXPECT_EQ(normalize_sequence_bytes(input), expected) << value << " at " << position;
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
