#include "output_file.hpp"

#include "command.hpp"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamri::cli {
namespace {

constexpr std::size_t buffer_capacity = std::size_t{1} << 20;

std::string display_name(const std::string& path) {
    return path == "-" ? std::string{"standard output"} : path;
}

// A fresh file named like `path` with a random suffix, in the same directory so that the final
// rename never crosses file systems. Readable as a file the user created would be.
int create_temporary_beside(const std::string& path, std::string& temp_path) {
    const std::filesystem::path target{path};
    const std::filesystem::path name = "." + target.filename().string() + ".tmp-XXXXXX";
    std::string pattern = (target.parent_path() / name).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) {
        throw ToolError{tool_error_code::io_write_failed, system_failure_text("create", path, errno)};
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    (void)::fchmod(fd, 0666 & ~mask);
    temp_path.assign(buffer.data());
    return fd;
}

}  // namespace

Output::Output(const std::string& path) : path_(path) {
    fd_ = path == "-" ? STDOUT_FILENO : create_temporary_beside(path, temp_path_);
    buffer_.reserve(buffer_capacity);
}

Output::~Output() {
    if (!temp_path_.empty()) {
        ::close(fd_);
        ::unlink(temp_path_.c_str());
    }
}

void Output::write(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > buffer_capacity) {
        flush();
        if (bytes.size() >= buffer_capacity) {
            write_through(bytes);
            return;
        }
    }
    buffer_.append(bytes);
}

void Output::commit() {
    flush();
    if (temp_path_.empty()) {
        return;
    }
    if (::close(std::exchange(fd_, -1)) != 0) {
        throw ToolError{tool_error_code::io_write_failed, system_failure_text("write", path_, errno)};
    }
    if (::rename(temp_path_.c_str(), path_.c_str()) != 0) {
        throw ToolError{tool_error_code::io_write_failed, system_failure_text("rename onto", path_, errno)};
    }
    temp_path_.clear();
}

void Output::flush() {
    write_through(buffer_);
    buffer_.clear();
}

void Output::write_through(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw ToolError{tool_error_code::io_write_failed, system_failure_text("write", display_name(path_), errno)};
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

}  // namespace tamri::cli
