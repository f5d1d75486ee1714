#include "tamri/package/directory/artifact_checks.hpp"

#include "tamri/digest/sha256.hpp"
#include "tamri/text/unicode.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

namespace tamri::package {
namespace {

using Code = PackageValidationIssueCode;

constexpr std::size_t checksum_length = 71;

bool is_lower_hex(char c) noexcept {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool is_checksum_text(std::string_view text) noexcept {
    return text.size() == checksum_length && text.starts_with(sha256_digest_prefix) &&
           std::all_of(text.begin() + sha256_digest_prefix.size(), text.end(), is_lower_hex);
}

// Pushes the path error, if any; true when the path passed.
bool check_relative_path(PackageValidationReport& report, std::string_view field, std::string_view path) {
    const auto checked = validate_package_relative_path(path);
    if (const auto* error = checked.error()) {
        push_relative_path_error(report, field, *error);
        return false;
    }
    return true;
}

// Opens the file only to prove it is there; true when it opened.
bool check_opens(PackageValidationReport& report, std::string_view field, std::string_view path,
                 const std::filesystem::path& root) {
    const auto opened = open_package_file(root, path);
    if (const auto* error = opened.error()) {
        push_artifact_error(report, field, path, *error);
        return false;
    }
    return true;
}

}  // namespace

bool validate_checksum_format(PackageValidationReport& report, std::string_view field,
                              const std::optional<std::string>& checksum) {
    if (!checksum || is_checksum_text(*checksum)) {
        return true;
    }
    push_issue(report, Code::invalid_checksum_format, fmt::format("{}.checksum", field),
               fmt::format("{}.checksum must use sha256:<64 hex>", field));
    return false;
}

bool validate_checksum_match(PackageValidationReport& report, std::string_view field, std::string_view declared,
                             std::string_view computed) {
    if (declared == computed) {
        return true;
    }
    push_issue(report, Code::checksum_mismatch, fmt::format("{}.checksum", field),
               fmt::format("{}.checksum mismatch: expected '{}' but computed '{}'", field, declared, computed));
    return false;
}

void push_relative_path_error(PackageValidationReport& report, std::string_view field,
                              const PackageArtifactError& error) {
    push_issue(report, Code::invalid_asset_path, std::string{field}, artifact_error_text(error));
}

void push_artifact_error(PackageValidationReport& report, std::string_view field, std::string_view path,
                         const PackageArtifactError& error) {
    if (error.kind == PackageArtifactError::Kind::read_failed) {
        push_issue(report, Code::asset_read_failed, std::string{field},
                   fmt::format("{}: {}", field, artifact_error_text(error)));
        return;
    }
    push_issue(report, Code::invalid_asset_path, std::string{field},
               fmt::format("{}: asset path '{}' must stay inside the package root", field, path));
}

bool validate_artifact_reference(PackageValidationReport& report, std::string_view field, std::string_view path,
                                 const std::optional<std::string>& checksum, const std::filesystem::path& root) {
    if (text::is_blank(path)) {
        return false;  // blank required paths are reported by manifest validation
    }
    const bool well_formed = validate_checksum_format(report, field, checksum);
    if (!check_relative_path(report, field, path)) {
        return false;
    }
    if (!well_formed || !checksum) {
        return check_opens(report, field, path, root) && well_formed;
    }
    auto opened = open_package_file(root, path);
    if (const auto* error = opened.error()) {
        push_artifact_error(report, field, path, *error);
        return false;
    }
    const PackageFile& file = opened.value();
    Sha256 digest;
    if (const std::error_code error =
            io::read_chunks(file.handle.get(), [&](std::string_view chunk) { digest.update(chunk); })) {
        push_artifact_error(report, field, path,
                            {PackageArtifactError::Kind::read_failed, std::string{path}, file.canonical_path.string(),
                             io::os_error_text(error)});
        return false;
    }
    return validate_checksum_match(report, field, *checksum, digest.finish());
}

std::optional<std::string> validated_artifact_bytes(PackageValidationReport& report, std::string_view field,
                                                    std::string_view path, const std::optional<std::string>& checksum,
                                                    const std::filesystem::path& root) {
    if (text::is_blank(path)) {
        return std::nullopt;
    }
    const bool well_formed = validate_checksum_format(report, field, checksum);
    if (!check_relative_path(report, field, path)) {
        return std::nullopt;
    }
    if (!well_formed) {
        check_opens(report, field, path, root);
        return std::nullopt;
    }
    auto content = read_package_file(root, path);
    if (const auto* error = content.error()) {
        push_artifact_error(report, field, path, *error);
        return std::nullopt;
    }
    std::string& bytes = content.value();
    if (checksum && !validate_checksum_match(report, field, *checksum, sha256_bytes_digest(bytes))) {
        return std::nullopt;
    }
    return std::move(bytes);
}

}  // namespace tamri::package
