#include "tamri/base/diagnostic.hpp"
#include "tamri/digest/stable_hash.hpp"
#include "tamri/fasta/records.hpp"
#include "tamri/fasta/scan.hpp"
#include "tamri/json/writer.hpp"
#include "test_support.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tamri {
namespace {

ParsedFastaInput parse_bytes(std::string_view bytes) {
    MemoryByteLineReader reader{bytes};
    return parse_fasta_records_reader(reader);
}

std::string hash_of(std::string_view bytes) {
    StableInputHasher hasher;
    hasher.update(bytes);
    return hasher.finalize();
}

// The records as `for_each_fasta_record` hands them out, copied.
std::vector<ProteinSequence> visit_records(std::string_view bytes) {
    MemoryByteLineReader reader{bytes};
    std::vector<ProteinSequence> records;
    for_each_fasta_record(reader, [&records](const ProteinSequence& record) { records.push_back(record); });
    return records;
}

// The text parser and the stream reader share their line rules except where a case says otherwise.
enum class Scanners { both, text_only, stream_only };
constexpr Scanners text_only = Scanners::text_only;
constexpr Scanners stream_only = Scanners::stream_only;

// ---- records and failures ----

using Records = std::vector<ProteinSequence>;
using Outcome = std::variant<Records, Failure>;

template <typename Error, typename Parse>
Outcome outcome_of(Parse parse) {
    try {
        return parse();
    } catch (const Error& error) {
        return failure_from(error);
    }
}

struct ScanCase {
    std::string_view name;
    std::string_view input;
    Outcome expected;
    Scanners scanners = Scanners::both;
};

class FastaScan : public testing::TestWithParam<ScanCase> {};

// Records come back normalized in input order, every byte read hashed; malformed input fails with
// its code, message and location.
TEST_P(FastaScan, GivesTheRecordsOrTheFailure) {
    const ScanCase& c = GetParam();
    if (c.scanners != stream_only) {
        EXPECT_EQ(outcome_of<TamriError>([&] { return parse_fasta_records(c.input); }), c.expected) << "text parser";
    }
    if (c.scanners != text_only) {
        EXPECT_EQ(outcome_of<FastaReadError>([&] { return parse_bytes(c.input).records; }), c.expected)
            << "stream reader";
        EXPECT_EQ(outcome_of<FastaReadError>([&] { return visit_records(c.input); }), c.expected)
            << "stream reader, one record at a time";
        if (std::holds_alternative<Records>(c.expected)) {
            EXPECT_EQ(parse_bytes(c.input).input_hash, hash_of(c.input));
        } else if (std::get<Failure>(c.expected).code == "io.read_failed") {
            try {
                (void)parse_bytes(c.input);
            } catch (const FastaReadError& error) {  // bad UTF-8 is invalid data, not a broken stream
                EXPECT_EQ(std::get<ReadFailure>(error.variant()).kind, ReadFailure::Kind::invalid_data);
            }
        }
    }
}

Failure invalid_utf8(std::uint64_t line, std::string_view detail) {
    return {"io.read_failed", fmt::format("FASTA input contains invalid UTF-8 at line {}: {}", line, detail),
            std::nullopt};
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, FastaScan,
    testing::Values(
        ScanCase{"crlf", ">a\r\nac gt\r\n", Records{{"a", "ACGT"}}},
        ScanCase{"description_and_blank_lines", ">seq1 some description\nAC\n\nGT\n", Records{{"seq1", "ACGT"}}},
        ScanCase{"duplicate_identifiers_kept", ">a\nAC\n>a\nGT\n", Records{{"a", "AC"}, {"a", "GT"}}},
        ScanCase{"indented_ascii_header", "  >x\n  mk\n", Records{{"x", "MK"}}},
        ScanCase{"white_space_before_identifier_no_final_line_feed", ">\t id\tdesc\nM", Records{{"id", "M"}}},
        ScanCase{"no_comment_lines", ">a\n;x*-1\n", Records{{"a", ";X*-1"}}},
        ScanCase{"non_ascii_line_trimmed_and_normalized", ">a\n\u00a0mk\u00e9 v\u00a0\r\n",
                 Records{{"a", "MK\u00e9V"}}},
        ScanCase{"unicode_identifier_split", ">\u00e9t\u00e9\u3000desc\nA\n", Records{{"\u00e9t\u00e9", "A"}}},
        ScanCase{"white_space_only_non_ascii_line_adds_nothing", ">a\nAC\n\u00a0\n", Records{{"a", "AC"}}},
        ScanCase{"bare_carriage_return_in_line", ">a\nA\rC\n", Records{{"a", "AC"}}},
        ScanCase{"vertical_tab_kept_in_ascii_line", ">a\nA\vC\n", Records{{"a", "A\vC"}}},
        ScanCase{"embedded_nul_is_data", std::string_view(">a\nA\0C\n", 7), Records{{"a", std::string("A\0C", 3)}}},
        // The text parser trims every line as text; the stream reader keeps the leading white space of
        // a non-ASCII line, so such a line is never a header there.
        ScanCase{"unicode_white_space_around_header", "\u00a0>a\u00a0\n\u3000ac\u00a0\n", Records{{"a", "AC"}},
                 text_only},
        ScanCase{"vertical_tab_kept_only_in_ascii_lines", ">a\n\vmk\u3000\n>b\nM\vK \r\n\v>\u00e9\u3000\nw",
                 Records{{"a", "MK"}, {"b", "M\vK"}, {"\u00e9", "W"}}, text_only},
        ScanCase{"indented_non_ascii_header_joins_the_sequence", ">a\nAC\n  >\u00e9 x\n", Records{{"a", "AC>\u00e9X"}},
                 stream_only},
        ScanCase{"blank_lines_and_unterminated_last_line", "\n>s1 first record\nMK V\n\n  \nst\n>s2\r\nx*\n\t",
                 Records{{"s1", "MKVST"}, {"s2", "X*"}}},
        ScanCase{"empty", "", empty_input()}, ScanCase{"blank_lines_only", "\n\n  \r\n\t", empty_input()},
        ScanCase{"sequence_before_header", "ACGT\n>a\nAC", missing_header(1)},
        ScanCase{"blank_lines_are_counted", "\n\nACGT", missing_header(3)},
        ScanCase{"header_followed_by_header", ">a\n>b\nAC", missing_sequence("a", 1, 0)},
        ScanCase{"last_record_empty", ">a\nAC\n>b\n\n\n", missing_sequence("b", 3, 1)},
        ScanCase{"white_space_only_sequence", ">a\n \t \n\n", missing_sequence("a", 1, 0)},
        ScanCase{"non_ascii_white_space_is_no_sequence", ">a\n\u00a0\r\n", missing_sequence("a", 1, 0)},
        ScanCase{"bare_carriage_returns_end_no_line", ">a\rAC\r", missing_sequence("a", 1, 0)},
        ScanCase{"header_without_identifier", ">a\nAC\n>  \nGG", missing_identifier(3, 1)},
        ScanCase{"identifier_checked_before_open_record", ">a\n>\n", missing_identifier(2, 1)},
        ScanCase{"unicode_blank_identifier", ">\u3000\nA", missing_identifier(1, 0)},
        // Vertical tab and Unicode white space are blank to the text parser only.
        ScanCase{"unicode_blank_text", "\u3000\v\u00a0", empty_input(), text_only},
        ScanCase{"vertical_tab_is_not_blank", "\v", missing_header(1), stream_only},
        ScanCase{"non_ascii_white_space_line_before_header", "\u00a0\n>a\nAC", missing_header(1), stream_only},
        ScanCase{"indented_non_ascii_header_without_record", "  >\u00e9\n", missing_header(1), stream_only},
        ScanCase{"header_with_invalid_utf8", ">a\nAC\n>\xff x\nGG", missing_identifier(3, 1), stream_only},
        ScanCase{"invalid_utf8_needs_an_open_record_first", "\xff\n", missing_header(1), stream_only},
        ScanCase{"invalid_byte", ">a\nAC\xffGT\n", invalid_utf8(2, "invalid utf-8 sequence of 1 bytes from index 2"),
                 stream_only},
        ScanCase{"offset_counts_leading_white_space", ">a\n\n \xff\n",
                 invalid_utf8(3, "invalid utf-8 sequence of 1 bytes from index 1"), stream_only},
        ScanCase{"incomplete_sequence_at_line_end", ">a\nAC\xe2\x82\r\n",
                 invalid_utf8(2, "incomplete utf-8 byte sequence from index 2"), stream_only},
        ScanCase{"invalid_two_byte_prefix", ">a\n\xe2\x82GT\n",
                 invalid_utf8(2, "invalid utf-8 sequence of 2 bytes from index 0"), stream_only}),
    [](const testing::TestParamInfo<ScanCase>& info) { return std::string{info.param.name}; });

TEST(ProteinSequence, JsonHasIdThenSequence) {
    json::JsonWriter writer;
    json::write_value(writer, ProteinSequence{"a\"1", "MKV"});
    EXPECT_EQ(writer.text(), R"({"id":"a\"1","sequence":"MKV"})");
}

