#pragma once

#include <cstddef>

namespace tamri {

namespace json {
class JsonWriter;
}

// One ambiguous or unsupported symbol of a normalized sequence.
struct ResidueIssue {
    std::size_t position = 0;  // 1-based index in the normalized sequence
    char32_t residue = 0;      // one Unicode scalar value, ASCII letters upper-cased

    friend bool operator==(const ResidueIssue&, const ResidueIssue&) = default;
};

// {"residue":"X","position":3}
void write_json(json::JsonWriter& writer, const ResidueIssue& issue);

}  // namespace tamri
