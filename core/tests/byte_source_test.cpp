#include "tamri/io/byte_source.hpp"
#include "tamri/base/diagnostic.hpp"
#include "tamri/fasta/scan.hpp"
#include "test_support.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {
namespace {

// Hands out its bytes at most `piece` at a time, then optionally fails instead of ending.
class PieceSource final : public ByteSource {
public:
    PieceSource(std::string_view bytes, std::size_t piece, bool fails_at_end = false)
        : rest_(bytes), piece_(piece), fails_at_end_(fails_at_end) {}

    std::size_t read_some(std::span<char> buffer) override {
        if (rest_.empty() && fails_at_end_) {
            throw FastaReadError{ReadFailure{ReadFailure::Kind::other, "failed to read 'x': Input/output error"}};
        }
        const std::size_t count = std::min({piece_, buffer.size(), rest_.size()});
        std::memcpy(buffer.data(), rest_.data(), count);
        rest_.remove_prefix(count);
        return count;
    }

private:
    std::string_view rest_;
    std::size_t piece_;
    bool fails_at_end_;
};

std::vector<std::string> all_lines(ByteLineReader& reader) {
    std::vector<std::string> lines;
    for (std::string_view line = reader.read_line(); !line.empty(); line = reader.read_line()) {
        lines.emplace_back(line);
    }
    return lines;
}

// Whatever the buffer and read sizes, the lines are those of the bytes held in memory.
TEST(BufferedByteLineReader, CutsTheSameLinesAsTheMemoryReader) {
    const std::string long_line(70, 'M');
    for (const std::string_view bytes : {std::string_view{""}, std::string_view{">a\r\nAC\n\nGT"},
                                         std::string_view{"\n\n\n"}, std::string_view{long_line}}) {
        const std::string input = std::string{bytes} + "\n>b\n" + long_line + "\nX";
        MemoryByteLineReader memory{input};
        const std::vector<std::string> expected = all_lines(memory);
        for (const std::size_t capacity : {1, 2, 3, 7, 64, 4096}) {
            for (const std::size_t piece : {1, 5, 1000}) {
                PieceSource source{input, piece};
                BufferedByteLineReader reader{source, capacity};
                EXPECT_EQ(all_lines(reader), expected) << "capacity " << capacity << ", piece " << piece;
                EXPECT_EQ(reader.read_line(), "");
            }
        }
    }
}

TEST(BufferedByteLineReader, ReadFailuresReachTheScanner) {
    PieceSource source{">a\nAC\n", 2, true};
    BufferedByteLineReader reader{source, 4};
    EXPECT_EQ(failure_of<FastaReadError>([&] { return parse_fasta_records_reader(reader); }),
              (Failure{"io.read_failed", "failed to read 'x': Input/output error", std::nullopt}));
}

}  // namespace
}  // namespace tamri
