#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/editors/editor_table.h"
#include "core/project/error.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

namespace kestrova::testing {

// A full table of the layout with `top` in its first rows.
inline std::vector<TableRow> TableOf(const TableLayout& layout, const std::vector<TableRow>& top) {
    auto rows = EmptyTable(layout);
    for (size_t i = 0; i < top.size(); ++i) rows[i] = top[i];
    return rows;
}

// `count` copies of `entry` between the root's tags.
inline std::string Repeated(const std::string& root, const std::string& entry, int count) {
    std::string text = "<" + root + ">";
    for (int i = 0; i < count; ++i) text += entry;
    return text + "</" + root + ">";
}

}  // namespace kestrova::testing
