// Feeds arbitrary bytes to the canonical JSON digest and compares it with the SHA-256 of a
// canonical rewriting done here independently: RapidJSON's DOM built from its reader with every
// number converted here from its text (from_chars, strtod) and spelled from std::to_chars,
// members ordered by a std::map, strings escaped by hand. Bytes that are not a JSON document of
// UTF-8 text, or hold a number no double can hold, must get the digest of the bytes as given.
// The canonical text must be its own canonical form.

#include "fuzz_support.hpp"
#include "tamri/digest/sha256.hpp"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <fmt/format.h>
#include <rapidjson/document.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

namespace {

using tamri::fuzz::require;

// Deeper documents are still digested, but not compared: the rewriting below recurses.
constexpr std::size_t max_compared_depth = 500;

std::string_view string_of(const rapidjson::Value& value) {
    return {value.GetString(), value.GetStringLength()};
}

void append_escaped(std::string& out, std::string_view text) {
    out.push_back('"');
    for (const char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    fmt::format_to(std::back_inserter(out), "\\u{:04x}", static_cast<unsigned char>(c));
                } else {
                    out.push_back(c);
                }
        }
    }
    out.push_back('"');
}

// The shortest round-trip digits of `value`, laid out in plain decimal when the leading digit's
// exponent is within [-4, 16), otherwise as d.ddde±XX; a ".0" marks integral values.
std::string spell_double(double value) {
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view scientific{buffer, static_cast<std::size_t>(written.ptr - buffer)};
    const bool negative = scientific.front() == '-';
    const std::size_t e = scientific.find('e');
    std::string digits{scientific.substr(negative ? 1 : 0, e - (negative ? 1 : 0))};
    if (digits.size() > 1) {
        digits.erase(1, 1);  // the point after the first digit
    }
    const int exponent = std::atoi(std::string{scientific.substr(e + 1)}.c_str());
    std::string out = negative ? "-" : "";
    if (exponent < -4 || exponent >= 16) {
        out += digits.substr(0, 1);
        if (digits.size() > 1) {
            out += "." + digits.substr(1);
        }
        return out + fmt::format("e{}{:02}", exponent < 0 ? '-' : '+', std::abs(exponent));
    }
    if (exponent < 0) {
        return out + "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    const auto units = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= units) {
        return out + digits + std::string(units - digits.size(), '0') + ".0";
    }
    return out + digits.substr(0, units) + "." + digits.substr(units);
}

// Builds RapidJSON's DOM from its reader, converting each number from its text here; refuses
// (stops the reader) on a number beyond any double and on a string or key that is not UTF-8 (an
// escaped lone surrogate), wherever it stands, even in a member a later duplicate replaces.
class NumberConvertingHandler {
public:
    explicit NumberConvertingHandler(rapidjson::Document& document) : document_(document) {}

    bool Null() { return document_.Null(); }
    bool Bool(bool value) { return document_.Bool(value); }
    bool Int(int) { __builtin_trap(); }  // numbers arrive as text
    bool Uint(unsigned) { __builtin_trap(); }
    bool Int64(std::int64_t) { __builtin_trap(); }
    bool Uint64(std::uint64_t) { __builtin_trap(); }
    bool Double(double) { __builtin_trap(); }
    bool RawNumber(const char* data, rapidjson::SizeType length, bool) {
        const std::string text{data, length};
        if (text.find_first_of(".eE") == std::string::npos) {
            std::int64_t negative = 0;
            std::uint64_t positive = 0;
            if (text.front() == '-' ? read_integer(text, negative) : read_integer(text, positive)) {
                return text.front() == '-' ? document_.Int64(negative) : document_.Uint64(positive);
            }
        }
        const double value = std::strtod(text.c_str(), nullptr);
        return !std::isinf(value) && document_.Double(value);
    }
    bool String(const char* data, rapidjson::SizeType length, bool copy) {
        return tamri::fuzz::is_utf8({data, length}) && document_.String(data, length, copy);
    }
    bool StartObject() { return document_.StartObject(); }
    bool Key(const char* data, rapidjson::SizeType length, bool copy) {
        return tamri::fuzz::is_utf8({data, length}) && document_.Key(data, length, copy);
    }
    bool EndObject(rapidjson::SizeType count) { return document_.EndObject(count); }
    bool StartArray() { return document_.StartArray(); }
    bool EndArray(rapidjson::SizeType count) { return document_.EndArray(count); }

private:
    template <class Integer>
    static bool read_integer(std::string_view text, Integer& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc{} && end == text.data() + text.size();
    }

