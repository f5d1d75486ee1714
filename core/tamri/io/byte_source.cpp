#include "tamri/io/byte_source.hpp"

#include <algorithm>
#include <cstring>

namespace tamri {

BufferedByteLineReader::BufferedByteLineReader(ByteSource& source, std::size_t capacity)
    : source_(source), buffer_(std::max<std::size_t>(capacity, 1)) {}

std::string_view BufferedByteLineReader::read_line() {
    for (;;) {
        const char* const start = buffer_.data() + begin_;
        const std::size_t available = end_ - begin_;
        if (const auto* feed = static_cast<const char*>(std::memchr(start + scanned_, '\n', available - scanned_))) {
            const auto length = static_cast<std::size_t>(feed - start) + 1;
            begin_ += length;
            scanned_ = 0;
            return {start, length};
        }
        scanned_ = available;
        if (at_end_ || !refill()) {
            at_end_ = true;
            const std::string_view rest{buffer_.data() + begin_, end_ - begin_};
            begin_ = end_;
            scanned_ = 0;
            return rest;
        }
    }
}

bool BufferedByteLineReader::refill() {
    const std::size_t unread = end_ - begin_;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, unread);
        begin_ = 0;
        end_ = unread;
    }
    if (end_ == buffer_.size()) {
        buffer_.resize(buffer_.size() * 2);
    }
    const std::size_t read = source_.read_some(std::span<char>{buffer_}.subspan(end_));
    end_ += read;
    return read > 0;
}

}  // namespace tamri
