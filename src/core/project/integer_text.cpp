#include "core/project/integer_text.h"

#include "core/project/error.h"


namespace kestrova {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads the text into an unsigned magnitude; `bits` is 32 or 64.
std::optional<int64_t> Parse(const std::string& text, int bits) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;

    if (hex) {
        const size_t digits = text.size() - i;
        if (digits > static_cast<size_t>(bits / 4)) return std::nullopt;
        uint64_t value = 0;
        for (; i < text.size(); ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) return std::nullopt;
            value = (value << 4) | static_cast<uint64_t>(d);
        }
        // The hex digits give the bit pattern; a sign then negates that pattern (wrapping).
        if (negative) value = 0 - value;
        if (bits == 32) return static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)));
        return static_cast<int64_t>(value);
    }

    const uint64_t limit = bits == 32 ? (negative ? 2147483648ULL : 2147483647ULL)
                                      : (negative ? 9223372036854775808ULL : 9223372036854775807ULL);
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (limit - digit) / 10) return std::nullopt;  // checked before it could wrap
        value = value * 10 + digit;
    }
    if (negative) return value == 9223372036854775808ULL ? INT64_MIN : -static_cast<int64_t>(value);
    return static_cast<int64_t>(value);
}

}  // namespace

std::optional<int32_t> TryIntegerText(const std::string& text) {
    const auto value = Parse(text, 32);
    if (!value) return std::nullopt;
    return static_cast<int32_t>(*value);
}

int32_t IntegerText(const std::string& text) {
    const auto value = TryIntegerText(text);
    if (!value) throw Error("'" + EchoedText(text) + "' is not a valid integer value");
    return *value;
}

int32_t IntegerText(const std::string& text, int32_t defaultValue) {
    return TryIntegerText(text).value_or(defaultValue);
}

std::optional<int64_t> TryIntegerText64(const std::string& text) { return Parse(text, 64); }

int64_t IntegerText64(const std::string& text, int64_t defaultValue) {
    return TryIntegerText64(text).value_or(defaultValue);
}


}  // namespace kestrova
