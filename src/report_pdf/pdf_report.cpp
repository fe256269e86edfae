#include "report_pdf/pdf_report.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "core/project/file_system.h"
#include "core/report/report_document.h"
#include "report_pdf/byte_map_painter.h"

namespace kestrova {
namespace {

// Lengths are in pixels of the page's coordinates (kResolution to the inch).
constexpr int kResolution = 300;
constexpr double kMarginMillimetres = 15;  // every side of the page
constexpr double kHeaderMillimetres = 9;   // project name and date, above the text
constexpr double kFooterMillimetres = 8;   // page number, below the text
constexpr double kCellPadding = 10;
constexpr double kRuleWidth = 1.5;       // the lines of a table
constexpr int kRowsKeptWithHeading = 2;  // a heading never ends a page without these rows below it
const char* const kTextFamily = "DejaVu Sans";

double Pixels(double millimetres) { return millimetres / 25.4 * kResolution; }

QString Text(const std::string& text) { return QString::fromStdString(text); }

QFont TextFont(double points, bool bold) {
    QFont font(kTextFamily);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A font with its metrics on the page.
struct Style {
    Style(double points, bool bold, QPaintDevice* device) : font(TextFont(points, bold)), metrics(font, device) {}
    QFont font;
    QFontMetricsF metrics;
};

// `text` broken into lines no wider than `width`: at blanks, inside a word only when the word
// alone is wider.
QStringList BreakLines(const QString& text, const Style& style, double width, QPaintDevice* device) {
    QStringList lines;
    for (const QString& paragraph : text.split('\n')) {
        if (style.metrics.horizontalAdvance(paragraph) <= width) {
            lines << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, style.font, device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
    }
    return lines;
}

void DrawLines(QPainter& painter, const Style& style, const QStringList& lines, QPointF topLeft) {
    painter.setFont(style.font);
    for (const QString& line : lines) {
        painter.drawText(topLeft + QPointF(0, style.metrics.ascent()), line);
        topLeft.ry() += style.metrics.height();
    }
}

// A table set in the width of the page: its columns, and each row's cells broken into lines.
struct SetTable {
    std::vector<double> columnLefts;             // and the right edge last
    std::vector<std::vector<QStringList>> rows;  // the header first
    std::vector<double> heights;
    std::vector<QColor> swatches;  // per body row: the first cell's colour, or invalid
};

// Each column as wide as its longest text when the table fits; else each as wide as its longest
// word (within a third of the page), the rest shared out by how much more the texts of the rows
// want (a header then breaks between its words).
std::vector<double> ColumnWidths(const std::vector<std::vector<QString>>& cells, const Style& head, const Style& body,
                                 double width) {
    const size_t columns = cells.front().size();
    const double padding = 2 * kCellPadding + 1;
    std::vector<double> whole(columns, 0), rows(columns, 0), least(columns, 0);
    double wholeTotal = 0, rowsTotal = 0, leastTotal = 0;
    for (size_t c = 0; c < columns; ++c) {
        for (size_t r = 0; r < cells.size(); ++r) {
            const Style& style = r == 0 ? head : body;
            const double advance = style.metrics.horizontalAdvance(cells[r][c]);
            whole[c] = std::max(whole[c], advance + padding);
            if (r > 0) rows[c] = std::max(rows[c], advance + padding);
            for (const QString& word : cells[r][c].split(' '))
                least[c] = std::max(least[c], std::min(style.metrics.horizontalAdvance(word), width / 3) + padding);
        }
        rows[c] = std::max(rows[c], least[c]);
        wholeTotal += whole[c];
        rowsTotal += rows[c];
        leastTotal += least[c];
    }
    if (wholeTotal <= width) return whole;
    if (leastTotal >= width || rowsTotal <= leastTotal) {
        for (double& column : least) column *= width / leastTotal;
        return least;
    }
    const double spare = std::min(width, rowsTotal) - leastTotal;
    for (size_t c = 0; c < columns; ++c) least[c] += spare * (rows[c] - least[c]) / (rowsTotal - leastTotal);
    return least;
}

SetTable SetOut(const ReportTable& table, const Style& head, const Style& body, double width, QPaintDevice* device) {
    const size_t columns = table.header.size();
    std::vector<std::vector<QString>> cells;
    const auto add = [&](const std::vector<std::string>& row) {
        std::vector<QString> texts(columns);
        for (size_t c = 0; c < columns && c < row.size(); ++c) texts[c] = Text(row[c]);
        cells.push_back(std::move(texts));
    };
    add(table.header);
    for (const auto& row : table.rows) add(row);

    SetTable set;
    set.columnLefts = {0};
    for (const double column : ColumnWidths(cells, head, body, width))
        set.columnLefts.push_back(set.columnLefts.back() + column);
    for (size_t r = 0; r < cells.size(); ++r) {
        const Style& style = r == 0 ? head : body;
        std::vector<QStringList> row;
        int lines = 1;
        for (size_t c = 0; c < columns; ++c) {
            const double inner = set.columnLefts[c + 1] - set.columnLefts[c] - 2 * kCellPadding;
            row.push_back(BreakLines(cells[r][c], style, inner, device));
            lines = std::max(lines, static_cast<int>(row.back().size()));
        }
        set.rows.push_back(std::move(row));
        set.heights.push_back(lines * style.metrics.height() + 2 * kCellPadding);
    }
    for (size_t r = 0; r < table.rows.size(); ++r)
        set.swatches.push_back(
            r < table.rowColours.size() && !table.rowColours[r].empty() ? QColor(Text(table.rowColours[r])) : QColor());
    return set;
}

// One row of a table: the fills, the texts, the line below it and the lines between its
// cells; the header also draws the line above it (every page's part of a table starts with
// the header), so no line is drawn twice.
void DrawRow(QPainter& painter, const SetTable& table, size_t row, double top, const Style& head, const Style& body) {
    const double height = table.heights[row];
    const auto& lefts = table.columnLefts;
    const auto cell = [&](size_t c) { return QRectF(lefts[c], top, lefts[c + 1] - lefts[c], height); };
    if (row == 0)
        painter.fillRect(QRectF(lefts.front(), top, lefts.back() - lefts.front(), height), QColor("#eeeeee"));
    else if (table.swatches[row - 1].isValid())
        painter.fillRect(cell(0), table.swatches[row - 1]);
    painter.setPen(QColor("#000000"));
    for (size_t c = 0; c + 1 < lefts.size(); ++c)
        DrawLines(painter, row == 0 ? head : body, table.rows[row][c],
                  cell(c).topLeft() + QPointF(kCellPadding, kCellPadding));
    QPen rule(QColor("#999999"), kRuleWidth);
    rule.setCapStyle(Qt::FlatCap);
    painter.setPen(rule);
    if (row == 0) painter.drawLine(QPointF(lefts.front(), top), QPointF(lefts.back(), top));
    painter.drawLine(QPointF(lefts.front(), top + height), QPointF(lefts.back(), top + height));
    for (const double x : lefts) painter.drawLine(QPointF(x, top), QPointF(x, top + height));
}

// A piece of the report that is never split: a heading, a paragraph, a table's row or a row of
// a byte map. Pieces run down the page; one that does not fit begins the next page.
struct Piece {
    double height = 0;
    double spaceAbove = 0, spaceBelow = 0;  // between pieces, dropped at the top of a page
    int keepWithNext = 0;                   // this many following pieces end on the same page
    int repeatAtTop = -1;                   // a piece set again above this one on a new page
    std::function<void(QPainter&, double top)> draw;
};

struct Placed {
    int piece = 0;
    int page = 0;
    double top = 0;
};

class ReportLayout {
public:
    ReportLayout(QPaintDevice* device, double width, double pageHeight)
        : device_(device), width_(width), pageHeight_(pageHeight) {}

    void Add(const ReportDocument& report, const ProjectSummary& summary) {
        for (size_t b = 0; b < report.blocks.size(); ++b) {
            const ReportBlock& block = report.blocks[b];
            switch (block.kind) {
                case ReportBlockKind::Title:
                    AddText(block.text, title_, 0, 12);
                    break;
                case ReportBlockKind::Section:
                    AddText(block.text, section_, 40, 10);
                    pieces_.back().keepWithNext = b + 1 < report.blocks.size() ? FirstPieces(report.blocks[b + 1]) : 0;
                    break;
                case ReportBlockKind::Paragraph:
                    AddText(block.text, paragraph_, 4, 4);
                    break;
                case ReportBlockKind::Table:
                    AddTable(block.table);
                    break;
                case ReportBlockKind::ByteMap:
                    if (summary.map) AddByteMap(DrawByteMap(*summary.map, block.input));
                    break;
            }
        }
    }

    // Places the pieces on pages.
    std::vector<Placed> Paginate() const {
        std::vector<Placed> placed;
        int page = 0;
        bool empty = true;             // nothing on the page yet
        double bottom = 0, below = 0;  // the bottom of the last piece on the page, the space it wants
        const auto top = [&](const Piece& piece) { return empty ? 0 : bottom + std::max(below, piece.spaceAbove); };
        const auto place = [&](int index) {
            const Piece& piece = pieces_[index];
            placed.push_back({index, page, top(piece)});
            bottom = placed.back().top + piece.height;
            below = piece.spaceBelow;
            empty = false;
        };
        for (int i = 0; i < static_cast<int>(pieces_.size()); ++i) {
            double end = top(pieces_[i]) + pieces_[i].height;
            for (int k = 1; k <= pieces_[i].keepWithNext && i + k < static_cast<int>(pieces_.size()); ++k)
                end += std::max(pieces_[i + k - 1].spaceBelow, pieces_[i + k].spaceAbove) + pieces_[i + k].height;
            if (end > pageHeight_ && !empty) {
                ++page;
                empty = true;
                if (pieces_[i].repeatAtTop >= 0) place(pieces_[i].repeatAtTop);
            }
            place(i);
        }
        return placed;
    }

    const Piece& operator[](int index) const { return pieces_[index]; }

private:
    void AddText(const std::string& text, const Style& style, double above, double below) {
        const QStringList lines = BreakLines(Text(text), style, width_, device_);
        Piece piece;
        piece.height = lines.size() * style.metrics.height();
        piece.spaceAbove = above;
        piece.spaceBelow = below;
        piece.draw = [lines, &style](QPainter& painter, double top) {
            painter.setPen(QColor("#000000"));
            DrawLines(painter, style, lines, QPointF(0, top));
        };
        pieces_.push_back(std::move(piece));
    }

    void AddTable(const ReportTable& table) {
        if (table.header.empty()) return;
        tables_.push_back(std::make_unique<SetTable>(SetOut(table, tableHead_, tableBody_, width_, device_)));
        const SetTable& set = *tables_.back();
        const int header = static_cast<int>(pieces_.size());
        for (size_t row = 0; row < set.rows.size(); ++row) {
            Piece piece;
            piece.height = set.heights[row];
            piece.spaceAbove = row == 0 ? 12 : 0;
            piece.spaceBelow = row + 1 == set.rows.size() ? 30 : 0;
            piece.keepWithNext = row == 0 ? 1 : 0;
            piece.repeatAtTop = row == 0 ? -1 : header;
            piece.draw = [&set, row, this](QPainter& painter, double top) {
                DrawRow(painter, set, row, top, tableHead_, tableBody_);
            };
            pieces_.push_back(std::move(piece));
        }
    }

    // One piece per row of cells, scaled to the width of the text; the first also holds what
    // lies above the first row.
    void AddByteMap(ByteMapDrawing drawing) {
        maps_.push_back(std::make_unique<ByteMapDrawing>(std::move(drawing)));
        const ByteMapDrawing& map = *maps_.back();
        const double scale = map.width > 0 ? width_ / map.width : 1.0;
        const auto& tops = map.rowTops;
        for (size_t row = 0; row < std::max<size_t>(tops.size(), 1); ++row) {
            const double from = row == 0 ? 0 : tops[row];
            const double to = row + 1 < tops.size() ? tops[row + 1] : map.height;
            Piece piece;
            piece.height = (to - from) * scale;
            piece.spaceAbove = row == 0 ? 10 : 0;
            piece.spaceBelow = row + 1 >= tops.size() ? 10 : 0;
            piece.draw = [&map, from, to, scale](QPainter& painter, double top) {
                painter.save();
                painter.translate(0, top);
                painter.scale(scale, scale);
                painter.translate(0, -from);
                PaintByteMap(painter, map, from, to);
                painter.restore();
            };
            pieces_.push_back(std::move(piece));
        }
    }

    // The pieces of a block that keep the heading above it company.
    static int FirstPieces(const ReportBlock& block) {
        switch (block.kind) {
            case ReportBlockKind::Table:
                return std::min<int>(kRowsKeptWithHeading, block.table.rows.size()) + 1;
            case ReportBlockKind::ByteMap:
                return kRowsKeptWithHeading;
            default:
                return 1;
        }
    }

    QPaintDevice* device_;
    double width_, pageHeight_;
    Style title_{16, true, device_}, section_{12, true, device_}, paragraph_{9, false, device_};
    Style tableHead_{7.5, true, device_}, tableBody_{7.5, false, device_};
    std::vector<Piece> pieces_;
    std::vector<std::unique_ptr<SetTable>> tables_;
    std::vector<std::unique_ptr<ByteMapDrawing>> maps_;
};

void DrawPageFrame(QPainter& painter, const QRectF& page, const ProjectSummary& summary, int number, int count) {
    painter.setFont(TextFont(8, false));
    painter.setPen(QColor("#000000"));
    const double header = Pixels(kHeaderMillimetres), footer = Pixels(kFooterMillimetres);
    const QRectF top(page.left(), page.top(), page.width(), header * 0.6);
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, Text("Project Overview: " + summary.projectName));
    painter.drawText(top, Qt::AlignRight | Qt::AlignVCenter, Text(summary.date));
    painter.setPen(QPen(QColor("#888888"), 2));
    painter.drawLine(QPointF(page.left(), page.top() + header * 0.7), QPointF(page.right(), page.top() + header * 0.7));
    painter.setPen(QColor("#000000"));
    const QRectF bottom(page.left(), page.bottom() - footer * 0.6, page.width(), footer * 0.6);
    painter.drawText(bottom, Qt::AlignHCenter | Qt::AlignVCenter, QString("Page %1 of %2").arg(number).arg(count));
}

}  // namespace

QByteArray PdfReport(const ProjectSummary& summary) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kResolution);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                        QMarginsF(kMarginMillimetres, kMarginMillimetres, kMarginMillimetres, kMarginMillimetres),
                        QPageLayout::Millimeter));
        writer.setTitle(Text("Project Overview: " + summary.projectName));
        writer.setCreator("kestrova");

        const QRectF page(QPointF(0, 0), QSizeF(writer.pageLayout().paintRectPixels(kResolution).size()));
        const double header = Pixels(kHeaderMillimetres), footer = Pixels(kFooterMillimetres);
        ReportLayout layout(&writer, page.width(), page.height() - header - footer);
        layout.Add(BuildReportDocument(summary), summary);
        const std::vector<Placed> placed = layout.Paginate();
        const int pages = placed.empty() ? 1 : placed.back().page + 1;

        QPainter painter(&writer);
        size_t next = 0;
        for (int p = 0; p < pages; ++p) {
            if (p > 0) writer.newPage();
            DrawPageFrame(painter, page, summary, p + 1, pages);
            painter.save();
            painter.translate(0, header);
            for (; next < placed.size() && placed[next].page == p; ++next)
                layout[placed[next].piece].draw(painter, placed[next].top);
            painter.restore();
        }
        painter.end();
    }
    return bytes;
}

void WritePdfReport(const ProjectSummary& summary, const std::string& path) {
    const QByteArray bytes = PdfReport(summary);
    WriteFileReplacing(path, std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
}

std::unique_ptr<QGuiApplication> StartReportApplication() {
    if (QCoreApplication::instance()) return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The toolkit's notes about the platform (no runtime folder, no session) are no concern of
    // a report; its errors still reach stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
    });
    static int argc = 1;
    static char name[] = "kestrova-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace kestrova
