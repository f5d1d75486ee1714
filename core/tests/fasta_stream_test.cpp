#include "error.hpp"
#include "fasta.hpp"
#include "fasta_scan.hpp"
#include "hash.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
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

// What a failed read reported: code, message and location.
struct Failure {
    std::string code;
    std::string message;
    std::optional<DiagnosticLocation> location;

    friend bool operator==(const Failure&, const Failure&) = default;
};

void PrintTo(const Failure& failure, std::ostream* out) {
    *out << failure.code << ": " << failure.message;
    if (failure.location) {
        *out << " (line " << testing::PrintToString(failure.location->line) << ", record_index "
             << testing::PrintToString(failure.location->record_index) << ")";
    }
}

Failure failure_of(const Diagnostic& error) {
    return Failure{std::string{error.code()}, error.message(), error.location()};
}

Failure stream_failure(std::string_view bytes) {
    try {
        (void)parse_bytes(bytes);
    } catch (const FastaReadError& error) {
        return failure_of(error);
    }
    ADD_FAILURE() << "no failure for " << testing::PrintToString(std::string{bytes});
    return {};
}

std::string hash_of(std::string_view bytes) {
    StableInputHasher hasher;
    hasher.update(bytes);
    return hasher.finalize();
}

// ---- the line reader ----

TEST(MemoryByteLineReader, HandsOutLinesWithTheirLineFeeds) {
    MemoryByteLineReader reader{">a\r\n\nAC\rGT"};
    EXPECT_EQ(reader.read_line(), ">a\r\n");
    EXPECT_EQ(reader.read_line(), "\n");
    EXPECT_EQ(reader.read_line(), "AC\rGT");
    EXPECT_EQ(reader.read_line(), "");
    EXPECT_EQ(reader.read_line(), "");
}

TEST(MemoryByteLineReader, ReturnsViewsIntoTheInput) {
    const std::string bytes = "AC\nGT\n";
    MemoryByteLineReader reader{bytes};
    EXPECT_EQ(reader.read_line().data(), bytes.data());
    EXPECT_EQ(reader.read_line().data(), bytes.data() + 3);
    EXPECT_TRUE(reader.read_line().empty());
}

// ---- trimming ----

struct TrimCase {
    std::string_view line;
    std::string_view trimmed;
    bool is_ascii;
};

class TrimFastaLineBytes : public testing::TestWithParam<TrimCase> {};

TEST_P(TrimFastaLineBytes, TrimsByTheLinesAlphabet) {
    const TrimmedFastaLine result = trim_fasta_line_bytes(GetParam().line);
    EXPECT_EQ(result.bytes, GetParam().trimmed);
    EXPECT_EQ(result.is_ascii, GetParam().is_ascii);
}

INSTANTIATE_TEST_SUITE_P(Lines, TrimFastaLineBytes,
                         testing::Values(TrimCase{"  ac gt \t\r\n", "ac gt", true}, TrimCase{"\f>a\r\r\n", ">a", true},
                                         TrimCase{"\x0b", "\x0b", true}, TrimCase{" \t\r\n", "", true},
                                         TrimCase{"", "", true}, TrimCase{" \xc3\xa9 \r\n\r\n", " \xc3\xa9 ", false},
                                         TrimCase{"\xc2\xa0mk\xc2\xa0\n", "\xc2\xa0mk\xc2\xa0", false},
                                         TrimCase{"\xff\n\r", "\xff", false}));

// ---- records and hash ----

TEST(ParseFastaRecordsReader, ReadsRecordsAndHashesTheExactBytes) {
    const std::string_view text = ">a\r\nac gt\r\n";
    const ParsedFastaInput parsed = parse_bytes(text);
    EXPECT_EQ(parsed.records, (std::vector<ProteinSequence>{{"a", "ACGT"}}));
    EXPECT_EQ(parsed.input_hash, hash_of(text));
    EXPECT_NE(parsed.input_hash, parse_bytes(">a\nac gt\n").input_hash);
}

