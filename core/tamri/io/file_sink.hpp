#pragma once

// Where an operation that writes several files sends their bytes, so that the core decides what
// the files hold and the front end where and how they are stored.

#include <string>
#include <string_view>

namespace tamri::io {

// Receives files in turn: each opened by name, written in pieces, then closed.
class FileSink {
public:
    FileSink() = default;
    FileSink(const FileSink&) = delete;
    FileSink& operator=(const FileSink&) = delete;
    virtual ~FileSink() = default;

    virtual void open(const std::string& name) = 0;
    virtual void write(std::string_view bytes) = 0;
    virtual void close() = 0;
};

}  // namespace tamri::io
