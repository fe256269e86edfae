#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/outputs/io_map.h"

namespace kestrova {

// The byte map of one side of the PROFIBUS data as a picture: rows of byte cells with their
// offsets, each frame's bytes a coloured band labelled with its mnemonic, module borders as
// heavier lines with the module (and slot) number. The picture is a list of shapes in units of
// one pixel at 96 dpi; the SVG of the HTML report, the window and the PDF all draw this list,
// so they cannot show different pictures.

struct MapRect {
    double x = 0, y = 0, width = 0, height = 0;
    std::string fill;  // "#rrggbb", or empty for none
    std::string stroke;
    double strokeWidth = 0;  // 0: no outline
};

struct MapLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double width = 1;
    std::string colour;
};

enum class MapAnchor { Start, Middle, End };

// A line of text; (x, y) is its anchor point horizontally and its middle vertically.
struct MapText {
    double x = 0, y = 0;
    std::string text;
    int size = 10;  // pixels
    bool bold = false;
    MapAnchor anchor = MapAnchor::Middle;
    std::string colour;
};

// Where one byte's cell lies, for a hover: its offset and the range it belongs to.
struct MapCell {
    int offset = 0;
    double x = 0, y = 0, width = 0, height = 0;
    int range = -1;  // index into IoMap::ranges; -1 for a byte of no range
};

struct ByteMapDrawing {
    double width = 0, height = 0;
    std::vector<MapRect> rects;  // drawn first
    std::vector<MapLine> lines;  // then these
    std::vector<MapText> texts;  // then these
    std::vector<MapCell> cells;
    std::vector<double> rowTops;  // top of each row of cells (its module strip), for page breaks
    int bytes = 0;                // bytes of the side
};

// The text of the picture is set in one monospaced face, so its width is known in advance.
inline constexpr const char* kMapFontFamily = "DejaVu Sans Mono";
// Width of one character of that face, in units of its size.
inline constexpr double kMapCharWidth = 0.61;

struct ByteMapOptions {
    int bytesPerRow = 16;         // 8 or 16
    std::vector<uint8_t> values;  // when given, each cell shows its byte's value in hexadecimal
};

// The picture of the input (or output) side of the map: as many bytes as the modules hold, or
// as far as the last range reaches when that is further.
ByteMapDrawing DrawByteMap(const IoMap& map, bool input, const ByteMapOptions& options = {});

// The colour of a range's band: a light colour chosen by the frame's identity (so a frame keeps
// its colour when others come and go), never the colour of the band before it.
std::string BandColour(const IoMapRange& range, const std::string& previous);

// The ranges of one side in the order drawn, each with its colour (indices into IoMap::ranges).
struct MapBand {
    int range = 0;
    std::string colour;
};
std::vector<MapBand> MapBands(const IoMap& map, bool input);

// A byte range in words, for a hover or a legend line:
// "R2 Active diagnostic trouble codes: data page 0, PGN 0xFECA, source address 3, offset 8,
//  length 20, module 1 (slot 1)"
std::string RangeDescription(const IoMapRange& range);
// The label of a range's band: its mnemonic, "DP/PGN/SA" ("0/0xFEF1/0") without one, "send
// bits" for a send-bit area.
std::string RangeLabel(const IoMapRange& range);
// "1", "1-2" (the modules, which are also the slots), or "-".
std::string RangeModules(const IoMapRange& range);

// `text` cut to at most `characters` characters (UTF-8 aware), ending in "…" when cut.
std::string FitText(const std::string& text, int characters);

}  // namespace kestrova
