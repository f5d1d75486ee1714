#pragma once

// Real package directories for tests, under the system's temporary folder.

#include "tamri/package/report/report.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <system_error>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tamri::package {

// Found by GoogleTest through argument-dependent lookup.
inline void PrintTo(const PackageValidationIssue& issue, std::ostream* out) {
    *out << enum_text(issue.code) << ' ' << issue.field << ": " << issue.message;
}

struct TempDirectory {
    TempDirectory() {
        std::string pattern = (std::filesystem::temp_directory_path() / "tamri-test-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::filesystem::filesystem_error("mkdtemp", std::error_code{errno, std::system_category()});
        }
        path = std::filesystem::canonical(pattern);
    }
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;
    ~TempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    std::filesystem::path path;
};

inline void write_file(const std::filesystem::path& path, std::string_view content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

}  // namespace tamri::package
