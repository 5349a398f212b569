// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Exceptions of the platform layer and the conversions that raise them.
// The application's default exception handler shows Message() in a box.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillon {

class Exception : public std::runtime_error {
  public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Text that must be a number and is not.
class EConvertError : public Exception {
  public:
    using Exception::Exception;
};

// An operation that the object's state does not allow (a modal form shown twice,
// focusing a hidden control).
class EInvalidOperation : public Exception {
  public:
    using Exception::Exception;
};

// Naming and ownership faults of components (duplicate or malformed names).
class EComponentError : public Exception {
  public:
    using Exception::Exception;
};

// A list index outside the list.
class EListError : public Exception {
  public:
    using Exception::Exception;
};

// Decimal text to integer: optional sign, optional '$' or "0x" for hexadecimal,
// surrounding blanks allowed. Anything else, or a value outside 32 bits, raises
// EConvertError "'text' is not a valid integer value".
int StrToInt(std::string_view text);
// Same rules; returns `fallback` instead of raising.
int StrToIntDef(std::string_view text, int fallback);
// Same rules; false (and `value` untouched) instead of raising.
bool TryStrToInt(std::string_view text, int& value);

std::string IntToStr(std::int64_t value);
// The shortest decimal text that reads back as the same double ("100", "75.5", "0.1").
std::string FloatToStr(double value);

// Upper and lower case of the ASCII letters only; every other byte unchanged.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// Case-insensitive comparison of ASCII letters (names of components, classes,
// properties and identifiers).
bool SameText(std::string_view a, std::string_view b);

// A moment as text in the user's locale (LC_TIME): the short date ("%x", for example
// "12/08/26") and the long time ("%X", for example "17:05:09"). `when` is seconds since
// the epoch, local time.
std::string DateToStr(std::int64_t when);
std::string TimeToStr(std::int64_t when);
// Seconds since the epoch now.
std::int64_t Now();

}  // namespace quillon
