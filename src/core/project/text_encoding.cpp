#include "core/project/text_encoding.h"

namespace kestrova {
namespace {

// Code points of the bytes 0x80..0x9F in Windows-1252; the unassigned ones keep their value.
constexpr char32_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                           0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The code point of the UTF-8 sequence at `at` and its length; length 0 when it is not valid.
std::size_t DecodeUtf8(const std::string& text, std::size_t at, char32_t& code) {
    const auto byte = static_cast<unsigned char>(text[at]);
    std::size_t length = 1;
    char32_t minimum = 0;
    code = byte;
    if (byte >= 0xC2 && byte <= 0xDF) {
        length = 2, code = byte & 0x1F, minimum = 0x80;
    } else if (byte >= 0xE0 && byte <= 0xEF) {
        length = 3, code = byte & 0x0F, minimum = 0x800;
    } else if (byte >= 0xF0 && byte <= 0xF4) {
        length = 4, code = byte & 0x07, minimum = 0x10000;
    } else if (byte >= 0x80) {
        return 0;
    }
    if (at + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

std::size_t FirstInvalidUtf8(const std::string& text) {
    char32_t code = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = DecodeUtf8(text, at, code);
        if (length == 0) return at;
        at += length;
    }
    return std::string::npos;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string SingleByteToUtf8(const std::string& text, SingleByteCode code) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool high = code == SingleByteCode::Windows1252 && byte >= 0x80 && byte < 0xA0;
        AppendUtf8(out, high ? kWindows1252High[byte - 0x80] : byte);
    }
    return out;
}

std::string Utf8ToWindows1252(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    char32_t code = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = DecodeUtf8(utf8, at, code);
        at += length == 0 ? 1 : length;
        char byte = '?';
        if (length != 0 && (code < 0x80 || (code >= 0xA0 && code <= 0xFF))) {
            byte = static_cast<char>(code);
        } else if (length != 0) {
            for (int i = 0; i < 32; ++i)  // the unassigned bytes are not written
                if (kWindows1252High[i] == code && code > 0xFF) byte = static_cast<char>(0x80 + i);
        }
        bytes += byte;
    }
    return bytes;
}

std::optional<std::string> Utf8ToSingleByte(const std::string& utf8, SingleByteCode code) {
    std::string bytes;
    bytes.reserve(utf8.size());
    char32_t point = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = DecodeUtf8(utf8, at, point);
        if (length == 0) return std::nullopt;
        at += length;
        if (point >= 0x80 && point < 0xA0 && code == SingleByteCode::Windows1252) {
            // Only the five unassigned bytes read as themselves in this range.
            if (kWindows1252High[point - 0x80] != point) return std::nullopt;
        } else if (point > 0xFF) {
            int found = -1;
            for (int i = 0; i < 32 && code == SingleByteCode::Windows1252; ++i)
                if (kWindows1252High[i] == point) found = i;
            if (found < 0) return std::nullopt;
            point = static_cast<char32_t>(0x80 + found);
        }
        bytes += static_cast<char>(point);
    }
    return bytes;
}

std::optional<SingleByteCode> SingleByteCodeNamed(std::string_view name) {
    std::string lower(name);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    for (const char* latin1 : {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "latin-1", "l1"})
        if (lower == latin1) return SingleByteCode::Latin1;
    if (lower == "windows-1252" || lower == "cp1252") return SingleByteCode::Windows1252;
    return std::nullopt;
}

}  // namespace kestrova
