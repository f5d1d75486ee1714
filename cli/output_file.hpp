#pragma once

// Command output: standard output, or a file written through a temporary and renamed into place on
// success; and JSON Lines written over it.

#include "tamri/io/file.hpp"
#include "tamri/json/record.hpp"

#include <filesystem>
#include <string>
#include <string_view>

namespace tamri::cli {

// Where a command writes: standard output for "-", otherwise a temporary file beside the named one
// that `commit` renames into place, so that a failed run leaves no file behind.
class Output {
public:
    explicit Output(const std::string& path);
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;
    // Removes the temporary file of an output that was never committed.
    ~Output();

    // Buffered; large pieces go straight through. Throws ToolError "io.write_failed".
    void write(std::string_view bytes);
    // Writes what is buffered and, for a file, gives it its name.
    void commit() {
        finish();
        publish();
    }
    // Writes what is buffered and closes the file, still under its temporary name.
    void finish();
    // Gives a finished file its name; for outputs that must all appear together or not at all.
    void publish();

private:
    void flush();
    void write_through(std::string_view bytes);

    std::string path_;       // as given; "-" for standard output
    std::string temp_path_;  // empty for standard output
    io::FileHandle temp_file_;
    int fd_ = -1;  // standard output or the temporary file
    std::string buffer_;
};

// Removes a file unless there is none. Throws ToolError "io.write_failed".
void remove_file_if_present(const std::filesystem::path& path);

// Records written as JSON Lines: one compact JSON object and a line feed each.
class JsonLinesOutput {
public:
    explicit JsonLinesOutput(Output& output) : output_(output) {}

    template <class Record>
    void write(const Record& record) {
        json::write_value(writer_, record);
        output_.write(writer_.text());
        output_.write("\n");
        writer_.clear();
    }

private:
    Output& output_;
    json::JsonWriter writer_;
};

}  // namespace tamri::cli
