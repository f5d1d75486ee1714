#include "tamri/json/index.hpp"

#include "tamri/text/utf8.hpp"

#include <fmt/format.h>

namespace tamri::json {

std::vector<std::uint32_t> JsonIndex::members(std::uint32_t container) const {
    std::vector<std::uint32_t> found;
    for (std::uint32_t slot = containers_[container].first_slot; slot != none; slot = slots_[slot].next) {
        found.push_back(slot);
    }
    return found;
}

std::optional<std::uint32_t> JsonIndex::find_member(std::string_view text, std::uint32_t object,
                                                    std::string_view key) const {
    for (std::uint32_t slot = containers_[object].first_slot; slot != none; slot = slots_[slot].next) {
        if (JsonIndex::key(text, slots_[slot]) == key) {
            return slot;
        }
    }
    return std::nullopt;
}

void JsonIndex::reserve(std::size_t slots, std::size_t containers) {
    slots_.reserve(slots);
    containers_.reserve(containers);
}

std::uint32_t JsonIndex::add_slot(std::size_t begin, std::size_t value_begin) {
    const auto id = static_cast<std::uint32_t>(slots_.size());
    slots_.push_back(Slot{begin, value_begin, value_begin, none, none});
    Container& open = containers_[open_.back()];
    if (open.last_slot == none) {
        open.first_slot = id;
    } else {
        slots_[open.last_slot].next = id;
    }
    open.last_slot = id;
    return id;
}

void JsonIndex::begin_member(std::string_view text, std::size_t begin) {
    const std::uint32_t previous = containers_[open_.back()].last_slot;
    const std::uint32_t id = add_slot(begin, text.size());
    if (previous != none && !key_precedes(key(text, slots_[previous]), key(text, slots_[id]))) {
        containers_[open_.back()].canonical_as_written = false;
    }
}

void JsonIndex::begin_element(std::size_t offset) {
    add_slot(offset, offset);
}

void JsonIndex::end_single_value(std::size_t offset) {
    if (!open_.empty()) {
        slots_[containers_[open_.back()].last_slot].end = offset;
    }
}

void JsonIndex::begin_container(bool is_object) {
    const auto id = static_cast<std::uint32_t>(containers_.size());
    if (!open_.empty()) {
        slots_[containers_[open_.back()].last_slot].container = id;
    }
    containers_.push_back(Container{none, none, is_object, true});
    open_.push_back(id);
}

void JsonIndex::end_container(std::size_t offset) {
    const bool canonical = containers_[open_.back()].canonical_as_written;
    open_.pop_back();
    if (!open_.empty()) {
        Container& parent = containers_[open_.back()];
        slots_[parent.last_slot].end = offset;
        parent.canonical_as_written = parent.canonical_as_written && canonical;
    }
}

void JsonIndex::respell_floating() {
    if (!open_.empty()) {
        Container& open = containers_[open_.back()];
        slots_[open.last_slot].container = respelled;
        open.canonical_as_written = false;
    }
}

void JsonIndex::check_non_ascii_string(std::size_t offset, std::string_view value) {
    if (failure_) {
        return;
    }
    if (const std::optional<text::Utf8Error> error = text::first_utf8_error(value)) {
        failure_ = fmt::format("string at byte {} is not valid UTF-8: {}", offset, text::describe_utf8_error(*error));
    }
}

}  // namespace tamri::json
