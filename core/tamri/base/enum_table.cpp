#include "tamri/base/enum_table.hpp"

#include <fmt/format.h>

#include <iterator>

namespace tamri {

std::string list_alternatives(std::span<const std::string_view> texts, std::string_view quote) {
    switch (texts.size()) {
        case 1: return fmt::format("{1}{0}{1}", texts[0], quote);
        case 2: return fmt::format("{2}{0}{2} or {2}{1}{2}", texts[0], texts[1], quote);
        default: break;
    }
    std::string out = "one of ";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        fmt::format_to(std::back_inserter(out), "{}{}{}{}", i == 0 ? "" : ", ", quote, texts[i], quote);
    }
    return out;
}

}  // namespace tamri
