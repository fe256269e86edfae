#include "report_pdf/byte_map_text_object.h"

#include <QPainter>
#include <algorithm>

#include "report_pdf/byte_map_painter.h"

namespace kestrova {
namespace {

enum Property {
    kDrawing = QTextFormat::UserProperty + 1,
    kTop,
    kBottom,
};

}  // namespace

int ByteMapTextObject::Add(ByteMapDrawing drawing) {
    drawings_.push_back(std::move(drawing));
    return static_cast<int>(drawings_.size()) - 1;
}

QTextCharFormat ByteMapTextObject::Format(int index, double top, double bottom) const {
    QTextCharFormat format;
    format.setObjectType(kFormatType);
    format.setProperty(kDrawing, index);
    format.setProperty(kTop, top);
    format.setProperty(kBottom, bottom);
    return format;
}

double ByteMapTextObject::Scale(const ByteMapDrawing& drawing) const {
    return drawing.width > 0 ? textWidth_ / drawing.width : 1.0;
}

QSizeF ByteMapTextObject::intrinsicSize(QTextDocument*, int, const QTextFormat& format) {
    const int index = format.intProperty(kDrawing);
    if (index < 0 || index >= static_cast<int>(drawings_.size())) return {};
    const ByteMapDrawing& drawing = drawings_[index];
    const double scale = Scale(drawing);
    return {drawing.width * scale, (format.doubleProperty(kBottom) - format.doubleProperty(kTop)) * scale};
}

void ByteMapTextObject::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                                   const QTextFormat& format) {
    const int index = format.intProperty(kDrawing);
    if (index < 0 || index >= static_cast<int>(drawings_.size())) return;
    const ByteMapDrawing& drawing = drawings_[index];
    const double top = format.doubleProperty(kTop), bottom = format.doubleProperty(kBottom);
    const double scale = Scale(drawing);
    painter->save();
    painter->translate(rect.topLeft());
    painter->scale(scale, scale);
    painter->translate(0, -top);
    PaintByteMap(*painter, drawing, top, bottom);
    painter->restore();
}

}  // namespace kestrova
