#pragma once

// The outcome of an operation that may fail for content: a value, or the error that says why. The
// package walk never throws for what it finds, so its failures travel as these values.

#include <optional>
#include <utility>
#include <variant>

namespace tamri {

template <class T, class Error>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}

    [[nodiscard]] bool ok() const noexcept { return state_.index() == 0; }
    [[nodiscard]] T& value() & { return std::get<0>(state_); }
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    // The error, or null on success.
    [[nodiscard]] const Error* error() const noexcept { return std::get_if<1>(&state_); }

private:
    std::variant<T, Error> state_;
};

// Success carries nothing; a default-constructed result is a success.
template <class Error>
class [[nodiscard]] Result<void, Error> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)) {}

    [[nodiscard]] bool ok() const noexcept { return !error_.has_value(); }
    [[nodiscard]] const Error* error() const noexcept { return error_ ? &*error_ : nullptr; }

private:
    std::optional<Error> error_;
};

}  // namespace tamri
