#pragma once

#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/outputs/io_map.h"
#include "core/report/byte_map_drawing.h"

namespace kestrova {

// The PROFIBUS input and output areas of a project's I/O map drawn one above the other: rows
// of byte cells with their offsets, each frame a labelled coloured band, module borders
// heavier with the module number. Hovering a cell tells the frame, PGN, source address,
// offset, length and module of its byte. The cells can show byte values instead of offsets
// (the input area as a PROFIBUS master would read it).
class ByteMapWidget : public QWidget {
    Q_OBJECT
public:
    explicit ByteMapWidget(QWidget* parent = nullptr);

    // The map to draw, or nothing with the reason there is none (drawn in its place).
    void SetMap(std::optional<IoMap> map, const std::string& reason = {});
    // 8 or 16 byte cells a row (16 at first).
    void SetBytesPerRow(int bytes);

    // Shows `values` in the cells of the input area, one byte each in hexadecimal ("3F"), from
    // offset 0; cells past the end of `values` keep their offsets. Stays until the map changes
    // or ClearInputBytes. The output area likewise with ShowOutputBytes.
    void ShowInputBytes(const std::vector<uint8_t>& values);
    void ShowOutputBytes(const std::vector<uint8_t>& values);
    void ClearInputBytes();

    // The pictures as drawn now (empty without a map).
    const ByteMapDrawing& InputDrawing() const { return sides_[0].drawing; }
    const ByteMapDrawing& OutputDrawing() const { return sides_[1].drawing; }
    // The hover text at a point of the widget; empty where no byte is.
    QString DescriptionAt(const QPoint& point) const;
    // Where the cell of byte `offset` of a side lies in the widget (empty when there is none).
    QRect CellRect(bool input, int offset) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Side {
        bool input = true;
        std::vector<uint8_t> values;
        ByteMapDrawing drawing;
        double top = 0;  // where the picture starts, below its heading
    };

    void Redraw();
    QString Heading(const Side& side) const;

    std::optional<IoMap> map_;
    std::string reason_;
    int bytesPerRow_ = 16;
    Side sides_[2];
};

}  // namespace kestrova
