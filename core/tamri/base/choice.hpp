#pragma once

// Argument texts that name an enumerator, read the same way by every front end (the Python module and
// the command-line tool), so that their refusals list the same accepted texts.

#include "tamri/base/diagnostic.hpp"
#include "tamri/base/enum_table.hpp"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tamri {

// An argument text naming one of Enum's texts; otherwise the ArgumentError `refuse` builds from
// the text and the accepted texts. Shared by every front end so that their messages agree.
template <Enumerated Enum>
Enum parse_choice(std::string_view text, ArgumentError (*refuse)(std::string, std::span<const std::string_view>)) {
    if (const std::optional<Enum> value = parse_enum<Enum>(text)) {
        return *value;
    }
    throw refuse(std::string{text}, enum_texts<Enum>);
}

}  // namespace tamri
