#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kestrova {

// The one rule that turns stored text into an integer: optional leading blanks, an optional
// sign, then decimal digits or a hex prefix ("$", "x", "X", "0x", "0X") with 1 to 8 hex
// digits (the 32-bit pattern, so "$FFFFFFFF" is -1); nothing may follow.

// Strict form: throws Error "'<text>' is not a valid integer value".
int32_t IntegerText(const std::string& text);
// Defaulting form: the caller's default when the text breaks the rule.
int32_t IntegerText(const std::string& text, int32_t defaultValue);
std::optional<int32_t> TryIntegerText(const std::string& text);

// The same rule read as a 64-bit integer: decimal within signed 64 bits, 1 to 16 hex digits.
int64_t IntegerText64(const std::string& text, int64_t defaultValue);
std::optional<int64_t> TryIntegerText64(const std::string& text);

}  // namespace kestrova
