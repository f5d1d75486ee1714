#pragma once

// Canonical-JSON digests taken straight from text JsonWriter wrote with an index: members fed to
// SHA-256 in canonical order without parsing and rewriting the text. Gives the workflow's output digest.

#include "tamri/json/index.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamri {

// The digest sha256_canonical_json_digest gives the text of the object made of `members` (slots
// of any containers of `index`), taken from compact text written with that index instead of
// parsing and rewriting it: members are fed to SHA-256 in canonical order, and every value whose
// canonical form is the text as written (scalars, byte arrays, already sorted containers) is fed
// straight from `text`. The text must be as JsonWriter writes it (valid UTF-8, integers only),
// with distinct keys in each object.
[[nodiscard]] std::string sha256_canonical_json_members_digest(std::string_view text, const json::JsonIndex& index,
                                                               std::vector<std::uint32_t> members);

}  // namespace tamri
