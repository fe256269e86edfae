#pragma once

#include <string>

namespace kestrova {

// The product variant of this build: names the help file and enables the composer's banks.
inline constexpr int kProductVariant = 2;

// The help file beside the program: "help2.dat".
std::string HelpFilePath(const std::string& executableDirectory);

// The help text to show: a plain-text file as it stands, a rich-text file as its plain text.
// Throws Error when the file cannot be read.
std::string ReadHelpText(const std::string& executableDirectory);

// The text of a rich-text (RTF) document, UTF-8: paragraphs and line breaks become line feeds,
// font and colour tables, pictures and other hidden groups are left out.
std::string RtfPlainText(const std::string& rtf);

}  // namespace kestrova
