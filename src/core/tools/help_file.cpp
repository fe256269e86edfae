#include "core/tools/help_file.h"

#include "core/project/product_variant.h"
#include "core/project/text_encoding.h"
#include "core/project/workspace_location.h"

#include <cctype>
#include <set>
#include <vector>

#include "core/project/file_system.h"

namespace kestrova {
namespace {

// The help file is small; anything larger is not read.
constexpr long long kMaxHelpBytes = 16LL * 1024 * 1024;

bool IsHiddenGroup(const std::string& word) {
    static const std::set<std::string> hidden = {
        "fonttbl",      "colortbl",  "stylesheet",        "info",     "pict",      "header",
        "headerl",      "headerr",   "headerf",           "footer",   "footerl",   "footerr",
        "footerf",      "object",    "listtable",         "rsidtbl",  "themedata", "colorschememapping",
        "latentstyles", "datastore", "listoverridetable", "generator"};
    return hidden.count(word) > 0;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

}  // namespace

std::string HelpFilePath(const ProjectContext& context) {
    return FindShippedFile(context, "help" + std::to_string(kProductVariant) + ".dat");
}

std::string ReadHelpText(const ProjectContext& context) {
    const std::string text = ReadWholeFile(HelpFilePath(context), kMaxHelpBytes);
    return text.compare(0, 5, "{\\rtf") == 0 ? RtfPlainText(text) : text;
}

std::string RtfPlainText(const std::string& rtf) {
    struct Group {
        bool hidden;
        long fallback;  // characters after \uN that stand in for it (\ucN)
    };
    std::vector<Group> groups{{false, 1}};
    std::string out;
    long skip = 0;               // fallback characters still to drop
    unsigned long highHalf = 0;  // the first half of a character written as two \u (a surrogate pair)
    auto emit = [&](unsigned long code) {
        if (skip > 0) {
            --skip;
        } else if (!groups.back().hidden) {
            AppendUtf8(out, code > 0x10FFFF ? char32_t{0xFFFD} : static_cast<char32_t>(code));
        }
    };
    const size_t n = rtf.size();
    for (size_t i = 0; i < n;) {
        const char c = rtf[i];
        if (c == '{') {
            groups.push_back(groups.back());
            ++i;
        } else if (c == '}') {
            if (groups.size() > 1) groups.pop_back();
            ++i;
        } else if (c == '\r' || c == '\n') {
            ++i;
        } else if (c != '\\') {
            emit(static_cast<unsigned char>(c));
            ++i;
        } else if (++i < n) {
            const char d = rtf[i];
            if (d == '\\' || d == '{' || d == '}') {
                emit(static_cast<unsigned char>(d));
                ++i;
            } else if (d == '\'') {
                const int high = i + 1 < n ? HexValue(rtf[i + 1]) : -1, low = i + 2 < n ? HexValue(rtf[i + 2]) : -1;
                if (high >= 0 && low >= 0) emit(static_cast<unsigned long>(high * 16 + low));
                i += 3;
            } else if (d == '*') {
                groups.back().hidden = true;
                ++i;
            } else if (d == '~') {
                emit(0xA0);
                ++i;
            } else if (!std::isalpha(static_cast<unsigned char>(d))) {
                ++i;
            } else {
                const size_t start = i;
                while (i < n && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
                const std::string word = rtf.substr(start, i - start);
                const bool negative = i < n && rtf[i] == '-';
                if (negative) ++i;
                long parameter = 0;
                for (int digits = 0; i < n && std::isdigit(static_cast<unsigned char>(rtf[i])); ++i)
                    if (++digits <= 9) parameter = parameter * 10 + (rtf[i] - '0');
                if (negative) parameter = -parameter;
                if (i < n && rtf[i] == ' ') ++i;
                if (word == "par" || word == "line") {
                    emit('\n');
                } else if (word == "tab") {
                    emit('\t');
                } else if (word == "uc") {
                    groups.back().fallback = parameter < 0 ? 0 : parameter;
                } else if (word == "u") {
                    const auto code = static_cast<unsigned long>(parameter < 0 ? parameter + 65536 : parameter);
                    if (code >= 0xD800 && code < 0xDC00) {
                        highHalf = code;
                    } else if (code >= 0xDC00 && code < 0xE000) {  // a lone half is dropped
                        if (highHalf) emit(0x10000 + ((highHalf - 0xD800) << 10) + (code - 0xDC00));
                        highHalf = 0;
                    } else {
                        emit(code);
                    }
                    skip = groups.back().fallback;
                } else if (IsHiddenGroup(word)) {
                    groups.back().hidden = true;
                }
            }
        }
    }
    return out;
}

}  // namespace kestrova
