#pragma once

// File descriptors and the system calls on them: the one owner of a descriptor, the one retry of
// calls interrupted by a signal, chunked reads and whole writes, and the one text of an OS error.

#include <cerrno>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace tamri::io {

// The system's description of an OS error followed by " (os error {code})".
[[nodiscard]] std::string os_error_text(std::error_code error);
[[nodiscard]] std::string os_error_text(int error_number);

// errno as an error code.
[[nodiscard]] std::error_code last_error() noexcept;

// Runs `call` until it does not fail with EINTR; system calls report failure as a negative result.
template <class Call>
auto retry_on_interrupt(Call&& call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR) {
            return result;
        }
    }
}

// An owned file descriptor, closed when dropped.
class FileHandle {
public:
    FileHandle() noexcept = default;
    explicit FileHandle(int descriptor) noexcept : descriptor_(descriptor) {}
    FileHandle(FileHandle&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle();

    [[nodiscard]] int get() const noexcept { return descriptor_; }
    [[nodiscard]] bool is_open() const noexcept { return descriptor_ >= 0; }
    // Closes now and tells whether the close succeeded (a write may only fail here).
    [[nodiscard]] std::error_code close() noexcept;

private:
    int descriptor_ = -1;
};

// Reads once into `buffer`: the number of bytes read (0 at the end), or the error.
[[nodiscard]] std::error_code read_some(int descriptor, std::span<char> buffer, std::size_t& count) noexcept;

// Writes all of `bytes`, however many calls that takes.
[[nodiscard]] std::error_code write_all(int descriptor, std::string_view bytes) noexcept;

// Reads to the end in chunks of at most 64 KiB, handing each to `sink`; the error of a failed
// read, or none.
template <class Sink>
[[nodiscard]] std::error_code read_chunks(int descriptor, Sink&& sink) {
    std::string buffer(std::size_t{64} * 1024, '\0');
    for (;;) {
        std::size_t count = 0;
        if (const std::error_code error = read_some(descriptor, buffer, count)) {
            return error;
        }
        if (count == 0) {
            return {};
        }
        sink(std::string_view{buffer.data(), count});
    }
}

}  // namespace tamri::io
