#pragma once

// FASTA input for the commands: a file or standard input, plain or gzip-compressed, read in large
// pieces and cut into lines for the stream scanner.

#include "tamri/fasta/scan.hpp"
#include "tamri/io/byte_source.hpp"
#include "tamri/io/file.hpp"

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace tamri::cli {

// The bytes of a file, or of standard input for "-", read as they come. The first two bytes can be
// looked at before anything is handed out.
class FileSource final : public ByteSource {
public:
    explicit FileSource(const std::string& path);
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override = default;

    // True when the stream starts with the gzip magic bytes 1f 8b.
    [[nodiscard]] bool starts_with_gzip_magic();

    std::size_t read_some(std::span<char> buffer) override;

private:
    std::size_t read_from_file(std::span<char> buffer);

    std::string path_;
    io::FileHandle owned_;  // none for standard input, which stays open
    int fd_;
    std::array<char, 2> head_{};  // bytes looked at and not yet handed out
    std::size_t head_size_ = 0;
};

// The decompressed bytes of gzip data, every member of a concatenation in turn.
class GzipSource;

// FASTA input from a path or "-": plain or gzip-compressed (told by its magic bytes), read in
// large pieces and cut into lines for the stream scanner.
class FastaInput {
public:
    explicit FastaInput(const std::string& path);
    FastaInput(const FastaInput&) = delete;
    FastaInput& operator=(const FastaInput&) = delete;
    ~FastaInput();

    [[nodiscard]] ByteLineReader& lines() noexcept { return lines_; }

private:
    FileSource file_;
    std::unique_ptr<GzipSource> gzip_;
    BufferedByteLineReader lines_;
};

}  // namespace tamri::cli
