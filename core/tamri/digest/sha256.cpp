#include "tamri/digest/sha256.hpp"

#include "tamri/json/number.hpp"
#include "tamri/json/writer.hpp"
#include "tamri/text/utf8.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <optional>
#include <stdexcept>
#include <variant>
#include <vector>

#include <fmt/format.h>
#include <openssl/evp.h>
#include <rapidjson/document.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

namespace tamri {
namespace {

constexpr std::size_t sha256_size = 32;
constexpr std::string_view lower_hex_digits = "0123456789abcdef";

// Canonical bytes are handed on in pieces of about this size, so a digest never holds the
// whole canonical text.
constexpr std::size_t canonical_chunk_bytes = 64U * 1024U;

// Strict JSON: valid UTF-8 only, numbers as text for read_json_number, and no recursion on deep
// nesting.
constexpr unsigned canonical_parse_flags =
    rapidjson::kParseValidateEncodingFlag | rapidjson::kParseNumbersAsStringsFlag | rapidjson::kParseIterativeFlag;

[[noreturn]] void throw_sha256_failure() {
    throw std::runtime_error("SHA-256 computation failed");
}

std::string_view string_of(const rapidjson::Value& value) {
    return {value.GetString(), value.GetStringLength()};
}

void append_canonical_number(std::string& out, const rapidjson::Value& value) {
    if (value.IsUint64()) {
        fmt::format_to(std::back_inserter(out), "{}", value.GetUint64());
    } else if (value.IsInt64()) {
        fmt::format_to(std::back_inserter(out), "{}", value.GetInt64());
    } else {
        // Shortest round-trip spelling; integral values keep a ".0" so they still read as
        // floating point.
        const std::size_t start = out.size();
        fmt::format_to(std::back_inserter(out), "{}", value.GetDouble());
        const std::string_view written = std::string_view{out}.substr(start);
        if (written.find_first_not_of("-0123456789") == std::string_view::npos) {
            out += ".0";
        }
    }
}

// Members in ascending byte order of their keys; of a repeated key only the last one stays.
std::vector<const rapidjson::Value::Member*> canonical_members(const rapidjson::Value& object) {
    std::vector<const rapidjson::Value::Member*> members;
    members.reserve(object.MemberCount());
    for (auto it = object.MemberBegin(); it != object.MemberEnd(); ++it) {
        members.push_back(&*it);
    }
    std::stable_sort(members.begin(), members.end(),
                     [](const auto* a, const auto* b) { return string_of(a->name) < string_of(b->name); });
    std::vector<const rapidjson::Value::Member*> unique;
    unique.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i + 1 < members.size() && string_of(members[i]->name) == string_of(members[i + 1]->name)) {
            continue;
        }
        unique.push_back(members[i]);
    }
    return unique;
}

// One open array or object of the walk; an explicit stack keeps deep documents off the call stack.
struct OpenContainer {
    const rapidjson::Value* value;
    std::vector<const rapidjson::Value::Member*> members;  // objects only
    std::size_t next = 0;
};

// Writes the canonical form of `root`, handing the text to `consume` in pieces.
template <class Consume>
void write_canonical_json(const rapidjson::Value& root, Consume&& consume) {
    std::string out;
    std::vector<OpenContainer> open;
    const auto write_value = [&out, &open](const rapidjson::Value& value) {
        switch (value.GetType()) {
            case rapidjson::kNullType: out += "null"; break;
            case rapidjson::kFalseType: out += "false"; break;
            case rapidjson::kTrueType: out += "true"; break;
            case rapidjson::kNumberType: append_canonical_number(out, value); break;
            case rapidjson::kStringType: json::append_json_string(out, string_of(value)); break;
            case rapidjson::kArrayType:
                out.push_back('[');
                open.push_back(OpenContainer{&value, {}, 0});
                break;
            case rapidjson::kObjectType:
                out.push_back('{');
                open.push_back(OpenContainer{&value, canonical_members(value), 0});
                break;
        }
    };

    write_value(root);
    while (!open.empty()) {
        if (out.size() >= canonical_chunk_bytes) {
            consume(std::string_view{out});
            out.clear();
        }
        OpenContainer& top = open.back();
        const bool is_object = top.value->IsObject();
        const std::size_t count = is_object ? top.members.size() : top.value->Size();
        if (top.next == count) {
            out.push_back(is_object ? '}' : ']');
            open.pop_back();
            continue;
        }
        if (top.next > 0) {
            out.push_back(',');
        }
        const std::size_t index = top.next++;
        if (is_object) {
            const rapidjson::Value::Member& member = *top.members[index];
            json::append_json_string(out, string_of(member.name));
            out.push_back(':');
            write_value(member.value);  // may grow `open`; `top` is not used afterwards
        } else {
            write_value((*top.value)[static_cast<rapidjson::SizeType>(index)]);
        }
    }
    consume(std::string_view{out});
}

