#pragma once

// Byte streams read a line at a time: the interface the FASTA stream scanner reads from, and its
// implementation over bytes already in memory.

#include <string_view>

namespace tamri {

// A byte stream read line by line.
class ByteLineReader {
public:
    ByteLineReader() = default;
    ByteLineReader(const ByteLineReader&) = delete;
    ByteLineReader& operator=(const ByteLineReader&) = delete;
    virtual ~ByteLineReader() = default;

    // The bytes up to and including the next line feed, or up to the end of the stream when no
    // line feed follows; empty only at the end. The view stays valid until the next call. A
    // stream that cannot be read throws FastaReadError holding its ReadFailure.
    virtual std::string_view read_line() = 0;
};

// Lines of bytes already in memory, handed out as views into them without copying.
class MemoryByteLineReader final : public ByteLineReader {
public:
    explicit MemoryByteLineReader(std::string_view bytes) noexcept : rest_(bytes) {}

    std::string_view read_line() noexcept override;

private:
    std::string_view rest_;
};

}  // namespace tamri
