#include "tamri/io/file.hpp"

#include <fmt/format.h>

#include <unistd.h>

namespace tamri::io {

std::string os_error_text(std::error_code error) {
    return fmt::format("{} (os error {})", error.message(), error.value());
}

std::string os_error_text(int error_number) {
    return os_error_text(std::error_code{error_number, std::system_category()});
}

std::error_code last_error() noexcept {
    return {errno, std::system_category()};
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        (void)close();
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

FileHandle::~FileHandle() {
    (void)close();
}

std::error_code FileHandle::close() noexcept {
    // A descriptor is released by close even when it fails, EINTR included: never retried.
    if (descriptor_ >= 0 && ::close(std::exchange(descriptor_, -1)) != 0) {
        return last_error();
    }
    return {};
}

std::error_code read_some(int descriptor, std::span<char> buffer, std::size_t& count) noexcept {
    const ssize_t result = retry_on_interrupt([&] { return ::read(descriptor, buffer.data(), buffer.size()); });
    if (result < 0) {
        return last_error();
    }
    count = static_cast<std::size_t>(result);
    return {};
}

std::error_code write_all(int descriptor, std::string_view bytes) noexcept {
    while (!bytes.empty()) {
        const ssize_t written = retry_on_interrupt([&] { return ::write(descriptor, bytes.data(), bytes.size()); });
        if (written < 0) {
            return last_error();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

}  // namespace tamri::io
