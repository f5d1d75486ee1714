#pragma once

// Records read from and written as JSON objects, declared once.
//
// A record type declares its JSON form with one function beside it, found by
// argument-dependent lookup:
//
//     constexpr auto json_schema(std::type_identity<VocabToken>) {
//         return json::record_schema<VocabToken>("struct VocabToken", json::UnknownFields::ignore,
//                                                json::field<&VocabToken::residue>("residue"),
//                                                json::field<&VocabToken::token_id>("token_id"));
//     }
//
// Each field picks its decoder and writer from the member's type: text, bool, char32_t, u8,
// u64, double (written as null when not finite), std::optional (optional key; null means
// absent), std::vector (JSON array; of u8 written a chunk at a time), an enumeration with an
// `enum_table`, or another record with a `json_schema`. `write_value` writes any of them and
// `json_text` gives its text: the one way the core writes JSON. A member whose JSON form differs from its type's (such
// as a `std::size_t` named "usize" in messages) names its decoder explicitly: `json::field<&Shape::weight,
// &json::decode_usize>("weight")`. An optional member is written as null when absent unless its field says
// `json::Absent::omitted` (the key is then left out).

#include "tamri/base/member_pointer.hpp"
#include "tamri/json/decode.hpp"
#include "tamri/json/writer.hpp"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tamri::json {

enum class Presence : bool { required, optional };
enum class UnknownFields : bool { reject, ignore };
// How an absent optional member is written.
enum class Absent : bool { null, omitted };

template <typename Record>
struct Field {
    std::string_view name;
    Presence presence;
    void (*decode)(Cursor&, Record&);
    void (*write)(JsonWriter&, const Record&);
    bool (*omitted)(const Record&) = nullptr;  // set for keys left out when their value is absent
};

// A record's whole JSON form. Fields are listed in the order they are written, which is also
// the order "unknown field" messages list them in and "missing field" checks them in.
template <typename Record, std::size_t N>
struct RecordSchema {
    std::string_view expected;  // how type errors name the record, e.g. "struct Vocabulary"
    UnknownFields unknown_fields;
    std::array<Field<Record>, N> fields;
};

template <class Record>
concept JsonRecord = requires {
    json_schema(std::type_identity<Record>{});
};

// The schema of `Record`, with static storage.
template <JsonRecord Record>
inline constexpr auto record_schema_of = json_schema(std::type_identity<Record>{});

template <typename Record, typename... Fields>
[[nodiscard]] constexpr RecordSchema<Record, sizeof...(Fields)> record_schema(std::string_view expected,
                                                                              UnknownFields unknown_fields,
                                                                              Fields... fields) {
    return {expected, unknown_fields, {fields...}};
}

namespace detail {
template <class T>
struct is_optional : std::false_type {};
template <class T>
struct is_optional<std::optional<T>> : std::true_type {};
template <class T>
struct is_vector : std::false_type {};
template <class T>
struct is_vector<std::vector<T>> : std::true_type {};
template <class>
inline constexpr bool unsupported = false;
}  // namespace detail

template <JsonRecord Record>
[[nodiscard]] Record decode_record(Cursor& cursor);
template <JsonRecord Record>
void write_record(JsonWriter& writer, const Record& record);

// The decoder a value of type T takes by default.
template <class T>
[[nodiscard]] T decode_value(Cursor& cursor) {
    if constexpr (std::is_same_v<T, std::string>) {
        return decode_string(cursor);
    } else if constexpr (std::is_same_v<T, bool>) {
        return decode_bool(cursor);
    } else if constexpr (std::is_same_v<T, char32_t>) {
        return decode_char(cursor);
    } else if constexpr (std::is_same_v<T, std::uint8_t>) {
        return decode_u8(cursor);
    } else if constexpr (std::is_same_v<T, std::uint64_t>) {
        return decode_u64(cursor);
    } else if constexpr (std::is_same_v<T, double>) {
        return decode_f64(cursor);
    } else if constexpr (detail::is_optional<T>::value) {
        return decode_optional<&decode_value<typename T::value_type>>(cursor);
    } else if constexpr (detail::is_vector<T>::value) {
        return decode_list<&decode_value<typename T::value_type>>(cursor);
    } else if constexpr (Enumerated<T>) {
        return decode_enum<T>(cursor);
    } else if constexpr (JsonRecord<T>) {
        return decode_record<T>(cursor);
    } else {
        static_assert(detail::unsupported<T>, "no JSON decoder for this type");
    }
}

