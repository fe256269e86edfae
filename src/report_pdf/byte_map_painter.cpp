#include "report_pdf/byte_map_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <limits>
#include <map>

namespace kestrova {
namespace {

QColor Colour(const std::string& text) { return QColor(QString::fromStdString(text)); }

}  // namespace

void PaintByteMap(QPainter& painter, const ByteMapDrawing& drawing) {
    PaintByteMap(painter, drawing, -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity());
}

void PaintByteMap(QPainter& painter, const ByteMapDrawing& drawing, double top, double bottom) {
    const auto inside = [&](double y) { return y >= top && y < bottom; };
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const auto& rect : drawing.rects) {
        if (!inside(rect.y + rect.height / 2)) continue;
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
        if (!inside((line.y1 + line.y2) / 2)) continue;
        QPen pen(Colour(line.colour), line.width);
        pen.setCapStyle(Qt::SquareCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(line.x1, line.y1), QPointF(line.x2, line.y2));
    }
    // Texts placed by their font's metrics: an anchor point, never a box to lay out in.
    std::map<std::pair<int, bool>, std::pair<QFont, QFontMetricsF>> fonts;
    for (const auto& text : drawing.texts) {
        if (!inside(text.y)) continue;
        auto found = fonts.find({text.size, text.bold});
        if (found == fonts.end()) {
            QFont font(kMapFontFamily);
            font.setStyleHint(QFont::Monospace);
            font.setPixelSize(text.size);
            font.setBold(text.bold);
            found = fonts
                        .emplace(std::make_pair(text.size, text.bold),
                                 std::make_pair(font, QFontMetricsF(font, painter.device())))
                        .first;
        }
        const auto& [font, metrics] = found->second;
        const QString words = QString::fromStdString(text.text);
        double x = text.x;
        if (text.anchor != MapAnchor::Start) {
            const double width = metrics.horizontalAdvance(words);
            x -= text.anchor == MapAnchor::Middle ? width / 2 : width;
        }
        painter.setFont(font);
        painter.setPen(Colour(text.colour));
        painter.drawText(QPointF(x, text.y + (metrics.ascent() - metrics.descent()) / 2), words);
    }
    painter.restore();
}

}  // namespace kestrova
