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

// umask can only be read by setting it, which races with other threads creating files: it is read
// once, by the first output, before any command starts threads.
mode_t process_umask() {
    static const mode_t mask = [] {
        const mode_t value = ::umask(0);
        ::umask(value);
        return value;
    }();
    return mask;
}

// A fresh file named like `path` with a random suffix, in the same directory so that the final
// rename never crosses file systems. Readable as a file the user created would be.
io::FileHandle create_temporary_beside(const std::string& path, std::string& temp_path) {
    const std::filesystem::path target{path};
    const std::filesystem::path name = "." + target.filename().string() + ".tmp-XXXXXX";
    std::string pattern = (target.parent_path() / name).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    io::FileHandle file{::mkstemp(buffer.data())};
    if (!file.is_open()) {
        throw ToolError{code::io_write_failed, system_failure_text("create", path, errno)};
    }
    (void)::fchmod(file.get(), 0666 & ~process_umask());
    temp_path.assign(buffer.data());
    return file;
}

}  // namespace

Output::Output(const std::string& path) : path_(path) {
    if (path != "-") {
        temp_file_ = create_temporary_beside(path, temp_path_);
    }
    fd_ = path == "-" ? STDOUT_FILENO : temp_file_.get();
    buffer_.reserve(buffer_capacity);
}

Output::~Output() {
    if (!temp_path_.empty()) {
        (void)temp_file_.close();
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

void Output::finish() {
    flush();
    std::string{}.swap(buffer_);  // a finished output waiting to be published holds no buffer
    if (temp_path_.empty()) {
        return;
    }
    fd_ = -1;
    if (const std::error_code error = temp_file_.close()) {
        throw ToolError{code::io_write_failed, system_failure_text("write", path_, error.value())};
    }
}

void Output::publish() {
    if (temp_path_.empty()) {
        return;
    }
    if (::rename(temp_path_.c_str(), path_.c_str()) != 0) {
        throw ToolError{code::io_write_failed, system_failure_text("rename onto", path_, errno)};
    }
    temp_path_.clear();
}

void Output::flush() {
    write_through(buffer_);
    buffer_.clear();
}

void Output::write_through(std::string_view bytes) {
    if (const std::error_code error = io::write_all(fd_, bytes)) {
        throw ToolError{code::io_write_failed, system_failure_text("write", display_name(path_), error.value())};
    }
}

void remove_file_if_present(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error) {
        throw ToolError{code::io_write_failed, system_failure_text("remove", path.string(), error.value())};
    }
}

}  // namespace tamri::cli
