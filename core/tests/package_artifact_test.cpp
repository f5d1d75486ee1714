#include "package_test_support.hpp"
#include "tamri/digest/sha256.hpp"
#include "tamri/package/directory/artifact_checks.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tamri::package {
namespace {

namespace fs = std::filesystem;
using Code = PackageValidationIssueCode;

// pkg/ holds a model, a directory named like one and links that stay inside; pkg2/ is a sibling
// whose name starts with the root's name.
class PackageArtifacts : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(pkg() / "models" / "dir.onnx");
        fs::create_directories(base.path / "pkg2");
        write_file(pkg() / "models" / "m.onnx", model);
        write_file(base.path / "pkg2" / "secret", "secret");
        fs::create_symlink("m.onnx", pkg() / "models" / "relative.onnx");
        fs::create_symlink(pkg() / "models" / "m.onnx", pkg() / "models" / "absolute.onnx");
        fs::create_symlink("../pkg2/secret", pkg() / "sibling");
    }

    [[nodiscard]] fs::path pkg() const { return base.path / "pkg"; }

    std::vector<PackageValidationIssue> check(std::string_view path, std::optional<std::string> checksum,
                                              bool expected) {
        PackageValidationReport report;
        EXPECT_EQ(validate_artifact_reference(report, "model", path, checksum, pkg()), expected) << path;
        return report.structured_issues;
    }

    TempDirectory base;
    std::string model = "model bytes";
};

PackageValidationIssue read_failure(std::string_view path, const fs::path& location, std::string_view reason) {
    return {Code::asset_read_failed, "model",
            fmt::format("model: failed to read asset '{}' at '{}': {}", path, location.string(), reason)};
}

PackageValidationIssue escape(std::string_view path) {
    return {Code::invalid_asset_path, "model",
            fmt::format("model: asset path '{}' must stay inside the package root", path)};
}

TEST_F(PackageArtifacts, AcceptsFilesAndLinksThatStayInside) {
    const std::string digest = sha256_bytes_digest(model);
    for (const std::string_view path :
         {"models/m.onnx", "models/./m.onnx", "models/relative.onnx", "models/absolute.onnx"}) {
        EXPECT_TRUE(check(path, digest, true).empty()) << path;
    }
}

// Special files, missing files and links leaving the root are the escape table's; these are the
// rules of the path text and of a sibling that shares the root's name.
TEST_F(PackageArtifacts, RefusesEscapesAndDirectories) {
    const fs::path models = fs::canonical(pkg()) / "models";
    const struct {
        std::string_view path;
        PackageValidationIssue issue;
    } cases[] = {
        {"sibling", escape("sibling")},
        {"models/dir.onnx", read_failure("models/dir.onnx", models / "dir.onnx", "asset path is not a file")},
        {"/etc/passwd",
         {Code::invalid_asset_path, "model", "asset path '/etc/passwd' must be relative to the package root"}},
        {"models/../models/m.onnx",
         {Code::invalid_asset_path, "model", "asset path 'models/../models/m.onnx' must stay inside the package root"}},
    };
    for (const auto& [path, issue] : cases) {
        EXPECT_EQ(check(path, std::nullopt, false), std::vector{issue}) << path;
    }
    EXPECT_TRUE(check("  ", std::nullopt, false).empty());
}

TEST_F(PackageArtifacts, ReportsChecksumFormatBeforeAccess) {
    const std::string digits(64, 'a');
    const PackageValidationIssue malformed{Code::invalid_checksum_format, "model.checksum",
                                           "model.checksum must use sha256:<64 hex>"};
    for (const std::string& checksum : {"sha256:" + std::string(64, 'A'), "sha256:" + digits.substr(1),
                                        "sha256:" + digits + "a", "sha512:" + digits}) {
        EXPECT_EQ(check("models/m.onnx", checksum, false), std::vector{malformed}) << checksum;
    }
    const fs::path missing = fs::canonical(pkg()) / "missing";
    const std::vector<PackageValidationIssue> expected = {
        malformed, read_failure("missing", missing,
                                io::os_error_text(std::make_error_code(std::errc::no_such_file_or_directory)))};
    EXPECT_EQ(check("missing", "SHA", false), expected);
}

TEST_F(PackageArtifacts, HashesFilesLargerThanOneChunk) {
    std::string large(std::size_t{200'000}, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<char>(i * 31 % 251);
    }
    write_file(pkg() / "large.bin", large);
    EXPECT_TRUE(check("large.bin", sha256_bytes_digest(large), true).empty());
    EXPECT_EQ(read_package_file(pkg(), "large.bin").value(), large);
}

TEST(PackageArtifactRoot, MissingRootFailsEveryReference) {
    PackageValidationReport report;
    EXPECT_FALSE(validate_artifact_reference(report, "model", "m.onnx", std::nullopt, "/nonexistent/pkg"));
    ASSERT_EQ(report.issues.size(), 1U);
    EXPECT_EQ(report.issues[0],
              "model: failed to read asset 'm.onnx' at '/nonexistent/pkg': failed to resolve package root: "
              "No such file or directory (os error 2)");
}

}  // namespace
}  // namespace tamri::package
