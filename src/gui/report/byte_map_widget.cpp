#include "gui/report/byte_map_widget.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "report_pdf/byte_map_painter.h"

namespace kestrova {
namespace {

constexpr double kMargin = 8;
constexpr double kHeadingHeight = 26;
constexpr double kSideGap = 14;

}  // namespace

ByteMapWidget::ByteMapWidget(QWidget* parent) : QWidget(parent) {
    setObjectName("byteMap");
    setMouseTracking(true);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);
    sides_[1].input = false;
    Redraw();
}

void ByteMapWidget::SetMap(std::optional<IoMap> map, const std::string& reason) {
    map_ = std::move(map);
    reason_ = reason;
    for (Side& side : sides_) side.values.clear();
    Redraw();
}

void ByteMapWidget::SetBytesPerRow(int bytes) {
    bytesPerRow_ = bytes == 8 ? 8 : 16;
    Redraw();
}

void ByteMapWidget::ShowInputBytes(const std::vector<uint8_t>& values) {
    sides_[0].values = values;
    Redraw();
}

void ByteMapWidget::ShowOutputBytes(const std::vector<uint8_t>& values) {
    sides_[1].values = values;
    Redraw();
}

void ByteMapWidget::ClearInputBytes() { ShowInputBytes({}); }

QString ByteMapWidget::Heading(const Side& side) const {
    const int bytes = map_ ? (side.input ? map_->inputBytes : map_->outputBytes) : 0;
    return QString("%1 (%2 %3)")
        .arg(side.input ? "PROFIBUS input data" : "PROFIBUS output data")
        .arg(bytes)
        .arg(bytes == 1 ? "byte" : "bytes");
}

void ByteMapWidget::Redraw() {
    double top = kMargin;
    for (Side& side : sides_) {
        ByteMapOptions options;
        options.bytesPerRow = bytesPerRow_;
        options.values = side.values;
        side.drawing = map_ ? DrawByteMap(*map_, side.input, options) : ByteMapDrawing{};
        side.top = top + kHeadingHeight;
        top = side.top + side.drawing.height + kSideGap;
    }
    updateGeometry();
    update();
}

QSize ByteMapWidget::sizeHint() const {
    if (!map_) return {480, 80};
    const double width = std::max(sides_[0].drawing.width, sides_[1].drawing.width) + 2 * kMargin;
    const double height = sides_[1].top + sides_[1].drawing.height + kMargin;
    return {static_cast<int>(width), static_cast<int>(height)};
}

void ByteMapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QFont bold = font();
    bold.setBold(true);
    if (!map_) {
        painter.setFont(bold);
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                         QString::fromStdString("No byte map: " + reason_));
        return;
    }
    for (const Side& side : sides_) {
        painter.setFont(bold);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(kMargin, side.top - kHeadingHeight, width(), kHeadingHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, Heading(side));
        if (side.drawing.bytes == 0) continue;
        painter.save();
        painter.translate(kMargin, side.top);
        PaintByteMap(painter, side.drawing);
        painter.restore();
    }
}

QString ByteMapWidget::DescriptionAt(const QPoint& point) const {
    if (!map_) return {};
    for (const Side& side : sides_) {
        const double x = point.x() - kMargin, y = point.y() - side.top;
        for (const MapCell& cell : side.drawing.cells) {
            if (x < cell.x || x >= cell.x + cell.width || y < cell.y || y >= cell.y + cell.height) continue;
            QString text = QString("%1 byte %2").arg(side.input ? "Input" : "Output").arg(cell.offset);
            if (static_cast<size_t>(cell.offset) < side.values.size())
                text += " = 0x" + QString("%1").arg(side.values[cell.offset], 2, 16, QChar('0')).toUpper();
            if (cell.range >= 0)
                text += "\n" + QString::fromStdString(RangeDescription(map_->ranges[cell.range]));
            else
                text += "\nno frame";
            return text;
        }
    }
    return {};
}

QRect ByteMapWidget::CellRect(bool input, int offset) const {
    const Side& side = sides_[input ? 0 : 1];
    if (offset < 0 || static_cast<size_t>(offset) >= side.drawing.cells.size()) return {};
    const MapCell& cell = side.drawing.cells[offset];
    return QRectF(kMargin + cell.x, side.top + cell.y, cell.width, cell.height).toAlignedRect();
}

bool ByteMapWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = DescriptionAt(help->pos());
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

}  // namespace kestrova
