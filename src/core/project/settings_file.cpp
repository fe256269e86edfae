#include "core/project/settings_file.h"

#include "core/project/error.h"
#include "core/project/file_system.h"

#include <strings.h>
#include <vector>

namespace kestrova {
namespace {

constexpr long long kMaxSettingsBytes = 1024 * 1024;  // a settings file is a few lines

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < content.size()) {
        auto end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// "[name]" gives name; any other line gives nothing.
bool SectionName(const std::string& line, std::string& name) {
    const std::string trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[' || trimmed.back() != ']') return false;
    name = Trim(trimmed.substr(1, trimmed.size() - 2));
    return true;
}

bool KeyValue(const std::string& line, std::string& key, std::string& value) {
    const auto equals = line.find('=');
    if (equals == std::string::npos) return false;
    key = Trim(line.substr(0, equals));
    value = Trim(line.substr(equals + 1));
    return true;
}

}  // namespace

std::string ReadSettingsString(const std::string& path, const std::string& section, const std::string& key) {
    if (!FileExists(path)) return {};
    std::string content;
    try {
        content = ReadWholeFile(path, kMaxSettingsBytes);
    } catch (const Error&) {
        return {};
    }
    bool inSection = false;
    for (const auto& line : SplitLines(content)) {
        std::string name, lineKey, value;
        if (SectionName(line, name)) {
            inSection = SameName(name, section);
        } else if (inSection && KeyValue(line, lineKey, value) && SameName(lineKey, key)) {
            return value;
        }
    }
    return {};
}

void WriteSettingsString(const std::string& path, const std::string& section, const std::string& key,
                         const std::string& value) {
    std::vector<std::string> lines;
    std::string lineEnd = "\n";  // an existing file keeps its own line ends
    if (FileExists(path)) {
        try {
            const std::string existing = ReadWholeFile(path, kMaxSettingsBytes);
            if (existing.find("\r\n") != std::string::npos) lineEnd = "\r\n";
            lines = SplitLines(existing);
        } catch (const Error&) {
            throw Error("Unable to write to " + path);
        }
    }
    const std::string entry = key + "=" + value;
    bool inSection = false;
    bool written = false;
    size_t sectionEnd = lines.size();  // where a missing key of the section goes
    bool sectionFound = false;
    for (size_t i = 0; i < lines.size() && !written; ++i) {
        std::string name, lineKey, lineValue;
        if (SectionName(lines[i], name)) {
            if (inSection) break;
            inSection = SameName(name, section);
            if (inSection) {
                sectionFound = true;
                sectionEnd = i + 1;
            }
        } else if (inSection) {
            if (KeyValue(lines[i], lineKey, lineValue) && SameName(lineKey, key)) {
                lines[i] = entry;
                written = true;
            } else if (!Trim(lines[i]).empty()) {
                sectionEnd = i + 1;
            }
        }
    }
    if (!written) {
        if (sectionFound) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), entry);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(entry);
        }
    }
    std::string content;
    for (const auto& line : lines) content += line + lineEnd;
    try {
        WriteFileReplacing(path, content);
    } catch (const Error&) {
        throw Error("Unable to write to " + path);
    }
}

}  // namespace kestrova