// Builds the document from the reader's events. Numbers are read by read_json_number; a number
// beyond every double stops the reader, and so does a string that is not UTF-8 (RapidJSON 1.1
// decodes an escaped lone trailing surrogate, \udc00, into such bytes), as they do the decoder.
class DocumentBuilder {
public:
    explicit DocumentBuilder(rapidjson::Document& document) : document_(document) {}

    bool Null() { return document_.Null(); }
    bool Bool(bool value) { return document_.Bool(value); }
    // The reader's interface; with numbers read as text only RawNumber is called.
    bool Int(int value) { return document_.Int(value); }
    bool Uint(unsigned value) { return document_.Uint(value); }
    bool Int64(std::int64_t value) { return document_.Int64(value); }
    bool Uint64(std::uint64_t value) { return document_.Uint64(value); }
    bool Double(double value) { return document_.Double(value); }
    bool RawNumber(const char* data, rapidjson::SizeType length, bool) {
        const std::optional<json::JsonNumber> number = json::read_json_number({data, length});
        if (!number) {
            return false;
        }
        if (const auto* unsigned_value = std::get_if<std::uint64_t>(&*number)) {
            return Uint64(*unsigned_value);
        }
        if (const auto* signed_value = std::get_if<std::int64_t>(&*number)) {
            return Int64(*signed_value);
        }
        return Double(std::get<double>(*number));
    }
    bool String(const char* data, rapidjson::SizeType length, bool copy) {
        return !text::first_utf8_error({data, length}) && document_.String(data, length, copy);
    }
    bool Key(const char* data, rapidjson::SizeType length, bool copy) {
        return !text::first_utf8_error({data, length}) && document_.Key(data, length, copy);
    }
    bool StartObject() { return document_.StartObject(); }
    bool EndObject(rapidjson::SizeType count) { return document_.EndObject(count); }
    bool StartArray() { return document_.StartArray(); }
    bool EndArray(rapidjson::SizeType count) { return document_.EndArray(count); }

private:
    rapidjson::Document& document_;
};

// Reads the bytes as they are: no byte order mark is skipped (RapidJSON's own in-memory parse
// skips each of its three bytes on its own, even alone), as in the decoder.
bool parse_json_document(std::string_view json, rapidjson::Document& document) {
    // RapidJSON takes a NUL byte for the end of its input; JSON never holds a raw one.
    if (json.find('\0') != std::string_view::npos) {
        return false;
    }
    bool parsed = false;
    const auto read = [json, &parsed](rapidjson::Document& target) {
        rapidjson::MemoryStream bytes{json.data(), json.size()};
        DocumentBuilder builder{target};
        parsed = !rapidjson::Reader{}.Parse<canonical_parse_flags>(bytes, builder).IsError();
        return parsed;
    };
    document.Populate(read);
    return parsed;
}

}  // namespace

void Sha256::ContextDeleter::operator()(evp_md_ctx_st* context) const noexcept {
    EVP_MD_CTX_free(context);
}

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
    if (!context_) {
        throw std::bad_alloc();
    }
    if (EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1) {
        throw_sha256_failure();
    }
}

void Sha256::update(std::string_view bytes) {
    if (!bytes.empty() && EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()) != 1) {
        throw_sha256_failure();
    }
}

std::string Sha256::finish() {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(context_.get(), digest.data(), &size) != 1 || size != sha256_size) {
        throw_sha256_failure();
    }
    std::string text;
    text.reserve(sha256_digest_prefix.size() + 2 * sha256_size);
    text += sha256_digest_prefix;
    for (std::size_t i = 0; i < sha256_size; ++i) {
        text.push_back(lower_hex_digits[digest[i] >> 4U]);
        text.push_back(lower_hex_digits[digest[i] & 0x0FU]);
    }
    return text;
}

std::string sha256_bytes_digest(std::string_view bytes) {
    Sha256 sha;
    sha.update(bytes);
    return sha.finish();
}

std::optional<std::string> canonical_json_text(std::string_view json) {
    rapidjson::Document document;
    if (!parse_json_document(json, document)) {
        return std::nullopt;
    }
    std::string text;
    write_canonical_json(document, [&text](std::string_view piece) { text += piece; });
    return text;
}

std::string sha256_canonical_json_digest(std::string_view json) {
    rapidjson::Document document;
    if (!parse_json_document(json, document)) {
        return sha256_bytes_digest(json);
    }
    Sha256 sha;
    write_canonical_json(document, [&sha](std::string_view piece) { sha.update(piece); });
    return sha.finish();
}

}  // namespace tamri
