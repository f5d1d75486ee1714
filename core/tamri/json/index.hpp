#pragma once

// Where each value of a compact JSON text lies, recorded while JsonWriter writes it, so that digests
// can read the text again in canonical member order without parsing it.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::json {

// Where the values of one compact JSON text lie, recorded by JsonWriter while it writes, so that
// the text can be read again with its object members in another order without being parsed.
// Scalars and byte arrays are single values; only objects and other arrays are containers.
class JsonIndex {
public:
    static constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
    static constexpr std::uint32_t respelled = none - 1;

    // One object member, from the opening quote of its key, or one array element.
    struct Slot {
        std::size_t begin = 0;
        std::size_t value_begin = 0;
        std::size_t end = 0;
        // The value's container; none for single values, respelled for a number whose canonical
        // spelling differs from the written one.
        std::uint32_t container = none;
        std::uint32_t next = none;  // the next slot of the same container
    };

    struct Container {
        std::uint32_t first_slot = none;
        std::uint32_t last_slot = none;
        bool is_object = false;
        // True for arrays and for objects whose keys strictly ascend, when every value inside is
        // canonical as written too: then the written text is already the canonical form.
        bool canonical_as_written = true;
    };

    [[nodiscard]] const std::vector<Slot>& slots() const noexcept { return slots_; }
    [[nodiscard]] const std::vector<Container>& containers() const noexcept { return containers_; }

    // Why the text is not JSON that can be read back: the first string that was not valid UTF-8.
    [[nodiscard]] const std::optional<std::string>& failure() const noexcept { return failure_; }

    // The key of a member slot as written (keys of this system are plain names, written as is).
    [[nodiscard]] static std::string_view key(std::string_view text, const Slot& member) noexcept {
        return text.substr(member.begin + 1, member.value_begin - member.begin - 3);
    }

    // The byte order of keys that the canonical form sorts by; most keys differ in their first byte.
    [[nodiscard]] static bool key_precedes(std::string_view a, std::string_view b) noexcept {
        if (!a.empty() && !b.empty() && a.front() != b.front()) {
            return static_cast<unsigned char>(a.front()) < static_cast<unsigned char>(b.front());
        }
        return a < b;
    }

    // The slots of a container in written order.
    [[nodiscard]] std::vector<std::uint32_t> members(std::uint32_t container) const;
    [[nodiscard]] std::optional<std::uint32_t> find_member(std::string_view text, std::uint32_t object,
                                                           std::string_view key) const;

    void reserve(std::size_t slots, std::size_t containers);

    // Recording, called by JsonWriter in writing order. `text` is everything written so far.
    void begin_member(std::string_view text, std::size_t begin);
    void begin_element(std::size_t offset);
    void end_single_value(std::size_t offset);
    void begin_container(bool is_object);
    void end_container(std::size_t offset);
    // For the floating-point number just written, when canonical JSON spells it otherwise.
    void respell_floating();
    // For a string written at `offset` that holds bytes above 0x7F.
    void check_non_ascii_string(std::size_t offset, std::string_view value);

private:
    std::uint32_t add_slot(std::size_t begin, std::size_t value_begin);

    std::vector<Slot> slots_;
    std::vector<Container> containers_;
    std::vector<std::uint32_t> open_;
    std::optional<std::string> failure_;
};

}  // namespace tamri::json
