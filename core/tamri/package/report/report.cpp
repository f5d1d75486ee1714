#include "tamri/package/report/report.hpp"

#include "tamri/json/record.hpp"
#include "tamri/text/utf8.hpp"

#include <utility>

namespace tamri::package {

void push_issue(PackageValidationReport& report, PackageValidationIssueCode code, std::string field,
                std::string message) {
    // Names read from the package directory, and paths from C++ callers, may hold any bytes; the
    // report is JSON, so they are read the way the manifest path is, with U+FFFD.
    text::make_valid_utf8(field);
    text::make_valid_utf8(message);
    report.issues.push_back(message);
    report.structured_issues.push_back(PackageValidationIssue{code, std::move(field), std::move(message)});
}

void push_field_issue(PackageValidationReport& report, PackageValidationIssueCode code, std::string field,
                      fmt::format_string<const std::string&> message) {
    std::string text = fmt::format(message, std::as_const(field));
    push_issue(report, code, std::move(field), std::move(text));
}

void finish_report(PackageValidationReport& report) noexcept {
    report.valid = report.structured_issues.empty();
}

}  // namespace tamri::package
