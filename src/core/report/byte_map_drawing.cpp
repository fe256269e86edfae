#include "core/report/byte_map_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/readback/image_description.h"

namespace kestrova {
namespace {

// The grid, in pixels at 96 dpi.
constexpr double kRowHeaderWidth = 52;      // the row's first offset, right-aligned
constexpr double kColumnHeaderHeight = 16;  // "+0" .. "+15"
constexpr double kModuleStripHeight = 14;   // module tags above a row of cells
constexpr double kCellWidth = 44;
constexpr double kCellHeight = 36;
constexpr double kRowGap = 6;
constexpr double kRightMargin = 8;
constexpr double kRowHeight = kModuleStripHeight + kCellHeight + kRowGap;

constexpr int kLabelSize = 10;
constexpr int kOffsetSize = 8;
constexpr int kValueSize = 11;
constexpr int kModuleTagSize = 9;

const char* const kCellLine = "#9a9a9a";
const char* const kBandLine = "#333333";
const char* const kModuleLine = "#000000";
const char* const kEmptyCell = "#ffffff";
const char* const kText = "#000000";
const char* const kQuietText = "#555555";

// Light colours, so black labels stay readable in colour and in grey.
const char* const kBandColours[] = {"#cfe2f3", "#d9ead3", "#fff2cc", "#f4cccc", "#d9d2e9", "#fce5cd",
                                    "#d0e0e3", "#ead1dc", "#e2efc0", "#c9daf8", "#f6e0b5", "#e0e0e0"};
constexpr size_t kBandColourCount = sizeof kBandColours / sizeof kBandColours[0];

// FNV-1a, so the colour of an identity is the same on every machine and in every run.
uint32_t IdentityHash(const std::string& text) {
    uint32_t hash = 2166136261u;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

int CharactersThatFit(double width, int size) { return static_cast<int>(std::floor(width / (size * kMapCharWidth))); }

std::string Hex2(uint8_t value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
    return text;
}

// Control characters (line breaks, terminal escapes) become blanks.
std::string Printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

}  // namespace

std::string RangeLabel(const IoMapRange& range) {
    if (!range.isFrame) return "send bits";
    const std::string mnemonic = Printable(range.mnemonic);
    if (mnemonic.find_first_not_of(' ') != std::string::npos) return mnemonic;
    return std::to_string(range.dataPage) + "/" + PgnText(static_cast<uint16_t>(range.pgn)) + "/" +
           std::to_string(range.sourceAddress);
}

std::string RangeModules(const IoMapRange& range) {
    if (range.firstModule == 0) return "-";
    if (range.firstModule == range.lastModule) return std::to_string(range.firstModule);
    return std::to_string(range.firstModule) + "-" + std::to_string(range.lastModule);
}

std::string RangeDescription(const IoMapRange& range) {
    std::string text = range.frame + " " + RangeLabel(range) + ": ";
    if (range.isFrame)
        text += "data page " + std::to_string(range.dataPage) + ", PGN " + PgnText(static_cast<uint16_t>(range.pgn)) +
                ", source address " + std::to_string(range.sourceAddress) + ", ";
    text += "offset " + std::to_string(range.offset) + ", length " + std::to_string(range.length);
    if (range.firstModule == 0) return text + ", in no module";
    const bool one = range.firstModule == range.lastModule;
    return text + (one ? ", module " : ", modules ") + RangeModules(range) + (one ? " (slot " : " (slots ") +
           RangeModules(range) + ")";
}

std::string FitText(const std::string& text, int characters) {
    if (characters <= 0) return {};
    std::vector<size_t> starts;  // byte index of each character
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    if (static_cast<int>(starts.size()) <= characters) return text;
    return text.substr(0, starts[characters - 1]) + "\u2026";
}

std::string BandColour(const IoMapRange& range, const std::string& previous) {
    const std::string identity = std::string(range.input ? "in " : "out ") +
                                 (range.isFrame ? std::to_string(range.dataPage) + "/" + std::to_string(range.pgn) +
                                                      "/" + std::to_string(range.sourceAddress) + "/" + range.mnemonic
                                                : std::string("send bits"));
    size_t index = IdentityHash(identity) % kBandColourCount;
    if (previous == kBandColours[index]) index = (index + 1) % kBandColourCount;
    return kBandColours[index];
}

std::vector<MapBand> MapBands(const IoMap& map, bool input) {
    std::vector<MapBand> bands;
    std::string previous;
    for (size_t i = 0; i < map.ranges.size(); ++i) {
        const auto& range = map.ranges[i];
        if (range.input != input) continue;
        previous = BandColour(range, previous);
        bands.push_back({static_cast<int>(i), previous});
    }
    return bands;
}

ByteMapDrawing DrawByteMap(const IoMap& map, bool input, const ByteMapOptions& options) {
    const int perRow = options.bytesPerRow == 8 ? 8 : 16;
    ByteMapDrawing drawing;

    // Which range each byte belongs to: a later range wins where two overlap.
    int bytes = input ? map.inputBytes : map.outputBytes;
    const auto bands = MapBands(map, input);
    for (const auto& band : bands) {
        const auto& range = map.ranges[band.range];
        bytes = std::max(bytes, range.offset + range.length);
    }
    drawing.bytes = bytes;
    std::vector<int> owner(bytes, -1);
    std::vector<std::string> colour(map.ranges.size());
    for (const auto& band : bands) {
        const auto& range = map.ranges[band.range];
        colour[band.range] = band.colour;
        for (int b = std::max(range.offset, 0); b < range.offset + range.length && b < bytes; ++b)
            owner[b] = band.range;
    }

    const int rows = (bytes + perRow - 1) / perRow;
    drawing.width = kRowHeaderWidth + perRow * kCellWidth + kRightMargin;
    drawing.height = kColumnHeaderHeight + rows * kRowHeight;
    if (rows == 0) return drawing;

    const auto cellX = [&](int offset) { return kRowHeaderWidth + (offset % perRow) * kCellWidth; };
    const auto rowTop = [&](int row) { return kColumnHeaderHeight + row * kRowHeight; };
    const auto cellY = [&](int offset) { return rowTop(offset / perRow) + kModuleStripHeight; };

    for (int column = 0; column < perRow; ++column)
        drawing.texts.push_back({kRowHeaderWidth + column * kCellWidth + kCellWidth / 2, kColumnHeaderHeight / 2,
                                 "+" + std::to_string(column), kOffsetSize, false, MapAnchor::Middle, kQuietText});
    for (int row = 0; row < rows; ++row) {
        drawing.rowTops.push_back(rowTop(row));
        drawing.texts.push_back({kRowHeaderWidth - 6, rowTop(row) + kModuleStripHeight + kCellHeight / 2,
                                 std::to_string(row * perRow), kLabelSize, true, MapAnchor::End, kText});
    }

    // The cells: band colour, thin grid, the offset or the byte's value.
    for (int offset = 0; offset < bytes; ++offset) {
        const double x = cellX(offset), y = cellY(offset);
        const int range = owner[offset];
        drawing.rects.push_back(
            {x, y, kCellWidth, kCellHeight, range >= 0 ? colour[range] : kEmptyCell, kCellLine, 0.6});
        drawing.cells.push_back({offset, x, y, kCellWidth, kCellHeight, range});
        const double lower = y + kCellHeight * 0.72;
        if (static_cast<size_t>(offset) < options.values.size())
            drawing.texts.push_back(
                {x + kCellWidth / 2, lower, Hex2(options.values[offset]), kValueSize, true, MapAnchor::Middle, kText});
        else
            drawing.texts.push_back(
                {x + kCellWidth / 2, lower, std::to_string(offset), kOffsetSize, false, MapAnchor::Middle, kQuietText});
    }

    // The bands: each run of one range within a row, outlined and labelled.
    for (int start = 0; start < bytes;) {
        int end = start + 1;
        while (end < bytes && owner[end] == owner[start] && end % perRow != 0) ++end;
        if (owner[start] >= 0) {
            const double x = cellX(start), y = cellY(start), width = (end - start) * kCellWidth;
            drawing.rects.push_back({x, y, width, kCellHeight, "", kBandLine, 1.4});
            const std::string label =
                FitText(RangeLabel(map.ranges[owner[start]]), CharactersThatFit(width - 6, kLabelSize));
            if (!label.empty())
                drawing.texts.push_back(
                    {x + width / 2, y + kCellHeight * 0.3, label, kLabelSize, false, MapAnchor::Middle, kText});
        }
        start = end;
    }

    // The modules: a heavy line where each begins and ends, and its number above its first byte.
    int start = 0;
    for (const auto& module : map.modules) {
        if (module.input != input) continue;
        const int end = start + module.length;
        if (module.length > 0 && start < bytes) {
            const double y = cellY(start);
            drawing.lines.push_back({cellX(start), y, cellX(start), y + kCellHeight, 3, kModuleLine});
            const int last = std::min(end, bytes) - 1;
            const double right = cellX(last) + kCellWidth, lastY = cellY(last);
            drawing.lines.push_back({right, lastY, right, lastY + kCellHeight, 3, kModuleLine});
            const int cellsInRow = std::min(end - start, perRow - start % perRow);
            const int room = CharactersThatFit(cellsInRow * kCellWidth - 4, kModuleTagSize);
            const std::string number = std::to_string(module.number);
            std::string tag = "Module " + number + " (slot " + number + ")";
            if (static_cast<int>(tag.size()) > room) tag = "M" + number + " slot " + number;
            if (static_cast<int>(tag.size()) > room) tag = "M" + number;
            drawing.texts.push_back({cellX(start) + 2, rowTop(start / perRow) + kModuleStripHeight / 2, tag,
                                     kModuleTagSize, true, MapAnchor::Start, kText});
        }
        start = end;
    }
    return drawing;
}

}  // namespace kestrova
