#pragma once

// Every code the system emits, in one table: the codes of failures that stop an operation (core and
// command-line tool), and the codes of issues that reports collect. A new code is added here.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>

namespace tamri::code {

// Failures of core operations, `Diagnostic::code()`.
inline constexpr std::string_view fasta_empty_input = "fasta.empty_input";
inline constexpr std::string_view fasta_missing_identifier = "fasta.missing_identifier";
inline constexpr std::string_view fasta_missing_header = "fasta.missing_header";
inline constexpr std::string_view fasta_missing_sequence = "fasta.missing_sequence";
inline constexpr std::string_view io_read_failed = "io.read_failed";
inline constexpr std::string_view model_input_invalid_policy = "model_input.invalid_policy";
inline constexpr std::string_view model_input_invalid_sequence = "model_input.invalid_sequence";
inline constexpr std::string_view workflow_invalid_input_hash = "workflow.invalid_input_hash";
inline constexpr std::string_view tokenizer_invalid_profile = "tokenizer.invalid_profile";
inline constexpr std::string_view tokenizer_invalid_vocabulary = "tokenizer.invalid_vocabulary";
inline constexpr std::string_view sequence_invalid_kind = "sequence.invalid_kind";
inline constexpr std::string_view json_invalid = "json.invalid";
inline constexpr std::string_view json_serialization_failed = "json.serialization_failed";
inline constexpr std::string_view corpus_invalid_plan = "corpus.invalid_plan";
inline constexpr std::string_view corpus_invalid_shard = "corpus.invalid_shard";

// Failures of the command-line tool itself.
inline constexpr std::string_view cli_invalid_arguments = "cli.invalid_arguments";
inline constexpr std::string_view io_write_failed = "io.write_failed";
inline constexpr std::string_view internal_out_of_memory = "internal.out_of_memory";

// Issues inside results, never raised: workflow readiness and pipeline configurations.
inline constexpr std::string_view sequence_not_model_ready = "sequence.not_model_ready";
inline constexpr std::string_view pipeline_invalid_config = "pipeline.invalid_config";

// Issues of the package validation report.
namespace package_issue {
inline constexpr std::string_view required_field = "required_field";
inline constexpr std::string_view missing_fixture = "missing_fixture";
inline constexpr std::string_view duplicate_fixture_name = "duplicate_fixture_name";
inline constexpr std::string_view invalid_shape = "invalid_shape";
inline constexpr std::string_view invalid_checksum_format = "invalid_checksum_format";
inline constexpr std::string_view checksum_mismatch = "checksum_mismatch";
inline constexpr std::string_view invalid_asset_path = "invalid_asset_path";
inline constexpr std::string_view asset_read_failed = "asset_read_failed";
inline constexpr std::string_view layout_mismatch = "layout_mismatch";
inline constexpr std::string_view invalid_pipeline_config = "invalid_pipeline_config";
inline constexpr std::string_view invalid_tokenizer_config = "invalid_tokenizer_config";
inline constexpr std::string_view invalid_vocab_config = "invalid_vocab_config";
inline constexpr std::string_view unsupported_runtime_backend = "unsupported_runtime_backend";
}  // namespace package_issue

// Who emits a code, and how.
enum class Emitter : std::uint8_t { core_failure, tool_failure, report_issue };

struct CatalogueEntry {
    std::string_view code;
    Emitter emitter;
};

inline constexpr std::array catalogue = {
    CatalogueEntry{fasta_empty_input, Emitter::core_failure},
    CatalogueEntry{fasta_missing_identifier, Emitter::core_failure},
    CatalogueEntry{fasta_missing_header, Emitter::core_failure},
    CatalogueEntry{fasta_missing_sequence, Emitter::core_failure},
    CatalogueEntry{io_read_failed, Emitter::core_failure},
    CatalogueEntry{model_input_invalid_policy, Emitter::core_failure},
    CatalogueEntry{model_input_invalid_sequence, Emitter::core_failure},
    CatalogueEntry{workflow_invalid_input_hash, Emitter::core_failure},
    CatalogueEntry{tokenizer_invalid_profile, Emitter::core_failure},
    CatalogueEntry{tokenizer_invalid_vocabulary, Emitter::core_failure},
    CatalogueEntry{sequence_invalid_kind, Emitter::core_failure},
    CatalogueEntry{json_invalid, Emitter::core_failure},
    CatalogueEntry{json_serialization_failed, Emitter::core_failure},
    CatalogueEntry{corpus_invalid_plan, Emitter::core_failure},
    CatalogueEntry{corpus_invalid_shard, Emitter::core_failure},
    CatalogueEntry{cli_invalid_arguments, Emitter::tool_failure},
    CatalogueEntry{io_write_failed, Emitter::tool_failure},
    CatalogueEntry{internal_out_of_memory, Emitter::tool_failure},
    CatalogueEntry{sequence_not_model_ready, Emitter::report_issue},
    CatalogueEntry{pipeline_invalid_config, Emitter::report_issue},
    CatalogueEntry{package_issue::required_field, Emitter::report_issue},
    CatalogueEntry{package_issue::missing_fixture, Emitter::report_issue},
    CatalogueEntry{package_issue::duplicate_fixture_name, Emitter::report_issue},
    CatalogueEntry{package_issue::invalid_shape, Emitter::report_issue},
    CatalogueEntry{package_issue::invalid_checksum_format, Emitter::report_issue},
    CatalogueEntry{package_issue::checksum_mismatch, Emitter::report_issue},
    CatalogueEntry{package_issue::invalid_asset_path, Emitter::report_issue},
    CatalogueEntry{package_issue::asset_read_failed, Emitter::report_issue},
    CatalogueEntry{package_issue::layout_mismatch, Emitter::report_issue},
    CatalogueEntry{package_issue::invalid_pipeline_config, Emitter::report_issue},
    CatalogueEntry{package_issue::invalid_tokenizer_config, Emitter::report_issue},
    CatalogueEntry{package_issue::invalid_vocab_config, Emitter::report_issue},
    CatalogueEntry{package_issue::unsupported_runtime_backend, Emitter::report_issue},
};

// Whether `text` is a code of the table emitted the given way.
[[nodiscard]] constexpr bool is_catalogued(std::string_view text, Emitter emitter) noexcept {
    return std::ranges::any_of(
        catalogue, [&](const CatalogueEntry& entry) { return entry.code == text && entry.emitter == emitter; });
}

}  // namespace tamri::code
