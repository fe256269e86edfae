#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// Text is UTF-8 in memory; these convert at the edges where peers use single-byte code pages
// (documents that declare them, DBC comments, CSV exports).

// Offset of the first byte that does not belong to a well-formed UTF-8 sequence (overlong
// forms, surrogates and code points past U+10FFFF included); npos when the text is valid.
std::size_t FirstInvalidUtf8(const std::string& text);

// Appends one code point as UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// Single-byte text as UTF-8. Windows-1252 differs from ISO-8859-1 in 0x80..0x9F only; its five
// unassigned bytes keep their ISO-8859-1 meaning.
enum class SingleByteCode { Latin1, Windows1252 };
std::string SingleByteToUtf8(const std::string& text, SingleByteCode code);

// UTF-8 text as Windows-1252 bytes; a character the code page lacks, and a byte that is not
// valid UTF-8, become "?".
std::string Utf8ToWindows1252(const std::string& utf8);

// UTF-8 text back as the bytes SingleByteToUtf8 reads as it (every byte comes back as itself);
// nothing when a character has no byte in that code or the text is not valid UTF-8.
std::optional<std::string> Utf8ToSingleByte(const std::string& utf8, SingleByteCode code);

// The single-byte code an encoding name of an XML declaration stands for, in any case:
// ISO-8859-1 (also "latin1", "l1") or Windows-1252 ("cp1252"); nothing for any other name.
std::optional<SingleByteCode> SingleByteCodeNamed(std::string_view name);

}  // namespace kestrova
