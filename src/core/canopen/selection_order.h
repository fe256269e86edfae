#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

namespace kestrova {

// Which entry comes first when two entries have equal keys.
enum class TieOrder {
    EarlierFirst,  // list order
    LaterFirst,    // reverse list order
};

// The order in which the CANopen windows write their entries on OK: ascending by the keys
// (compared as a whole, first key first). Entries whose keys lie above `ceiling` are not
// compared: they follow all the others in list order, so that no entry is ever dropped.
// Returns the entries' positions in writing order.
template <typename Key>
std::vector<size_t> SelectionOrder(const std::vector<Key>& keys, const Key& ceiling, TieOrder ties) {
    std::vector<size_t> ordered, above;
    for (size_t i = 0; i < keys.size(); ++i) (ceiling < keys[i] ? above : ordered).push_back(i);
    if (ties == TieOrder::LaterFirst) std::reverse(ordered.begin(), ordered.end());
    std::stable_sort(ordered.begin(), ordered.end(), [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
    ordered.insert(ordered.end(), above.begin(), above.end());
    return ordered;
}

}  // namespace kestrova
