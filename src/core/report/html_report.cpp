#include "core/report/html_report.h"

#include <cstdio>

#include "core/project/file_system.h"
#include "core/project/text_encoding.h"
#include "core/report/report_document.h"

namespace kestrova {
namespace {

const char* const kStyle =
    "body{font-family:\"DejaVu Sans\",Verdana,Arial,sans-serif;font-size:14px;color:#000;background:#fff;"
    "margin:24px;max-width:1120px}"
    "h1{font-size:22px;margin:0 0 6px}"
    "h2{font-size:17px;margin:28px 0 8px;padding-bottom:2px;border-bottom:1px solid #888}"
    "p{margin:6px 0}"
    "table{border-collapse:collapse;margin:6px 0 14px}"
    "th,td{border:1px solid #999;padding:3px 7px;text-align:left;vertical-align:top;font-size:13px}"
    "th{background:#eee}"
    "td.hash{font-family:\"DejaVu Sans Mono\",monospace;font-size:12px;word-break:break-all}"
    ".map{margin:8px 0}"
    ".map svg{max-width:100%;height:auto}"
    ".refusal{border-left:4px solid #000;padding-left:8px}"
    "@media print{body{margin:0}h2{break-after:avoid}tr,svg{break-inside:avoid}}";

// Numbers of the picture: integral where they are, else one decimal.
std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    std::string out = text;
    if (out.size() > 2 && out.compare(out.size() - 2, 2, ".0") == 0) out.resize(out.size() - 2);
    return out;
}

const char* AnchorName(MapAnchor anchor) {
    switch (anchor) {
        case MapAnchor::Start:
            return "start";
        case MapAnchor::End:
            return "end";
        case MapAnchor::Middle:
            break;
    }
    return "middle";
}

std::string Element(const std::string& tag, const std::string& content, const std::string& attributes = "") {
    return "<" + tag + attributes + ">" + content + "</" + tag + ">";
}

std::string Swatch(const std::string& colour) {
    return "<svg width=\"28\" height=\"14\" viewBox=\"0 0 28 14\" aria-hidden=\"true\"><rect x=\"0.5\" y=\"0.5\" "
           "width=\"27\" height=\"13\" fill=\"" +
           HtmlText(colour) + "\" stroke=\"#333333\" stroke-width=\"1\"/></svg>";
}

std::string Table(const ReportTable& table) {
    std::string html = "<table>\n<thead><tr>";
    for (const auto& heading : table.header) html += Element("th", HtmlText(heading), " scope=\"col\"");
    html += "</tr></thead>\n<tbody>\n";
    for (size_t r = 0; r < table.rows.size(); ++r) {
        html += "<tr>";
        const auto& row = table.rows[r];
        for (size_t c = 0; c < row.size(); ++c) {
            const std::string& heading = c < table.header.size() ? table.header[c] : std::string();
            if (c == 0 && r < table.rowColours.size() && !table.rowColours[r].empty())
                html += Element("td", Swatch(table.rowColours[r]));
            else
                html += Element("td", HtmlText(row[c]), heading == "SHA-256" ? " class=\"hash\"" : "");
        }
        html += "</tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

}  // namespace

std::string HtmlText(const std::string& text) {
    std::string valid;
    for (size_t at = 0; at < text.size();) {
        const size_t bad = FirstInvalidUtf8(text.substr(at));
        if (bad == std::string::npos) {
            valid.append(text, at, std::string::npos);
            break;
        }
        valid.append(text, at, bad);
        valid += "\uFFFD";
        at += bad + 1;
    }
    std::string out;
    out.reserve(valid.size());
    for (const char c : valid) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? ' ' : c;
        }
    }
    return out;
}

std::string ByteMapSvg(const ByteMapDrawing& drawing, const std::string& title) {
    std::string svg = "<svg width=\"" + Number(drawing.width) + "\" height=\"" + Number(drawing.height) +
                      "\" viewBox=\"0 0 " + Number(drawing.width) + " " + Number(drawing.height) +
                      "\" role=\"img\">\n" + Element("title", HtmlText(title)) + "\n";
    for (const auto& rect : drawing.rects) {
        svg += "<rect x=\"" + Number(rect.x) + "\" y=\"" + Number(rect.y) + "\" width=\"" + Number(rect.width) +
               "\" height=\"" + Number(rect.height) + "\" fill=\"" +
               (rect.fill.empty() ? "none" : HtmlText(rect.fill)) + "\"";
        if (rect.strokeWidth > 0)
            svg += " stroke=\"" + HtmlText(rect.stroke) + "\" stroke-width=\"" + Number(rect.strokeWidth) + "\"";
        svg += "/>\n";
    }
    for (const auto& line : drawing.lines)
        svg += "<line x1=\"" + Number(line.x1) + "\" y1=\"" + Number(line.y1) + "\" x2=\"" + Number(line.x2) +
               "\" y2=\"" + Number(line.y2) + "\" stroke=\"" + HtmlText(line.colour) + "\" stroke-width=\"" +
               Number(line.width) + "\" stroke-linecap=\"square\"/>\n";
    for (const auto& text : drawing.texts)
        svg += "<text x=\"" + Number(text.x) + "\" y=\"" + Number(text.y) + "\" font-family=\"" + kMapFontFamily +
               ", monospace\" font-size=\"" + std::to_string(text.size) + "\"" +
               (text.bold ? " font-weight=\"bold\"" : "") + " text-anchor=\"" + AnchorName(text.anchor) +
               "\" dominant-baseline=\"central\" fill=\"" + HtmlText(text.colour) + "\">" + HtmlText(text.text) +
               "</text>\n";
    return svg + "</svg>";
}

std::string HtmlReport(const ProjectSummary& summary) {
    const ReportDocument document = BuildReportDocument(summary);
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n<meta name=\"viewport\" "
        "content=\"width=device-width, initial-scale=1\"/>\n" +
        Element("title", HtmlText(document.title)) + "\n" + Element("style", kStyle) + "\n</head>\n<body>\n";
    for (const auto& block : document.blocks) {
        switch (block.kind) {
            case ReportBlockKind::Title:
                html += Element("h1", HtmlText(block.text)) + "\n";
                break;
            case ReportBlockKind::Section:
                html += Element("h2", HtmlText(block.text)) + "\n";
                break;
            case ReportBlockKind::Paragraph:
                html += Element("p", HtmlText(block.text),
                                block.text.rfind("No byte map: ", 0) == 0 ? " class=\"refusal\"" : "") +
                        "\n";
                break;
            case ReportBlockKind::Table:
                html += Table(block.table);
                break;
            case ReportBlockKind::ByteMap:
                if (summary.map) {
                    const char* side = block.input ? "input" : "output";
                    html += "<div class=\"map\">\n" +
                            ByteMapSvg(DrawByteMap(*summary.map, block.input),
                                       std::string("Byte map of the PROFIBUS ") + side + " data") +
                            "\n</div>\n";
                }
                break;
        }
    }
    return html + "</body>\n</html>\n";
}

void WriteHtmlReport(const ProjectSummary& summary, const std::string& path) {
    WriteFileReplacing(path, HtmlReport(summary));
}

}  // namespace kestrova
