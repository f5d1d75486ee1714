#include "tamri/fasta/scan.hpp"

#include "tamri/base/diagnostic.hpp"
#include "tamri/text/ascii.hpp"
#include "tamri/text/unicode.hpp"
#include "tamri/text/utf8.hpp"

#include <cstring>
#include <utility>

#include <fmt/format.h>

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

// Decodes a sequence line holding non-ASCII bytes and hands its text to the sink.
void push_non_ascii_sequence_line(std::string_view bytes, std::uint64_t line_number, FastaRecordSink& sink) {
    if (const std::optional<text::Utf8Error> error = text::first_utf8_error(bytes)) {
        throw invalid_utf8_error(line_number, *error);
    }
    // A line of Unicode white space alone adds nothing; the sink only takes non-empty lines.
    const std::string_view line = text::trim_unicode_white_space(bytes);
    if (!line.empty()) {
        sink.push_sequence_line(line);
    }
}

}  // namespace

TrimmedFastaLine trim_fasta_line_bytes(std::string_view line) noexcept {
    if (text::is_ascii(line)) {
        return {text::trim_ascii_white_space(line), true};
    }
    std::size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) {
        --end;
    }
    return {line.substr(0, end), false};
}

FastaReadError invalid_utf8_error(std::uint64_t line, const text::Utf8Error& error) {
    return FastaReadError{ReadFailure{
        ReadFailure::Kind::invalid_data,
        fmt::format("FASTA input contains invalid UTF-8 at line {}: {}", line, text::describe_utf8_error(error))}};
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
    if (text::first_utf8_error(header_rest)) {
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
        const std::string_view raw = next_line(text, position);
        // Known once per line, so neither the trim nor the sink checks the bytes again.
        const bool is_ascii = text::is_ascii(raw);
        const std::string_view line =
            is_ascii ? text::trim_ascii_white_space(raw) : text::trim_unicode_white_space(raw);
        ++line_number;
        if (line.empty()) {
            continue;
        }
        if (line.front() == '>') {
            // Trimming may have left only ASCII of a line that was not.
            const std::string_view rest = line.substr(1);
            tracker.on_header(fasta_id_bytes_with_ascii(rest, is_ascii || text::is_ascii(rest)), line_number);
            continue;
        }
        tracker.expect_open_record(line_number);
        if (is_ascii) {
            sink.push_sequence_line_bytes(line);
        } else {
            sink.push_sequence_line(line);
        }
    }
    tracker.finish();
}

namespace {

// The stream scanner; `hasher` is null for callers that do not report the input hash.
void scan_fasta_lines(ByteLineReader& reader, FastaRecordSink& sink, StableInputHasher* hasher) {
    try {
        RecordTracker tracker{sink};
        std::uint64_t line_number = 0;
        for (std::string_view raw = reader.read_line(); !raw.empty(); raw = reader.read_line()) {
            if (hasher != nullptr) {
                hasher->update(raw);
            }
            const TrimmedFastaLine line = trim_fasta_line_bytes(raw);
            ++line_number;
            if (line.bytes.empty()) {
                continue;
            }
            if (line.bytes.front() == '>') {
                tracker.on_header(fasta_id_bytes_with_ascii(line.bytes.substr(1), line.is_ascii), line_number);
                continue;
            }
            tracker.expect_open_record(line_number);
            if (line.is_ascii) {
                sink.push_sequence_line_bytes(line.bytes);
            } else {
                push_non_ascii_sequence_line(line.bytes, line_number, sink);
            }
        }
        if (!tracker.has_open_record()) {
            throw TamriError::empty_input();
        }
        tracker.finish();
    } catch (TamriError& error) {
        // The tracker and the sinks speak the text scanner's error; a stream reader wraps it.
        throw FastaReadError{std::move(error)};
    }
}

}  // namespace

void scan_fasta_reader(ByteLineReader& reader, FastaRecordSink& sink, StableInputHasher& hasher) {
    scan_fasta_lines(reader, sink, &hasher);
}

void scan_fasta_reader(ByteLineReader& reader, FastaRecordSink& sink) {
    scan_fasta_lines(reader, sink, nullptr);
}

ParsedFastaInput parse_fasta_records_reader(ByteLineReader& reader) {
    ParsedRecordSink sink;
    StableInputHasher hasher;
    scan_fasta_lines(reader, sink, &hasher);
    return ParsedFastaInput{std::move(sink.records), hasher.finalize()};
}

namespace {

// Passes each record on and keeps its sequence buffer, whose capacity the next record reuses.
class VisitingRecordSink final : public NormalizingRecordSink {
public:
    explicit VisitingRecordSink(const std::function<void(const ProteinSequence&)>& visit) : visit_(visit) {}

    void finish_record(std::string id, std::uint64_t line, std::uint64_t record_index) override {
        (void)open_sequence(id, line, record_index);
        record_.id = std::move(id);
        std::swap(record_.sequence, sequence);
        visit_(record_);
        std::swap(record_.sequence, sequence);
        sequence.clear();
    }

private:
    const std::function<void(const ProteinSequence&)>& visit_;
    ProteinSequence record_;
};

}  // namespace

void for_each_fasta_record(ByteLineReader& reader, const std::function<void(const ProteinSequence&)>& visit) {
    VisitingRecordSink sink{visit};
    scan_fasta_lines(reader, sink, nullptr);
}

}  // namespace tamri
