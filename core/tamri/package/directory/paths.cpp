#include "tamri/package/directory/paths.hpp"

#include "tamri/text/unicode.hpp"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

namespace tamri::package {
namespace {

#ifdef O_PATH
constexpr int directory_flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int directory_flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
// Non-blocking so that a FIFO or device where a file is expected cannot stall the check.
constexpr int file_flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

std::error_code last_error() noexcept {
    return {errno, std::system_category()};
}

int open_at_retrying(int directory, const char* name, int flags) noexcept {
    int descriptor = -1;
    do {
        descriptor = ::openat(directory, name, flags | O_NOFOLLOW);
    } while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

PackageArtifactError read_failed(std::string_view path, std::string location, std::string reason) {
    return {PackageArtifactError::Kind::read_failed, std::string{path}, std::move(location), std::move(reason)};
}

PackageArtifactError not_a_file(std::string_view path, const std::filesystem::path& target) {
    return read_failed(path, target.string(), "asset path is not a file");
}

// Opens `relative` below the open directory `root` without following any link, one component at
// a time: the canonical path has none, so a link found now was swapped in after the checks.
std::variant<FileHandle, std::error_code> open_beneath(const std::filesystem::path& root,
                                                       const std::filesystem::path& relative) {
    FileHandle directory{::open(root.c_str(), directory_flags)};
    if (!directory.is_open()) {
        return last_error();
    }
    auto component = relative.begin();
    while (component != relative.end()) {
        const auto current = component++;
        const bool last = component == relative.end();
        FileHandle opened{open_at_retrying(directory.get(), current->c_str(), last ? file_flags : directory_flags)};
        if (!opened.is_open()) {
            return last_error();
        }
        directory = std::move(opened);
    }
    return directory;
}

}  // namespace

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

FileHandle::~FileHandle() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

bool is_within_root(const std::filesystem::path& target, const std::filesystem::path& root) {
    return std::mismatch(root.begin(), root.end(), target.begin(), target.end()).first == root.end();
}

std::string os_error_text(std::error_code error) {
    return fmt::format("{} (os error {})", error.message(), error.value());
}

std::string artifact_error_text(const PackageArtifactError& error) {
    using Kind = PackageArtifactError::Kind;
    switch (error.kind) {
        case Kind::path_required: return "asset path is required";
        case Kind::absolute_path:
            return fmt::format("asset path '{}' must be relative to the package root", error.path);
        case Kind::outside_root: return fmt::format("asset path '{}' must stay inside the package root", error.path);
        case Kind::read_failed: break;
    }
    return fmt::format("failed to read asset '{}' at '{}': {}", error.path, error.location, error.reason);
}

std::variant<std::monostate, PackageArtifactError> validate_package_relative_path(std::string_view path) {
    using Kind = PackageArtifactError::Kind;
    if (text::is_blank(path)) {
        return PackageArtifactError{Kind::path_required, {}, {}, {}};
    }
    if (path.front() == '/') {
        return PackageArtifactError{Kind::absolute_path, std::string{path}, {}, {}};
    }
    std::string_view rest = path;
    for (;;) {
        const std::size_t slash = rest.find('/');
        if (rest.substr(0, slash) == "..") {
            return PackageArtifactError{Kind::outside_root, std::string{path}, {}, {}};
        }
        if (slash == std::string_view::npos) {
            return std::monostate{};
        }
        rest.remove_prefix(slash + 1);
    }
}

ArtifactResult<PackageFile> open_package_file(const std::filesystem::path& root, std::string_view path) {
    if (auto invalid = validate_package_relative_path(path); std::holds_alternative<PackageArtifactError>(invalid)) {
        return std::get<PackageArtifactError>(std::move(invalid));
    }
    std::error_code error;
    const std::filesystem::path canonical_root = std::filesystem::canonical(root, error);
    if (error) {
        return read_failed(path, root.string(), "failed to resolve package root: " + os_error_text(error));
    }
    const std::filesystem::path joined = canonical_root / std::filesystem::path{path};
    std::filesystem::path target = std::filesystem::canonical(joined, error);
    if (error) {
        return read_failed(path, joined.string(), os_error_text(error));
    }
    if (!is_within_root(target, canonical_root)) {
        return PackageArtifactError{PackageArtifactError::Kind::outside_root, std::string{path}, {}, {}};
    }
    if (!std::filesystem::is_regular_file(target, error)) {
        return error ? read_failed(path, target.string(), os_error_text(error)) : not_a_file(path, target);
    }
    auto opened = open_beneath(canonical_root, target.lexically_relative(canonical_root));
    if (auto* failure = std::get_if<std::error_code>(&opened)) {
        return read_failed(path, target.string(), os_error_text(*failure));
    }
    FileHandle handle = std::get<FileHandle>(std::move(opened));
    // The checks above looked at a name; this looks at what was actually opened.
    struct stat opened_status {};
    if (::fstat(handle.get(), &opened_status) != 0) {
        return read_failed(path, target.string(), os_error_text(last_error()));
    }
    if (!S_ISREG(opened_status.st_mode)) {
        return not_a_file(path, target);
    }
    return PackageFile{std::move(handle), std::move(target)};
}

std::error_code read_chunk(const FileHandle& file, std::span<char> buffer, std::size_t& count) {
    for (;;) {
        const ssize_t result = ::read(file.get(), buffer.data(), buffer.size());
        if (result >= 0) {
            count = static_cast<std::size_t>(result);
            return {};
        }
        if (errno != EINTR) {
            return last_error();
        }
    }
}

ArtifactResult<std::string> read_package_file(const std::filesystem::path& root, std::string_view path) {
    auto opened = open_package_file(root, path);
    if (auto* failure = std::get_if<PackageArtifactError>(&opened)) {
        return std::move(*failure);
    }
    const PackageFile& file = std::get<PackageFile>(opened);
    std::string content;
    const std::error_code error = read_chunks(file.handle, [&](std::string_view chunk) { content.append(chunk); });
    if (error) {
        return read_failed(path, file.canonical_path.string(), os_error_text(error));
    }
    return content;
}

}  // namespace tamri::package
