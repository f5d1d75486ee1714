#include "tamri/digest/sha256.hpp"

#include "tamri/json/decode.hpp"
#include "tamri/json/number.hpp"
#include "tamri/json/writer.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <openssl/evp.h>

namespace tamri {
namespace {

constexpr std::size_t sha256_size = 32;
constexpr std::string_view lower_hex_digits = "0123456789abcdef";

// Canonical bytes are handed on in pieces of about this size, so a digest never holds the
// whole canonical text.
constexpr std::size_t canonical_chunk_bytes = 64U * 1024U;

[[noreturn]] void throw_sha256_failure() {
    throw std::runtime_error("SHA-256 computation failed");
}

// The index one past each value's last event: after the matching end for an object or an array.
std::vector<std::uint32_t> value_ends(std::span<const json::Event> events) {
    std::vector<std::uint32_t> ends(events.size());
    std::vector<std::uint32_t> open;
    for (std::uint32_t i = 0; i < events.size(); ++i) {
        ends[i] = i + 1;
        switch (events[i].kind) {
            case json::EventKind::begin_object:
            case json::EventKind::begin_array: open.push_back(i); break;
            case json::EventKind::end_object:
            case json::EventKind::end_array:
                ends[open.back()] = i + 1;
                open.pop_back();
                break;
            default: break;
        }
    }
    return ends;
}

// One open array or object of the walk: the events of its elements, or of its members' keys in
// canonical order. An explicit stack keeps deep documents off the call stack.
struct OpenContainer {
    std::vector<std::uint32_t> items;
    std::size_t next = 0;
    bool is_object = false;
};

// Writes the canonical form of a document from its events, handing the text on in pieces.
class CanonicalWriter {
public:
    explicit CanonicalWriter(std::span<const json::Event> events) : events_(events), ends_(value_ends(events)) {}

    template <class Consume>
    void write(Consume&& consume) {
        value(0);
        while (!open_.empty()) {
            if (out_.size() >= canonical_chunk_bytes) {
                consume(std::string_view{out_});
                out_.clear();
            }
            OpenContainer& top = open_.back();
            if (top.next == top.items.size()) {
                out_.push_back(top.is_object ? '}' : ']');
                open_.pop_back();
                continue;
            }
            if (top.next > 0) {
                out_.push_back(',');
            }
            const std::uint32_t item = top.items[top.next++];
            if (top.is_object) {
                json::append_json_string(out_, events_[item].text);
                out_.push_back(':');
                value(item + 1);  // may grow `open_`; `top` is not used afterwards
            } else {
                value(item);
            }
        }
        consume(std::string_view{out_});
    }

private:
    void value(std::uint32_t first) {
        const json::Event& event = events_[first];
        switch (event.kind) {
            case json::EventKind::null: out_ += "null"; break;
            case json::EventKind::boolean: out_ += event.boolean ? "true" : "false"; break;
            case json::EventKind::unsigned_integer:
                fmt::format_to(std::back_inserter(out_), "{}", event.unsigned_value);
                break;
            case json::EventKind::signed_integer:
                fmt::format_to(std::back_inserter(out_), "{}", event.signed_value);
                break;
            case json::EventKind::floating: out_ += json::format_canonical_floating(event.floating_value); break;
            case json::EventKind::string: json::append_json_string(out_, event.text); break;
            case json::EventKind::begin_array:
                out_.push_back('[');
                open_.push_back({elements(first), 0, false});
                break;
            case json::EventKind::begin_object:
                out_.push_back('{');
                open_.push_back({canonical_members(first), 0, true});
                break;
            default: break;  // a closing event never starts a value
        }
    }

    std::vector<std::uint32_t> elements(std::uint32_t array) const {
        std::vector<std::uint32_t> items;
        for (std::uint32_t i = array + 1; events_[i].kind != json::EventKind::end_array; i = ends_[i]) {
            items.push_back(i);
        }
        return items;
    }

    // Keys in ascending byte order; of a repeated key only the last one stays.
    std::vector<std::uint32_t> canonical_members(std::uint32_t object) const {
        std::vector<std::uint32_t> keys;
        for (std::uint32_t i = object + 1; events_[i].kind != json::EventKind::end_object; i = ends_[i + 1]) {
            keys.push_back(i);
        }
        std::stable_sort(keys.begin(), keys.end(),
                         [this](std::uint32_t a, std::uint32_t b) { return events_[a].text < events_[b].text; });
        std::vector<std::uint32_t> unique;
        unique.reserve(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (i + 1 == keys.size() || events_[keys[i]].text != events_[keys[i + 1]].text) {
                unique.push_back(keys[i]);
            }
        }
        return unique;
    }

    std::span<const json::Event> events_;
    std::vector<std::uint32_t> ends_;
    std::vector<OpenContainer> open_;
    std::string out_;
};

// Reads the document with the decoder's reader, so every reader of JSON text in the core accepts
// exactly the same texts; false for bytes that are not one JSON document.
template <class Consume>
bool write_canonical_json(std::string_view json, Consume&& consume) {
    const json::Cursor cursor{json};
    const std::span<const json::Event> events = cursor.events();
    if (events.back().kind == json::EventKind::syntax_error) {
        return false;
    }
    CanonicalWriter{events}.write(std::forward<Consume>(consume));
    return true;
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
    std::string text;
    if (!write_canonical_json(json, [&text](std::string_view piece) { text += piece; })) {
        return std::nullopt;
    }
    return text;
}

std::string sha256_canonical_json_digest(std::string_view json) {
    Sha256 sha;
    if (!write_canonical_json(json, [&sha](std::string_view piece) { sha.update(piece); })) {
        return sha256_bytes_digest(json);
    }
    return sha.finish();
}

}  // namespace tamri