TEST(ParseFastaRecordsReader, HashCoversBlankLinesDescriptionsAndAFinalUnterminatedLine) {
    const std::string_view text = "\n>s1 first record\nMK V\n\n  \nst\n>s2\r\nx*\n\t";
    const ParsedFastaInput parsed = parse_bytes(text);
    EXPECT_EQ(parsed.records, (std::vector<ProteinSequence>{{"s1", "MKVST"}, {"s2", "X*"}}));
    EXPECT_EQ(parsed.input_hash, hash_of(text));
    EXPECT_EQ(parse_bytes(">s1\nACDE\n").input_hash, "fnv1a64:531558993eea21e8");
    EXPECT_EQ(parse_bytes(">s1\r\nACDE\r\n").input_hash, "fnv1a64:3c596ea04dda67a6");
    EXPECT_EQ(parse_bytes(">s1\nACDE").input_hash, "fnv1a64:57314b41ad2a5272");
}

struct RecordsCase {
    std::string_view name;
    std::string_view input;
    std::vector<ProteinSequence> records;
};

class StreamRecords : public testing::TestWithParam<RecordsCase> {};

TEST_P(StreamRecords, YieldsTheRecords) {
    EXPECT_EQ(parse_bytes(GetParam().input).records, GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StreamRecords,
    testing::Values(
        RecordsCase{"indented_ascii_header", "  >x desc\n  ac\n", {{"x", "AC"}}},
        RecordsCase{"identifier_after_spaces", ">  id desc\nAC", {{"id", "AC"}}},
        RecordsCase{"duplicate_identifiers", ">a\nA\n>a\nC\n", {{"a", "A"}, {"a", "C"}}},
        RecordsCase{"semicolon_is_sequence", ">a\n;x\n", {{"a", ";X"}}},
        RecordsCase{"non_ascii_identifier",
                    ">\xc3\xa9t\xc2\xa0"
                    "desc\nAC\n",
                    {{"\xc3\xa9t", "AC"}}},
        RecordsCase{"non_ascii_sequence_trimmed_and_normalized",
                    ">a\n\xc2\xa0mk\xc3\xa9 v\xc2\xa0\r\n",
                    {{"a", "MK\xc3\xa9V"}}},
        RecordsCase{"indented_non_ascii_header_joins_the_sequence", ">a\nAC\n  >\xc3\xa9 x\n", {{"a", "AC>\xc3\xa9X"}}},
        RecordsCase{"white_space_only_non_ascii_line_adds_nothing", ">a\nAC\n\xc2\xa0\n", {{"a", "AC"}}}),
    [](const testing::TestParamInfo<RecordsCase>& info) { return std::string{info.param.name}; });

// ---- failures ----

struct FailureCase {
    std::string_view name;
    std::string_view input;
    Failure expected;
};

class StreamFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(StreamFailures, ReportCodeMessageAndLocation) {
    EXPECT_EQ(stream_failure(GetParam().input), GetParam().expected);
}

const Failure empty_input{"fasta.empty_input", "FASTA input is empty", std::nullopt};

Failure missing_header(std::uint64_t line) {
    return {"fasta.missing_header",
            fmt::format("FASTA input must start with a header line beginning with '>' at line {}", line),
            DiagnosticLocation{line, std::nullopt}};
}

Failure missing_identifier(std::uint64_t line, std::uint64_t index) {
    return {"fasta.missing_identifier", fmt::format("FASTA record at index {} has an empty identifier", index),
            DiagnosticLocation{line, index}};
}

Failure missing_sequence(std::string_view id, std::uint64_t line, std::uint64_t index) {
    return {"fasta.missing_sequence",
            fmt::format("FASTA record '{}' at index {} does not contain a sequence", id, index),
            DiagnosticLocation{line, index}};
}

Failure invalid_utf8(std::string_view message) {
    return {"io.read_failed", std::string{message}, std::nullopt};
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, StreamFailures,
    testing::Values(
        FailureCase{"empty_stream", "", empty_input}, FailureCase{"blank_lines_only", "\n\n  \r\n\t", empty_input},
        FailureCase{"sequence_before_header", "ACGT\n>a\nAC", missing_header(1)},
        FailureCase{"blank_lines_are_counted", "\n\nACGT", missing_header(3)},
        FailureCase{"vertical_tab_is_not_blank", "\x0b", missing_header(1)},
        FailureCase{"indented_non_ascii_header_without_record", "  >\xc3\xa9\n", missing_header(1)},
        FailureCase{"non_ascii_white_space_line_without_record", "\xc2\xa0\n>a\nAC", missing_header(1)},
        FailureCase{"header_without_identifier", ">a\nAC\n>  \nGG", missing_identifier(3, 1)},
        FailureCase{"identifier_checked_before_open_record", ">a\n>\n", missing_identifier(2, 1)},
        FailureCase{"header_with_invalid_utf8", ">a\nAC\n>\xff x\nGG", missing_identifier(3, 1)},
        FailureCase{"record_followed_by_header", ">a\n>b\nAC", missing_sequence("a", 1, 0)},
        FailureCase{"last_record_empty", ">a\nAC\n>b\n\n\n", missing_sequence("b", 3, 1)},
        FailureCase{"bare_carriage_returns", ">a\rAC\r", missing_sequence("a", 1, 0)},
        FailureCase{"non_ascii_white_space_is_no_sequence", ">a\n\xc2\xa0\r\n", missing_sequence("a", 1, 0)},
        FailureCase{"invalid_byte", ">a\nAC\xffGT\n",
                    invalid_utf8("FASTA input contains invalid UTF-8 at line 2: invalid utf-8 sequence of 1 bytes "
                                 "from index 2")},
        FailureCase{"offset_counts_leading_white_space", ">a\n\n \xff\n",
                    invalid_utf8("FASTA input contains invalid UTF-8 at line 3: invalid utf-8 sequence of 1 bytes "
                                 "from index 1")},
        FailureCase{"incomplete_sequence_at_line_end", ">a\nAC\xe2\x82\r\n",
                    invalid_utf8("FASTA input contains invalid UTF-8 at line 2: incomplete utf-8 byte sequence from "
                                 "index 2")},
        FailureCase{"invalid_two_byte_prefix", ">a\n\xe2\x82GT\n",
                    invalid_utf8("FASTA input contains invalid UTF-8 at line 2: invalid utf-8 sequence of 2 bytes "
                                 "from index 0")},
        FailureCase{"invalid_utf8_needs_an_open_record_first", "\xff\n", missing_header(1)}),
    [](const testing::TestParamInfo<FailureCase>& info) { return std::string{info.param.name}; });

TEST(ScanFastaReader, InvalidUtf8IsAnInvalidDataReadFailure) {
    try {
        (void)parse_bytes(">a\nAC\xffGT\n");
        FAIL() << "no failure";
    } catch (const FastaReadError& error) {
        const auto* io = std::get_if<ReadFailure>(&error.variant());
        ASSERT_NE(io, nullptr);
        EXPECT_EQ(io->kind, ReadFailure::Kind::invalid_data);
    }
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
    try {
        scan_fasta_reader(reader, sink, hasher);
        FAIL() << "no failure";
    } catch (const FastaReadError& error) {
        EXPECT_EQ(failure_of(error), (Failure{"io.read_failed", "Input/output error (os error 5)", std::nullopt}));
    }
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
    MemoryByteLineReader reader{
        ">a\n ac \n\xc2\xa0"
        "d\xc3\xa9 \n>b\r\nx\n"};
    scan_fasta_reader(reader, sink, hasher);
    EXPECT_EQ(sink.calls,
              (std::vector<std::string>{"bytes:ac", "text:d\xc3\xa9", "finish:a:1:0", "bytes:x", "finish:b:4:1"}));
}

// ---- agreement with the text scanner ----

using Outcome = std::variant<std::vector<ProteinSequence>, Failure>;

Outcome text_outcome(std::string_view text) {
    try {
        return parse_fasta_records(text);
    } catch (const TamriError& error) {
        return failure_of(error);
    }
}

Outcome stream_outcome(std::string_view bytes) {
    try {
        return parse_bytes(bytes).records;
    } catch (const FastaReadError& error) {
        return failure_of(error);
    }
}

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
        const Outcome expected = text_outcome(text);
        ASSERT_EQ(stream_outcome(text), expected) << testing::PrintToString(text);
        successes += expected.index() == 0 ? 1 : 0;
    }
    // The generator must reach both sides, or the comparison proves little.
    EXPECT_GT(successes, 2000U);
    EXPECT_LT(successes, 48000U);
}

}  // namespace
}  // namespace tamri
