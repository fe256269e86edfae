#pragma once

#include "core/report/byte_map_drawing.h"

class QPainter;

namespace kestrova {

// Paints the shapes of a byte map in its own units (one unit a pixel at 96 dpi): the caller
// sets the painter's transform for the device (a window, a PDF page).
// Only the shapes whose middle lies between `top` and `bottom` are painted (a slice of rows).
void PaintByteMap(QPainter& painter, const ByteMapDrawing& drawing);
void PaintByteMap(QPainter& painter, const ByteMapDrawing& drawing, double top, double bottom);

}  // namespace kestrova
