#include "tamri/io/line_reader.hpp"

#include <cstring>

namespace tamri {

std::string_view MemoryByteLineReader::read_line() noexcept {
    if (rest_.empty()) {
        return {};
    }
    const auto* feed = static_cast<const char*>(std::memchr(rest_.data(), '\n', rest_.size()));
    const std::size_t length = feed ? static_cast<std::size_t>(feed - rest_.data()) + 1 : rest_.size();
    const std::string_view line = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return line;
}

}  // namespace tamri