// A stream that breaks after handing out its first line.
class BrokenReader final : public ByteLineReader {
public:
    std::string_view read_line() override {
        if (calls_++ == 0) {
            return ">a\n";
        }
        throw FastaReadError{ReadFailure{ReadFailure::Kind::other, "Input/output error (os error 5)"}};
    }

private:
    int calls_ = 0;
};

TEST(ScanFastaReader, ReadFailuresEndTheScanWithTheStreamsError) {
    BrokenReader reader;
    ParsedRecordSink sink;
    StableInputHasher hasher;
    EXPECT_EQ(failure_of<FastaReadError>([&] { scan_fasta_reader(reader, sink, hasher); }),
              (Failure{"io.read_failed", "Input/output error (os error 5)", std::nullopt}));
    EXPECT_EQ(hasher.finalize(), hash_of(">a\n"));
}

TEST(ScanFastaReader, DrivesTheSinkWithAsciiLinesAsBytes) {
    struct RecordingSink final : FastaRecordSink {
        std::vector<std::string> calls;
        void push_sequence_line(std::string_view line) override { calls.push_back(fmt::format("text:{}", line)); }
        void push_sequence_line_bytes(std::string_view line) override {
            calls.push_back(fmt::format("bytes:{}", line));
        }
        void finish_record(std::string id, std::uint64_t line, std::uint64_t index) override {
            calls.push_back(fmt::format("finish:{}:{}:{}", id, line, index));
        }
    };
    RecordingSink sink;
    StableInputHasher hasher;
    MemoryByteLineReader reader{">a\n ac \n\u00a0d\u00e9 \n>b\r\nx\n"};
    scan_fasta_reader(reader, sink, hasher);
    EXPECT_EQ(sink.calls,
              (std::vector<std::string>{"bytes:ac", "text:d\u00e9", "finish:a:1:0", "bytes:x", "finish:b:4:1"}));
}