    rapidjson::Document& document_;
};

enum class Rewrite { written, not_json, too_deep };

void append_number(std::string& out, const rapidjson::Value& value) {
    if (value.IsUint64()) {
        out += std::to_string(value.GetUint64());
    } else if (value.IsInt64()) {
        out += std::to_string(value.GetInt64());
    } else {
        out += spell_double(value.GetDouble());
    }
}

Rewrite rewrite(const rapidjson::Value& value, std::string& out, std::size_t depth);

Rewrite rewrite_array(const rapidjson::Value& array, std::string& out, std::size_t depth) {
    out.push_back('[');
    for (rapidjson::SizeType i = 0; i < array.Size(); ++i) {
        out += i == 0 ? "" : ",";
        if (const Rewrite result = rewrite(array[i], out, depth + 1); result != Rewrite::written) {
            return result;
        }
    }
    out.push_back(']');
    return Rewrite::written;
}

Rewrite rewrite_object(const rapidjson::Value& object, std::string& out, std::size_t depth) {
    std::map<std::string, const rapidjson::Value*> members;  // a later duplicate replaces the earlier
    for (auto it = object.MemberBegin(); it != object.MemberEnd(); ++it) {
        members[std::string{string_of(it->name)}] = &it->value;
    }
    out.push_back('{');
    bool first = true;
    for (const auto& [key, member] : members) {
        out += first ? "" : ",";
        first = false;
        append_escaped(out, key);
        out.push_back(':');
        if (const Rewrite result = rewrite(*member, out, depth + 1); result != Rewrite::written) {
            return result;
        }
    }
    out.push_back('}');
    return Rewrite::written;
}

Rewrite rewrite(const rapidjson::Value& value, std::string& out, std::size_t depth) {
    if (depth > max_compared_depth) {
        return Rewrite::too_deep;
    }
    switch (value.GetType()) {
        case rapidjson::kNullType: out += "null"; break;
        case rapidjson::kFalseType: out += "false"; break;
        case rapidjson::kTrueType: out += "true"; break;
        case rapidjson::kNumberType: append_number(out, value); break;
        case rapidjson::kStringType: append_escaped(out, string_of(value)); break;
        case rapidjson::kArrayType: return rewrite_array(value, out, depth);
        case rapidjson::kObjectType: return rewrite_object(value, out, depth);
    }
    return Rewrite::written;
}

// The canonical text, nothing when the bytes have none, or nothing to compare when too deep.
Rewrite canonical_rewriting(std::string_view bytes, std::string& out) {
    if (bytes.find('\0') != std::string_view::npos) {
        return Rewrite::not_json;  // JSON text never holds a raw NUL; RapidJSON would stop there
    }
    constexpr unsigned flags =
        rapidjson::kParseValidateEncodingFlag | rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseIterativeFlag;
    bool parsed = false;
    auto parse = [bytes, &parsed](rapidjson::Document& handler) {
        // Not a StringStream: its UTF-8 check reads past the end of a truncated last character.
        rapidjson::MemoryStream stream{bytes.data(), bytes.size()};
        NumberConvertingHandler numbers{handler};
        parsed = !rapidjson::Reader{}.Parse<flags>(stream, numbers).IsError();
        return parsed;
    };
    rapidjson::Document document;
    document.Populate(parse);
    if (!parsed) {
        return Rewrite::not_json;
    }
    return rewrite(document, out, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::string_view> input = tamri::fuzz::fuzz_input(data, size);
    if (!input) {
        return 0;
    }
    const std::string_view bytes = *input;
    const std::string digest = tamri::sha256_canonical_json_digest(bytes);
    const std::optional<std::string> canonical = tamri::canonical_json_text(bytes);
    std::string expected;
    switch (canonical_rewriting(bytes, expected)) {
        case Rewrite::too_deep: return 0;
        case Rewrite::not_json:
            require(!canonical.has_value());
            require(digest == tamri::sha256_bytes_digest(bytes));
            return 0;
        case Rewrite::written: break;
    }
    require(canonical == expected);
    require(digest == tamri::sha256_bytes_digest(expected));
    require(tamri::canonical_json_text(expected) == expected);
    return 0;
}
