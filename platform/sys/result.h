// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The one way a reader of outside input (page files and their records, bitmaps, form files,
// settings values, page lists, command-line values) answers: a value, or an error with the
// reason a user is shown. Shaped after std::expected, which our standard library does not have
// in C++20:
//
//   Result<int> r = ParsePageNumber(text);
//   if (!r) return Error{"page list: " + r.error().reason};
//   use(*r);
//
// Result<void> is a plain success or an error.

#include <string>
#include <utility>
#include <variant>

namespace quillon {

struct Error {
    std::string reason;
};

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit on purpose
    Result(Error error) : v_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    bool has_value() const { return ok(); }

    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    T&& value() && { return std::get<0>(std::move(v_)); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    template <class U>
    T value_or(U&& fallback) const& {
        return ok() ? value() : static_cast<T>(std::forward<U>(fallback));
    }

    const Error& error() const { return std::get<1>(v_); }
    // The reason, or "" when there is a value.
    const std::string& reason() const {
        static const std::string none;
        return ok() ? none : error().reason;
    }

private:
    std::variant<T, Error> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Error error) : error_(std::move(error)), ok_(false) {}  // NOLINT

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    bool has_value() const { return ok_; }
    const Error& error() const { return error_; }
    const std::string& reason() const { return error_.reason; }

private:
    Error error_;
    bool ok_ = true;
};

// Success of a Result<void>.
inline Result<void> Ok() { return {}; }

}  // namespace quillon