// The compact JSON form of a value of type T.
template <class T>
void write_value(JsonWriter& writer, const T& value) {
    if constexpr (std::is_same_v<T, std::string>) {
        writer.string(value);
    } else if constexpr (std::is_same_v<T, bool>) {
        writer.boolean(value);
    } else if constexpr (std::is_same_v<T, char32_t>) {
        writer.character(value);
    } else if constexpr (std::is_same_v<T, std::uint8_t> || std::is_same_v<T, std::uint64_t>) {
        writer.unsigned_integer(value);
    } else if constexpr (std::is_same_v<T, double>) {
        writer.floating(value);
    } else if constexpr (detail::is_optional<T>::value) {
        if (value) {
            write_value(writer, *value);
        } else {
            writer.null();
        }
    } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
        writer.byte_array(value);
    } else if constexpr (detail::is_vector<T>::value) {
        writer.begin_array();
        for (const auto& item : value) {
            write_value(writer, item);
        }
        writer.end_array();
    } else if constexpr (Enumerated<T>) {
        writer.string(enum_text(value));
    } else if constexpr (JsonRecord<T>) {
        write_record(writer, value);
    } else {
        static_assert(detail::unsupported<T>, "no JSON writer for this type");
    }
}

template <auto Member, auto Decode>
void decode_member(Cursor& cursor, member_record_t<Member>& record) {
    record.*Member = Decode(cursor);
}

template <auto Member>
void write_member(JsonWriter& writer, const member_record_t<Member>& record) {
    write_value(writer, record.*Member);
}

template <auto Member>
bool member_absent(const member_record_t<Member>& record) {
    return !(record.*Member).has_value();
}

// One key of a record. Optional members are optional keys; everything else is required
// unless `presence` says otherwise (the member then keeps its default when the key is absent).
template <auto Member, auto Decode = &decode_value<member_value_t<Member>>>
[[nodiscard]] constexpr Field<member_record_t<Member>> field(
    std::string_view name,
    Presence presence = detail::is_optional<member_value_t<Member>>::value ? Presence::optional : Presence::required) {
    return {name, presence, &decode_member<Member, Decode>, &write_member<Member>};
}

// One optional key, written as null or left out when the value is absent.
template <auto Member, auto Decode = &decode_value<member_value_t<Member>>>
[[nodiscard]] constexpr Field<member_record_t<Member>> field(std::string_view name, Absent absent) {
    static_assert(detail::is_optional<member_value_t<Member>>::value, "only an optional member can be absent");
    Field<member_record_t<Member>> result = field<Member, Decode>(name);
    if (absent == Absent::omitted) {
        result.omitted = &member_absent<Member>;
    }
    return result;
}

// Decodes one JSON object into `Record`. Keys may come in any order; unknown, duplicate and
// missing required keys fail.
template <JsonRecord Record>
Record decode_record(Cursor& cursor) {
    constexpr const auto& schema = record_schema_of<Record>;
    constexpr std::size_t size = schema.fields.size();
    static_assert(size <= 64, "a record has at most 64 fields");
    static constexpr auto names = [] {
        std::array<std::string_view, size> result{};
        for (std::size_t i = 0; i < size; ++i) {
            result[i] = schema.fields[i].name;
        }
        return result;
    }();

    const Event& open = cursor.next();
    if (open.kind != EventKind::begin_object) {
        throw_invalid_type(open, schema.expected);
    }
    Record record{};
    std::uint64_t seen = 0;
    for (;;) {
        const Event& key = cursor.next();
        if (key.kind == EventKind::end_object) {
            for (std::size_t i = 0; i < size; ++i) {
                if (schema.fields[i].presence == Presence::required && (seen & (std::uint64_t{1} << i)) == 0) {
                    throw_missing_field(names[i], key.position);
                }
            }
            return record;
        }
        std::size_t index = 0;
        while (index < size && names[index] != key.text) {
            ++index;
        }
        if (index == size) {
            if (schema.unknown_fields == UnknownFields::reject) {
                throw_unknown_field(key, names);
            }
            cursor.skip_value();
            continue;
        }
        const std::uint64_t bit = std::uint64_t{1} << index;
        if ((seen & bit) != 0) {
            throw_duplicate_field(key);
        }
        seen |= bit;
        schema.fields[index].decode(cursor, record);
    }
}

// Writes every field in declaration order; absent optionals as null or not at all.
template <JsonRecord Record>
void write_record(JsonWriter& writer, const Record& record) {
    writer.begin_object();
    for (const auto& field : record_schema_of<Record>.fields) {
        if (field.omitted != nullptr && field.omitted(record)) {
            continue;
        }
        writer.key(field.name);
        field.write(writer, record);
    }
    writer.end_object();
}

// A record's text up to its last value: the opening brace, every other field and the last key, for
// a record whose last value is written piece by piece after it.
template <JsonRecord Record>
void write_record_head(JsonWriter& writer, const Record& record) {
    constexpr const auto& fields = record_schema_of<Record>.fields;
    writer.begin_object();
    for (std::size_t i = 0; i + 1 < fields.size(); ++i) {
        writer.key(fields[i].name);
        fields[i].write(writer, record);
    }
    writer.key(fields.back().name);
}

// The compact JSON text of one value.
template <class T>
[[nodiscard]] std::string json_text(const T& value) {
    JsonWriter writer;
    write_value(writer, value);
    return writer.take();
}

// A whole text as one record: only white space may follow it.
template <JsonRecord Record>
[[nodiscard]] Record decode_record_document(std::string_view text) {
    return decode_document<&decode_record<Record>>(text);
}

}  // namespace tamri::json
