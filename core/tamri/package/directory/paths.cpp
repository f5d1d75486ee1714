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

int open_at_without_links(int directory, const char* name, int flags) noexcept {
    return io::retry_on_interrupt([&] { return ::openat(directory, name, flags | O_NOFOLLOW); });
}

PackageArtifactError read_failed(std::string_view path, std::string location, std::string reason) {
    return {PackageArtifactError::Kind::read_failed, std::string{path}, std::move(location), std::move(reason)};
}

PackageArtifactError not_a_file(std::string_view path, const std::filesystem::path& target) {
    return read_failed(path, target.string(), "asset path is not a file");
}

// Opens `relative` below the open directory `root` without following any link, one component at
// a time: the canonical path has none, so a link found now was swapped in after the checks.
Result<io::FileHandle, std::error_code> open_beneath(const std::filesystem::path& root,
                                                     const std::filesystem::path& relative) {
    io::FileHandle directory{::open(root.c_str(), directory_flags)};
    if (!directory.is_open()) {
        return io::last_error();
    }
    auto component = relative.begin();
    while (component != relative.end()) {
        const auto current = component++;
        const bool last = component == relative.end();
        io::FileHandle opened{
            open_at_without_links(directory.get(), current->c_str(), last ? file_flags : directory_flags)};
        if (!opened.is_open()) {
            return io::last_error();
        }
        directory = std::move(opened);
    }
    return directory;
}

}  // namespace

bool is_within_root(const std::filesystem::path& target, const std::filesystem::path& root) {
    return std::mismatch(root.begin(), root.end(), target.begin(), target.end()).first == root.end();
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

Result<void, PackageArtifactError> validate_package_relative_path(std::string_view path) {
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
            return {};
        }
        rest.remove_prefix(slash + 1);
    }
}

Result<PackageFile, PackageArtifactError> open_package_file(const std::filesystem::path& root, std::string_view path) {
    if (const auto checked = validate_package_relative_path(path); const auto* error = checked.error()) {
        return *error;
    }
    std::error_code error;
    const std::filesystem::path canonical_root = std::filesystem::canonical(root, error);
    if (error) {
        return read_failed(path, root.string(), "failed to resolve package root: " + io::os_error_text(error));
    }
    const std::filesystem::path joined = canonical_root / std::filesystem::path{path};
    std::filesystem::path target = std::filesystem::canonical(joined, error);
    if (error) {
        return read_failed(path, joined.string(), io::os_error_text(error));
    }
    if (!is_within_root(target, canonical_root)) {
        return PackageArtifactError{PackageArtifactError::Kind::outside_root, std::string{path}, {}, {}};
    }
    if (!std::filesystem::is_regular_file(target, error)) {
        return error ? read_failed(path, target.string(), io::os_error_text(error)) : not_a_file(path, target);
    }
    auto opened = open_beneath(canonical_root, target.lexically_relative(canonical_root));
    if (const auto* failure = opened.error()) {
        return read_failed(path, target.string(), io::os_error_text(*failure));
    }
    io::FileHandle handle = std::move(opened).value();
    // The checks above looked at a name; this looks at what was actually opened.
    struct stat opened_status {};
    if (::fstat(handle.get(), &opened_status) != 0) {
        return read_failed(path, target.string(), io::os_error_text(io::last_error()));
    }
    if (!S_ISREG(opened_status.st_mode)) {
        return not_a_file(path, target);
    }
    return PackageFile{std::move(handle), std::move(target)};
}

Result<std::string, PackageArtifactError> read_package_file(const std::filesystem::path& root, std::string_view path) {
    auto opened = open_package_file(root, path);
    if (const auto* failure = opened.error()) {
        return *failure;
    }
    const PackageFile& file = opened.value();
    std::string content;
    const std::error_code error =
        io::read_chunks(file.handle.get(), [&](std::string_view chunk) { content.append(chunk); });
    if (error) {
        return read_failed(path, file.canonical_path.string(), io::os_error_text(error));
    }
    return content;
}

}  // namespace tamri::package
