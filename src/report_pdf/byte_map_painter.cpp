#include "report_pdf/byte_map_painter.h"

#include <QFont>
#include <QPainter>
#include <QPen>

namespace kestrova {
namespace {

QColor Colour(const std::string& text) { return QColor(QString::fromStdString(text)); }

// Texts never reach this far from their anchor; the box only places them.
constexpr double kTextBox = 4000;

}  // namespace

void PaintByteMap(QPainter& painter, const ByteMapDrawing& drawing) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const auto& rect : drawing.rects) {
        painter.setBrush(rect.fill.empty() ? QBrush(Qt::NoBrush) : QBrush(Colour(rect.fill)));
        if (rect.strokeWidth > 0) {
            QPen pen(Colour(rect.stroke), rect.strokeWidth);
            pen.setJoinStyle(Qt::MiterJoin);
            painter.setPen(pen);
        } else {
            painter.setPen(Qt::NoPen);
        }
        painter.drawRect(QRectF(rect.x, rect.y, rect.width, rect.height));
    }
    for (const auto& line : drawing.lines) {
        QPen pen(Colour(line.colour), line.width);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
    }
    QFont font(kMapFontFamily);
    font.setStyleHint(QFont::Monospace);
    for (const auto& text : drawing.texts) {
        font.setPixelSize(text.size);
        font.setBold(text.bold);
        painter.setFont(font);
        painter.setPen(Colour(text.colour));
        QRectF box(text.x, text.y - text.size, kTextBox, 2.0 * text.size);
        int alignment = Qt::AlignVCenter;
        switch (text.anchor) {
            case MapAnchor::Start:
                alignment |= Qt::AlignLeft;
                break;
            case MapAnchor::Middle:
                box.moveLeft(text.x - kTextBox / 2);
                alignment |= Qt::AlignHCenter;
                break;
            case MapAnchor::End:
                box.moveLeft(text.x - kTextBox);
                alignment |= Qt::AlignRight;
                break;
        }
        painter.drawText(box, alignment, QString::fromStdString(text.text));
    }
    painter.restore();
}

}  // namespace kestrova
