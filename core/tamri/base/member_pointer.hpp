#pragma once

// Pointers to data members taken apart into their record and value types, for the code generated
// from field lists.

namespace tamri {

// The record type a pointer to data member belongs to, for code generated from field lists
// (strict JSON decoders, Python attributes).
template <class MemberPointer>
struct member_pointer_traits;

template <class Record, class Value>
struct member_pointer_traits<Value Record::*> {
    using record = Record;
    using value = Value;
};

template <auto Member>
using member_record_t = typename member_pointer_traits<decltype(Member)>::record;

template <auto Member>
using member_value_t = typename member_pointer_traits<decltype(Member)>::value;

}  // namespace tamri
