#pragma once

// Byte sources read in pieces (files, pipes, decompressors) and the buffered line reader over them
// that feeds the FASTA stream scanner, holding only the current line and one read ahead.

#include "tamri/io/line_reader.hpp"

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace tamri {

// Bytes that arrive in pieces of the source's choosing: a file, a pipe, a decompressor.
class ByteSource {
public:
    ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    virtual ~ByteSource() = default;

    // Fills a prefix of `buffer` and tells its size; 0 only at the end of the stream (or for an
    // empty buffer). A source that cannot be read throws FastaReadError holding its ReadFailure.
    virtual std::size_t read_some(std::span<char> buffer) = 0;
};

// Lines cut from a byte source in large reads. A line longer than the buffer grows it, so only
// the current line and one read ahead are ever held.
class BufferedByteLineReader final : public ByteLineReader {
public:
    static constexpr std::size_t default_capacity = std::size_t{1} << 18;

    explicit BufferedByteLineReader(ByteSource& source, std::size_t capacity = default_capacity);

    std::string_view read_line() override;

private:
    // Moves the unread bytes to the front, grows the buffer when they fill it, then reads once.
    // False at the end of the source.
    bool refill();

    ByteSource& source_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;    // first unread byte
    std::size_t end_ = 0;      // one past the last byte read
    std::size_t scanned_ = 0;  // bytes from begin_ on known to hold no line feed
    bool at_end_ = false;
};

}  // namespace tamri
