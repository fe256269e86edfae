#pragma once

#include <string>

namespace kestrova {

// The settings file beside the program: a plain INI file of which the tool uses one value.
inline constexpr const char* kSettingsFileName = "Kestrova_V19392UZERABUS.ini";
inline constexpr const char* kLastProjectSection = "lastproj";
inline constexpr const char* kProjectNameKey = "projectname";

// The value of `key` in `section`; a missing file, section or key reads as "".
std::string ReadSettingsString(const std::string& path, const std::string& section, const std::string& key);

// Sets `key` in `section`, keeping every other line of the file; creates the file, the
// section or the key when missing. Throws Error "Unable to write to <path>" on failure.
void WriteSettingsString(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& value);

}  // namespace kestrova
