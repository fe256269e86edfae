#include "report_pdf/pdf_report.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/project/file_system.h"
#include "core/report/report_document.h"
#include "report_pdf/byte_map_painter.h"
#include "report_pdf/byte_map_text_object.h"

namespace kestrova {
namespace {

constexpr int kResolution = 300;           // dots per inch of the page's coordinates
constexpr double kMarginMillimetres = 15;  // every side of the page
constexpr double kHeaderMillimetres = 9;   // project name and date, above the text
constexpr double kFooterMillimetres = 8;   // page number, below the text
constexpr int kMapRowsPerPiece = 8;        // a byte map breaks across pages between these
const char* const kTextFamily = "DejaVu Sans";

double Pixels(double millimetres) { return millimetres / 25.4 * kResolution; }

QString Text(const std::string& text) { return QString::fromStdString(text); }

QTextCharFormat CharFormat(double points, bool bold = false) {
    QTextCharFormat format;
    format.setFontFamilies({kTextFamily});
    format.setFontPointSize(points);
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    return format;
}

QTextBlockFormat BlockFormat(double topMargin, double bottomMargin) {
    QTextBlockFormat format;
    format.setTopMargin(topMargin);
    format.setBottomMargin(bottomMargin);
    return format;
}

// Characters of the table text (7.5 point) that fit across the page.
constexpr int kCharactersPerLine = 112;

// Column widths for a table too wide to lay out by its content: each column as wide as its
// longest word needs, more for longer texts, shared out in proportion.
QVector<QTextLength> ColumnWidths(const ReportTable& table) {
    const size_t columns = table.header.size();
    std::vector<int> longestWord(columns, 0), longestText(columns, 0);
    const auto measure = [&](size_t column, const std::string& text) {
        const QString cell = Text(text);
        longestText[column] = std::max(longestText[column], static_cast<int>(cell.size()));
        for (const QString& word : cell.split(' '))
            longestWord[column] = std::max(longestWord[column], static_cast<int>(word.size()));
    };
    for (size_t c = 0; c < columns; ++c) measure(c, table.header[c]);
    for (const auto& row : table.rows)
        for (size_t c = 0; c < columns && c < row.size(); ++c) measure(c, row[c]);
    int natural = 0;
    for (size_t c = 0; c < columns; ++c) natural += longestText[c] + 3;
    if (natural <= kCharactersPerLine) return {};
    std::vector<int> weights(columns);
    int total = 0;
    for (size_t c = 0; c < columns; ++c) {
        weights[c] = std::clamp(std::max(longestWord[c] + 2, std::min(longestText[c], 30)), 4, 70);
        total += weights[c];
    }
    QVector<QTextLength> widths;
    for (const int weight : weights) widths.append(QTextLength(QTextLength::PercentageLength, 100.0 * weight / total));
    return widths;
}

void InsertTable(QTextCursor& cursor, const ReportTable& table) {
    const int columns = static_cast<int>(table.header.size());
    if (columns == 0) return;
    QTextTableFormat format;
    format.setBorder(1.5);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(QColor("#999999"));
    format.setCellPadding(10);
    format.setCellSpacing(0);
    format.setTopMargin(12);
    format.setBottomMargin(30);
    if (const auto widths = ColumnWidths(table); !widths.isEmpty()) {
        format.setColumnWidthConstraints(widths);
        format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    }
    QTextTable* grid = cursor.insertTable(static_cast<int>(table.rows.size()) + 1, columns, format);
    const QTextCharFormat head = CharFormat(7.5, true), body = CharFormat(7.5);
    for (int c = 0; c < columns; ++c) {
        QTextTableCell cell = grid->cellAt(0, c);
        QTextTableCellFormat cellFormat;
        cellFormat.setBackground(QColor("#eeeeee"));
        cell.setFormat(cellFormat);
        cell.firstCursorPosition().insertText(Text(table.header[c]), head);
    }
    for (size_t r = 0; r < table.rows.size(); ++r) {
        const auto& row = table.rows[r];
        for (int c = 0; c < columns && c < static_cast<int>(row.size()); ++c) {
            QTextTableCell cell = grid->cellAt(static_cast<int>(r) + 1, c);
            if (c == 0 && r < table.rowColours.size() && !table.rowColours[r].empty()) {
                QTextTableCellFormat swatch;
                swatch.setBackground(QColor(Text(table.rowColours[r])));
                cell.setFormat(swatch);
            }
            cell.firstCursorPosition().insertText(Text(row[c]), body);
        }
    }
    cursor.movePosition(QTextCursor::End);
}

// The pieces of a byte map, a few rows each, so a long map continues on the next page.
void InsertByteMap(QTextCursor& cursor, ByteMapTextObject& maps, const ByteMapDrawing& drawing) {
    const int index = maps.Add(drawing);
    const auto& tops = drawing.rowTops;
    for (size_t first = 0; first < tops.size(); first += kMapRowsPerPiece) {
        const double top = first == 0 ? 0 : tops[first];
        const double bottom = first + kMapRowsPerPiece < tops.size() ? tops[first + kMapRowsPerPiece] : drawing.height;
        cursor.insertBlock(BlockFormat(first == 0 ? 10 : 0, 0));
        cursor.insertText(QString(QChar::ObjectReplacementCharacter), maps.Format(index, top, bottom));
    }
    cursor.insertBlock(BlockFormat(0, 10));
}

void Build(QTextDocument& document, ByteMapTextObject& maps, const ProjectSummary& summary) {
    const ReportDocument report = BuildReportDocument(summary);
    QTextCursor cursor(&document);
    bool first = true;
    const auto block = [&](const QTextBlockFormat& format) {
        if (first)
            cursor.setBlockFormat(format);
        else
            cursor.insertBlock(format);
        first = false;
    };
    for (const auto& part : report.blocks) {
        switch (part.kind) {
            case ReportBlockKind::Title:
                block(BlockFormat(0, 12));
                cursor.insertText(Text(part.text), CharFormat(16, true));
                break;
            case ReportBlockKind::Section:
                block(BlockFormat(40, 10));
                cursor.insertText(Text(part.text), CharFormat(12, true));
                break;
            case ReportBlockKind::Paragraph:
                block(BlockFormat(4, 4));
                cursor.insertText(Text(part.text), CharFormat(9));
                break;
            case ReportBlockKind::Table:
                block(BlockFormat(0, 0));
                InsertTable(cursor, part.table);
                first = false;
                break;
            case ReportBlockKind::ByteMap:
                if (summary.map) {
                    block(BlockFormat(0, 0));
                    InsertByteMap(cursor, maps, DrawByteMap(*summary.map, part.input));
                }
                break;
        }
    }
}

void DrawPageFrame(QPainter& painter, const QRectF& page, const ProjectSummary& summary, int number, int count) {
    QFont font(kTextFamily);
    font.setPointSizeF(8);
    painter.setFont(font);
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
        const QSizeF body(page.width(), page.height() - header - footer);

        QTextDocument document;
        document.documentLayout()->setPaintDevice(&writer);
        document.setDocumentMargin(0);
        QFont font(kTextFamily);
        font.setPointSizeF(9);
        document.setDefaultFont(font);
        document.setPageSize(body);
        ByteMapTextObject maps(body.width());
        document.documentLayout()->registerHandler(ByteMapTextObject::kFormatType, &maps);
        Build(document, maps, summary);

        const int pages = std::max(1, document.pageCount());
        QPainter painter(&writer);
        for (int p = 0; p < pages; ++p) {
            if (p > 0) writer.newPage();
            DrawPageFrame(painter, page, summary, p + 1, pages);
            painter.save();
            painter.translate(0, header - p * body.height());
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = QRectF(0, p * body.height(), body.width(), body.height());
            painter.setClipRect(context.clip);
            document.documentLayout()->draw(&painter, context);
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