// ---- lines, trimming and identifiers ----

TEST(MemoryByteLineReader, HandsOutViewsOfLinesWithTheirLineFeeds) {
    const std::string bytes = ">a\r\n\nAC\rGT";
    MemoryByteLineReader reader{bytes};
    EXPECT_EQ(reader.read_line(), ">a\r\n");
    const std::string_view blank = reader.read_line();
    EXPECT_EQ(blank, "\n");
    EXPECT_EQ(blank.data(), bytes.data() + 4);
    EXPECT_EQ(reader.read_line(), "AC\rGT");
    EXPECT_EQ(reader.read_line(), "");
    EXPECT_EQ(reader.read_line(), "");
}

struct TrimCase {
    std::string_view line;
    std::string_view trimmed;
    bool is_ascii;
};

class TrimFastaLineBytes : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimFastaLineBytes, TrimsByTheLinesAlphabet) {
    EXPECT_EQ(trim_fasta_line_bytes(GetParam().line), (TrimmedFastaLine{GetParam().trimmed, GetParam().is_ascii}));
}

INSTANTIATE_TEST_SUITE_P(Lines, TrimFastaLineBytes,
                         testing::Values(TrimCase{"  ac gt \t\r\n", "ac gt", true}, TrimCase{"\f>a\r\r\n", ">a", true},
                                         TrimCase{"\v", "\v", true}, TrimCase{" \t\r\n", "", true},
                                         TrimCase{"", "", true}, TrimCase{" \u00e9 \r\n\r\n", " \u00e9 ", false},
                                         TrimCase{"\u00a0mk\u00a0\n", "\u00a0mk\u00a0", false},
                                         TrimCase{"\xff\n\r", "\xff", false}));

TEST(FastaIdentifier, AsciiAndUnicodeRules) {
    EXPECT_EQ(fasta_id_bytes_with_ascii("  id desc", true), "id");
    EXPECT_EQ(fasta_id_bytes_with_ascii("\vid", true), "\vid");  // VT is not ASCII white space
    EXPECT_EQ(fasta_id_bytes_with_ascii(" \t", true), std::nullopt);
    EXPECT_EQ(fasta_id_bytes_with_ascii("\u2003\u00e9x\u00a0y", false), "\u00e9x");
    EXPECT_EQ(fasta_id_bytes_with_ascii("\vid", false), "id");  // VT is Unicode white space
    EXPECT_EQ(fasta_id_bytes_with_ascii("id\xff", false), std::nullopt);
}

// ---- agreement of the two scanners ----

// Random ASCII inputs (no vertical tab) built from pieces that stress the line rules.
std::string random_ascii_fasta(std::mt19937_64& random) {
    static constexpr std::string_view pieces[] = {">",  "> ", ">id", ">a b", "\n", "\r\n", "\r",   " ",    "\t",
                                                  "\f", "ac", "GT",  ";",    "*",  "x",    "\x01", "\x7f", "\0"};
    static constexpr std::string_view bytes = ">\n\r \t\facgtMKV;*-0\x01\x1f\x7f";
    std::string text;
    const std::size_t count = std::uniform_int_distribution<std::size_t>{0, 24}(random);
    for (std::size_t i = 0; i < count; ++i) {
        if (random() % 4 == 0) {
            text.push_back(bytes[random() % bytes.size()]);
        } else {
            text += pieces[random() % std::size(pieces)];
        }
    }
    return text;
}

TEST(StreamAndTextScanners, AgreeOnAsciiInputWithoutVerticalTabs) {
    std::mt19937_64 random{20240611};
    std::size_t successes = 0;
    for (int i = 0; i < 50000; ++i) {
        const std::string text = random_ascii_fasta(random);
        const Outcome expected = outcome_of<TamriError>([&] { return parse_fasta_records(text); });
        ASSERT_EQ(outcome_of<FastaReadError>([&] { return parse_bytes(text).records; }), expected)
            << testing::PrintToString(text);
        successes += expected.index() == 0 ? 1 : 0;
    }
    // The generator must reach both sides, or the comparison proves little.
    EXPECT_GT(successes, 2000U);
    EXPECT_LT(successes, 48000U);
}

}  // namespace
}  // namespace tamri
