#pragma once

#include "core/project/project_context.h"

#include <string>

namespace kestrova {

// The help file "help2.dat", shipped with the program: looked up in the workspace, beside the
// program and in the installed data folder.
std::string HelpFilePath(const ProjectContext& context);

// The help text to show: a plain-text file as it stands, a rich-text file as its plain text.
// Throws Error when the file cannot be read.
std::string ReadHelpText(const ProjectContext& context);

// The text of a rich-text (RTF) document, UTF-8: paragraphs and line breaks become line feeds,
// font and colour tables, pictures and other hidden groups are left out.
std::string RtfPlainText(const std::string& rtf);

}  // namespace kestrova
