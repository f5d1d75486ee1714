#include "tamri/package/directory/artifacts.hpp"

#include "tamri/package/directory/artifact_checks.hpp"
#include "tamri/package/directory/artifact_content.hpp"
#include "tamri/package/directory/layout.hpp"
#include "tamri/package/rules/validation.hpp"

#include "tamri/text/utf8.hpp"

#include <fmt/format.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <cerrno>

namespace tamri::package {
namespace {

void validate_documents(PackageValidationReport& report, const PackageMetadata& metadata,
                        const std::filesystem::path& root) {
    if (const auto& file = metadata.license.file) {
        validate_artifact_reference(report, "metadata.license.file", file->path, file->checksum, root);
    }
    if (const auto& file = metadata.citation.file) {
        validate_artifact_reference(report, "metadata.citation.file", file->path, file->checksum, root);
    }
    const ModelCardMetadata& card = metadata.model_card;
    validate_artifact_reference(report, "metadata.model_card", card.path, card.checksum, root);
}

void validate_fixtures(PackageValidationReport& report, std::span<const PackageFixture> fixtures,
                       const std::filesystem::path& root) {
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
        const PackageFixture& fixture = fixtures[i];
        validate_artifact_reference(report, fmt::format("fixtures[{}].input", i), fixture.input, fixture.input_hash,
                                    root);
        validate_artifact_reference(report, fmt::format("fixtures[{}].expected_output", i), fixture.expected_output,
                                    fixture.expected_output_hash, root);
    }
}

// Why an opened manifest is not read: directories say so as the system would.
std::string not_regular_reason(mode_t mode) {
    return S_ISDIR(mode) ? io::os_error_text(std::make_error_code(std::errc::is_a_directory)) : "not a regular file";
}

}  // namespace

std::string manifest_read_error_text(const ManifestReadError& error) {
    return fmt::format("failed to read package manifest '{}': {}", error.path, error.reason);
}

Result<std::string, ManifestReadError> read_package_manifest_file(const std::string& path) {
    const auto failed = [&](std::string reason) { return ManifestReadError{path, std::move(reason)}; };
    // Non-blocking, so a FIFO named as the manifest cannot stall the call.
    io::FileHandle file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    struct stat status {};
    if (!file.is_open() || ::fstat(file.get(), &status) != 0) {
        return failed(io::os_error_text(io::last_error()));
    }
    if (!S_ISREG(status.st_mode)) {
        return failed(not_regular_reason(status.st_mode));
    }
    std::string content;
    if (const std::error_code error =
            io::read_chunks(file.get(), [&](std::string_view chunk) { content.append(chunk); })) {
        return failed(io::os_error_text(error));
    }
    if (text::first_utf8_error(content)) {
        return failed("stream did not contain valid UTF-8");
    }
    return content;
}

void validate_referenced_pipeline_config(PackageValidationReport& report, std::string_view field, std::string_view path,
                                         const std::filesystem::path& root, const PipelineConfigValidator& validator) {
    if (!validator) {
        return;
    }
    const Result<void, ReferencedConfigError> checked = validator(root / std::filesystem::path{path});
    const ReferencedConfigError* const error = checked.error();
    if (error == nullptr) {
        return;
    }
    std::string message =
        fmt::format("{}: pipeline config '{}' is invalid: {}: {}", field, path, error->code, error->message);
    if (error->location) {
        message += fmt::format(" at {}", *error->location);
    }
    push_issue(report, PackageValidationIssueCode::invalid_pipeline_config, std::string{field}, std::move(message));
}

void validate_pipeline_configs(PackageValidationReport& report, std::string_view list,
                               std::span<const PipelineStep> steps, const std::filesystem::path& root,
                               const PipelineConfigValidator& validator) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (const auto& config = steps[i].config) {
            const std::string field = fmt::format("{}[{}].config", list, i);
            if (validate_artifact_reference(report, field, config->path, config->checksum, root)) {
                validate_referenced_pipeline_config(report, field, config->path, root, validator);
            }
        }
    }
}

PackageValidationReport validate_package_manifest_artifacts_with_manifest_path_and_pipeline_config_validator(
    const PackageManifest& manifest, const std::filesystem::path& root,
    const std::optional<std::filesystem::path>& manifest_path, const PipelineConfigValidator& validator) {
    PackageValidationReport report = validate_package_manifest(manifest);
    validate_artifact_reference(report, "model", manifest.model.path, manifest.model.checksum, root);
    if (const auto& tokenizer = manifest.tokenizer) {
        if (const auto bytes =
                validated_artifact_bytes(report, "tokenizer", tokenizer->path, tokenizer->checksum, root)) {
            validate_tokenizer_config(report, *tokenizer, *bytes);
        }
    }
    if (const auto& vocab = manifest.vocab) {
        if (const auto bytes = validated_artifact_bytes(report, "vocab", vocab->path, vocab->checksum, root)) {
            validate_vocab_config(report, *vocab, *bytes);
        }
    }
    validate_pipeline_configs(report, "preprocessing", manifest.preprocessing, root, validator);
    validate_pipeline_configs(report, "postprocessing", manifest.postprocessing, root, validator);
    if (manifest.metadata) {
        validate_documents(report, *manifest.metadata, root);
    }
    validate_fixtures(report, manifest.fixtures, root);
    if (manifest.package_layout) {
        validate_package_layout(report, manifest, *manifest.package_layout, manifest_path, root);
    }
    finish_report(report);
    return report;
}

PackageValidationReport validate_package_manifest_artifacts_with_pipeline_config_validator(
    const PackageManifest& manifest, const std::filesystem::path& root, const PipelineConfigValidator& validator) {
    return validate_package_manifest_artifacts_with_manifest_path_and_pipeline_config_validator(
        manifest, root, std::nullopt, validator);
}

}  // namespace tamri::package
