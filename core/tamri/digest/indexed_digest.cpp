#include "tamri/digest/indexed_digest.hpp"

#include "tamri/digest/sha256.hpp"
#include "tamri/json/number.hpp"

#include <algorithm>
#include <charconv>
#include <utility>

namespace tamri {
namespace {

// Small pieces (keys, counts, punctuation) are gathered before they reach SHA-256; pieces of at
// least `direct_piece_bytes` (sequences, token arrays, rows) go in straight from the text.
constexpr std::size_t gathered_bytes = 16U * 1024U;
constexpr std::size_t direct_piece_bytes = 256;

// A number as the writer spelled it, in the canonical spelling.
std::string canonical_floating(std::string_view written) {
    double value = 0.0;
    std::from_chars(written.data(), written.data() + written.size(), value);
    return json::format_canonical_floating(value);
}

class CanonicalFeed {
public:
    CanonicalFeed(std::string_view text, const json::JsonIndex& index) : text_(text), index_(index) {
        pending_.reserve(gathered_bytes + direct_piece_bytes);
    }

    std::string object_digest(std::vector<std::uint32_t> members) {
        order_ = std::move(members);
        object(0);
        sha_.update(pending_);
        return sha_.finish();
    }

private:
    [[nodiscard]] std::string_view key(std::uint32_t slot) const {
        return json::JsonIndex::key(text_, index_.slots()[slot]);
    }

    void piece(std::string_view bytes) {
        if (bytes.size() >= direct_piece_bytes) {
            sha_.update(pending_);
            pending_.clear();
            sha_.update(bytes);
            return;
        }
        pending_.append(bytes);
        if (pending_.size() >= gathered_bytes) {
            sha_.update(pending_);
            pending_.clear();
        }
    }

    // A member (key included) or an element: as written, unless its container must be reordered.
    void slot(std::uint32_t id) {
        const json::JsonIndex::Slot& slot = index_.slots()[id];
        if (slot.container == json::JsonIndex::none || (slot.container != json::JsonIndex::respelled &&
                                                        index_.containers()[slot.container].canonical_as_written)) {
            piece(text_.substr(slot.begin, slot.end - slot.begin));
            return;
        }
        piece(text_.substr(slot.begin, slot.value_begin - slot.begin));
        if (slot.container == json::JsonIndex::respelled) {
            piece(canonical_floating(text_.substr(slot.value_begin, slot.end - slot.value_begin)));
        } else {
            container(slot.container);
        }
    }

    void container(std::uint32_t id) {
        const json::JsonIndex::Container& container = index_.containers()[id];
        if (container.is_object) {
            const std::size_t start = order_.size();
            for (std::uint32_t s = container.first_slot; s != json::JsonIndex::none; s = index_.slots()[s].next) {
                order_.push_back(s);
            }
            object(start);
            return;
        }
        piece("[");
        for (std::uint32_t s = container.first_slot; s != json::JsonIndex::none; s = index_.slots()[s].next) {
            if (s != container.first_slot) {
                piece(",");
            }
            slot(s);
        }
        piece("]");
    }

    // The members in order_[start, end), sorted by key. Nested objects use order_ beyond `end`
    // and leave it as they found it.
    void object(std::size_t start) {
        const std::size_t end = order_.size();
        // std::sort does not allocate; keys within one object are distinct.
        std::sort(order_.begin() + static_cast<std::ptrdiff_t>(start), order_.end(),
                  [this](std::uint32_t a, std::uint32_t b) { return json::JsonIndex::key_precedes(key(a), key(b)); });
        piece("{");
        for (std::size_t i = start; i < end; ++i) {
            if (i > start) {
                piece(",");
            }
            slot(order_[i]);
        }
        piece("}");
        order_.resize(start);
    }

    std::string_view text_;
    const json::JsonIndex& index_;
    Sha256 sha_;
    std::string pending_;
    std::vector<std::uint32_t> order_;
};

}  // namespace

std::string sha256_canonical_json_members_digest(std::string_view text, const json::JsonIndex& index,
                                                 std::vector<std::uint32_t> members) {
    return CanonicalFeed{text, index}.object_digest(std::move(members));
}

}  // namespace tamri
