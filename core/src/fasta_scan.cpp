#include "fasta_scan.hpp"

#include "error.hpp"
#include "text/ascii.hpp"
#include "text/unicode.hpp"
#include "text/utf8.hpp"

#include <cstring>

namespace tamri {
namespace {

// The record bookkeeping shared by the scanners: which record is open and how many
// records and headers came before it.
class RecordTracker {
public:
    explicit RecordTracker(FastaRecordSink& sink) : sink_(sink) {}

    void on_header(std::optional<std::string_view> id, std::uint64_t line) {
        if (!id) {
            throw TamriError::missing_identifier(line, headers_seen_);
        }
        finish_open_record();
        open_id_.assign(*id);
        open_line_ = line;
        ++headers_seen_;
    }

    // Throws MissingHeader for a sequence line before the first header.
    void expect_open_record(std::uint64_t line) const {
        if (headers_seen_ == 0) {
            throw TamriError::missing_header(line);
        }
    }

    void finish() { finish_open_record(); }

    [[nodiscard]] bool has_open_record() const noexcept { return headers_seen_ > record_index_; }

private:
    void finish_open_record() {
        if (has_open_record()) {
            sink_.finish_record(std::move(open_id_), open_line_, record_index_);
            open_id_.clear();
            ++record_index_;
        }
    }

    FastaRecordSink& sink_;
    std::string open_id_;
    std::uint64_t open_line_ = 0;
    std::uint64_t record_index_ = 0;
    std::uint64_t headers_seen_ = 0;
};

// The next line of `text` from `position`, without its line feed and one carriage return before it.
std::string_view next_line(std::string_view text, std::size_t& position) noexcept {
    const char* start = text.data() + position;
    const std::size_t remaining = text.size() - position;
    const auto* feed = static_cast<const char*>(std::memchr(start, '\n', remaining));
    std::size_t length = feed ? static_cast<std::size_t>(feed - start) : remaining;
    position += feed ? length + 1 : length;
    if (feed && length > 0 && start[length - 1] == '\r') {
        --length;
    }
    return {start, length};
}

}  // namespace

std::string_view trim_fasta_line(std::string_view line) noexcept {
    return text::trim_white_space(line);
}

std::optional<std::string_view> fasta_id_bytes_with_ascii(std::string_view header_rest, bool is_ascii) noexcept {
    if (is_ascii) {
        std::size_t begin = 0;
        while (begin < header_rest.size() &&
               text::is_ascii_white_space(static_cast<unsigned char>(header_rest[begin]))) {
            ++begin;
        }
        std::size_t end = begin;
        while (end < header_rest.size() && !text::is_ascii_white_space(static_cast<unsigned char>(header_rest[end]))) {
            ++end;
        }
        if (begin == end) {
            return std::nullopt;
        }
        return header_rest.substr(begin, end - begin);
    }
    if (text::validate_utf8(header_rest)) {
        return std::nullopt;
    }
    const std::string_view rest = text::trim_unicode_white_space(header_rest);
    if (rest.empty()) {
        return std::nullopt;
    }
    std::size_t end = 0;
    while (end < rest.size()) {
        const text::DecodedChar c = text::decode_utf8_char(rest, end);
        if (text::is_unicode_white_space(c.code_point)) {
            break;
        }
        end += c.length;
    }
    return rest.substr(0, end);
}

void scan_fasta_text(std::string_view text, FastaRecordSink& sink) {
    if (text::is_blank(text)) {
        throw TamriError::empty_input();
    }
    RecordTracker tracker{sink};
    std::size_t position = 0;
    std::uint64_t line_number = 0;
    while (position < text.size()) {
        const std::string_view line = trim_fasta_line(next_line(text, position));
        ++line_number;
        if (line.empty()) {
            continue;
        }
        if (line.front() == '>') {
            const std::string_view rest = line.substr(1);
            tracker.on_header(fasta_id_bytes_with_ascii(rest, text::is_ascii(rest)), line_number);
            continue;
        }
        tracker.expect_open_record(line_number);
        sink.push_sequence_line(line);
    }
    tracker.finish();
}

}  // namespace tamri
