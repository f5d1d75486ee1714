#include "fasta_input.hpp"

#include "command.hpp"
#include "tamri/base/diagnostic.hpp"

#include <fmt/format.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace tamri::cli {
namespace {

[[noreturn]] void throw_read_failure(ReadFailure::Kind kind, std::string text) {
    throw FastaReadError{ReadFailure{kind, std::move(text)}};
}

std::string display_name(const std::string& path) {
    return path == "-" ? std::string{"standard input"} : path;
}

}  // namespace

FileSource::FileSource(const std::string& path)
    : path_(display_name(path)),
      owned_(path == "-" ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC)),
      fd_(path == "-" ? STDIN_FILENO : owned_.get()) {
    if (fd_ < 0) {
        throw_read_failure(ReadFailure::Kind::other, system_failure_text("open", path, errno));
    }
}

bool FileSource::starts_with_gzip_magic() {
    while (head_size_ < head_.size()) {
        const std::size_t read = read_from_file(std::span<char>{head_}.subspan(head_size_));
        if (read == 0) {
            break;
        }
        head_size_ += read;
    }
    return head_size_ == 2 && static_cast<unsigned char>(head_[0]) == 0x1f &&
           static_cast<unsigned char>(head_[1]) == 0x8b;
}

std::size_t FileSource::read_some(std::span<char> buffer) {
    if (head_size_ > 0 && !buffer.empty()) {
        const std::size_t count = std::min(head_size_, buffer.size());
        std::memcpy(buffer.data(), head_.data(), count);
        std::memmove(head_.data(), head_.data() + count, head_size_ - count);
        head_size_ -= count;
        return count;
    }
    return read_from_file(buffer);
}

std::size_t FileSource::read_from_file(std::span<char> buffer) {
    std::size_t count = 0;
    if (const std::error_code error = io::read_some(fd_, buffer, count)) {
        throw_read_failure(ReadFailure::Kind::other, system_failure_text("read", path_, error.value()));
    }
    return count;
}

class GzipSource final : public ByteSource {
public:
    explicit GzipSource(ByteSource& compressed) : compressed_(compressed), input_(std::size_t{1} << 17) {
        // 15 + 32: a window of up to 32 KiB, and a gzip (or zlib) header told by zlib itself.
        if (inflateInit2(&stream_, 15 + 32) != Z_OK) {
            throw std::bad_alloc{};
        }
    }
    GzipSource(const GzipSource&) = delete;
    GzipSource& operator=(const GzipSource&) = delete;
    ~GzipSource() override { inflateEnd(&stream_); }

    std::size_t read_some(std::span<char> buffer) override {
        const auto room = static_cast<uInt>(std::min<std::size_t>(buffer.size(), UINT_MAX));
        stream_.next_out = reinterpret_cast<Bytef*>(buffer.data());
        stream_.avail_out = room;
        while (stream_.avail_out == room && room > 0) {
            if (stream_.avail_in == 0 && !read_compressed()) {
                if (inside_member_) {
                    throw_read_failure(ReadFailure::Kind::invalid_data, "gzip input ends inside a compressed member");
                }
                break;
            }
            inside_member_ = true;
            const int status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) {
                // Another member may follow: concatenated gzip files are one stream.
                inside_member_ = false;
                inflateReset(&stream_);
            } else if (status == Z_MEM_ERROR) {
                throw std::bad_alloc{};
            } else if (status != Z_OK && !(status == Z_BUF_ERROR && stream_.avail_in == 0)) {
                throw_read_failure(ReadFailure::Kind::invalid_data,
                                   fmt::format("invalid gzip input: {}", stream_.msg != nullptr ? stream_.msg : "?"));
            }
        }
        return room - stream_.avail_out;
    }

private:
    bool read_compressed() {
        const std::size_t read = compressed_.read_some(std::span<char>{input_});
        stream_.next_in = reinterpret_cast<Bytef*>(input_.data());
        stream_.avail_in = static_cast<uInt>(read);
        return read > 0;
    }

    ByteSource& compressed_;
    std::vector<char> input_;
    z_stream stream_{};
    bool inside_member_ = false;
};

namespace {

ByteSource& plain_or_gzip(FileSource& file, std::unique_ptr<GzipSource>& gzip) {
    if (file.starts_with_gzip_magic()) {
        gzip = std::make_unique<GzipSource>(file);
        return *gzip;
    }
    return file;
}

}  // namespace

FastaInput::FastaInput(const std::string& path) : file_(path), lines_(plain_or_gzip(file_, gzip_)) {}

FastaInput::~FastaInput() = default;

}  // namespace tamri::cli
