#include "core/canopen/spreadsheet_cells.h"

#include <cmath>
#include <cstdio>

namespace kestrova {

std::string SpreadsheetNumberText(double value) {
    char text[32];
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15)
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    else
        std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::string SpreadsheetColumnName(size_t position) {
    std::string name;
    for (size_t n = position + 1; n > 0; n = (n - 1) / 26) name.insert(name.begin(), char('A' + (n - 1) % 26));
    return name;
}

std::string SpreadsheetLowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return text;
}

}  // namespace kestrova
