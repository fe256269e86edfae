#pragma once

#include <QObject>
#include <QTextObjectInterface>
#include <vector>

#include "core/report/byte_map_drawing.h"

namespace kestrova {

// Byte maps as objects in the text of a report: each object is a horizontal slice of one map
// (a few rows), scaled to the width of the text, so a long map continues on the next page.
class ByteMapTextObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    static constexpr int kFormatType = QTextFormat::UserObject + 1;

    explicit ByteMapTextObject(double textWidth) : textWidth_(textWidth) {}

    // Keeps the drawing; returns its index for Format.
    int Add(ByteMapDrawing drawing);
    // The character format of the slice from `top` to `bottom` (drawing units) of drawing `index`.
    QTextCharFormat Format(int index, double top, double bottom) const;

    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;

private:
    double Scale(const ByteMapDrawing& drawing) const;

    double textWidth_;
    std::vector<ByteMapDrawing> drawings_;
};

}  // namespace kestrova
