#pragma once

// The package validation report: every finding of manifest and artifact validation, in the order
// found. Built by appending only; `valid` is set by whoever finishes the report.

#include "tamri/base/codes.hpp"
#include "tamri/base/enum_table.hpp"
#include "tamri/json/record.hpp"

#include <fmt/format.h>

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace tamri::package {

enum class PackageValidationIssueCode : std::uint8_t {
    required_field,
    missing_fixture,
    duplicate_fixture_name,
    invalid_shape,
    invalid_checksum_format,
    checksum_mismatch,
    invalid_asset_path,
    asset_read_failed,
    layout_mismatch,
    invalid_pipeline_config,
    invalid_tokenizer_config,
    invalid_vocab_config,
    unsupported_runtime_backend,
};

[[nodiscard]] constexpr EnumTable<PackageValidationIssueCode, 13> enum_table(PackageValidationIssueCode) noexcept {
    using enum PackageValidationIssueCode;
    return {{{{required_field, code::package_issue::required_field},
              {missing_fixture, code::package_issue::missing_fixture},
              {duplicate_fixture_name, code::package_issue::duplicate_fixture_name},
              {invalid_shape, code::package_issue::invalid_shape},
              {invalid_checksum_format, code::package_issue::invalid_checksum_format},
              {checksum_mismatch, code::package_issue::checksum_mismatch},
              {invalid_asset_path, code::package_issue::invalid_asset_path},
              {asset_read_failed, code::package_issue::asset_read_failed},
              {layout_mismatch, code::package_issue::layout_mismatch},
              {invalid_pipeline_config, code::package_issue::invalid_pipeline_config},
              {invalid_tokenizer_config, code::package_issue::invalid_tokenizer_config},
              {invalid_vocab_config, code::package_issue::invalid_vocab_config},
              {unsupported_runtime_backend, code::package_issue::unsupported_runtime_backend}}}};
}

struct PackageValidationIssue {
    PackageValidationIssueCode code = PackageValidationIssueCode::required_field;
    std::string field;  // path of the manifest element, e.g. "fixtures[2].name"
    std::string message;

    friend bool operator==(const PackageValidationIssue&, const PackageValidationIssue&) = default;
};

// `issues[k]` is always `structured_issues[k].message`.
struct PackageValidationReport {
    bool valid = true;
    std::vector<std::string> issues;
    std::vector<PackageValidationIssue> structured_issues;
};

// Bytes of `field` or `message` that are not UTF-8 are stored as U+FFFD, so the report is JSON.
void push_issue(PackageValidationReport& report, PackageValidationIssueCode code, std::string field,
                std::string message);

// Pushes an issue for `field` whose message is `message` with the field path in place of "{}".
void push_field_issue(PackageValidationReport& report, PackageValidationIssueCode code, std::string field,
                      fmt::format_string<const std::string&> message);

// Valid exactly when no issue was pushed.
void finish_report(PackageValidationReport& report) noexcept;

constexpr auto json_schema(std::type_identity<PackageValidationIssue>) {
    using Issue = PackageValidationIssue;
    return json::record_schema<Issue>("struct PackageValidationIssue", json::UnknownFields::reject,
                                      json::field<&Issue::code>("code"), json::field<&Issue::field>("field"),
                                      json::field<&Issue::message>("message"));
}

constexpr auto json_schema(std::type_identity<PackageValidationReport>) {
    using Report = PackageValidationReport;
    return json::record_schema<Report>("struct PackageValidationReport", json::UnknownFields::reject,
                                       json::field<&Report::valid>("valid"), json::field<&Report::issues>("issues"),
                                       json::field<&Report::structured_issues>("structured_issues"));
}

}  // namespace tamri::package
