#include "core/report/report_document.h"

namespace kestrova {
namespace {

std::string Count(const char* heading, size_t count) {
    return std::string(heading) + " (" + std::to_string(count) + ")";
}

std::string Bytes(long long count) { return std::to_string(count) + (count == 1 ? " byte" : " bytes"); }

class Builder {
public:
    explicit Builder(ReportDocument& document) : document_(document) {}

    void Section(const std::string& text) { Add(ReportBlockKind::Section, text); }
    void Paragraph(const std::string& text) { Add(ReportBlockKind::Paragraph, text); }
    void Table(ReportTable table) {
        ReportBlock block;
        block.kind = ReportBlockKind::Table;
        block.table = std::move(table);
        document_.blocks.push_back(std::move(block));
    }
    void ByteMap(bool input) {
        ReportBlock block;
        block.kind = ReportBlockKind::ByteMap;
        block.input = input;
        document_.blocks.push_back(std::move(block));
    }
    void Add(ReportBlockKind kind, const std::string& text) {
        ReportBlock block;
        block.kind = kind;
        block.text = text;
        document_.blocks.push_back(std::move(block));
    }

private:
    ReportDocument& document_;
};

ReportTable FrameTable(const std::vector<SummaryFrame>& frames) {
    ReportTable table;
    table.header = {"Frame", "Mnemonic"};
    for (const auto& field : frames.front().fields) table.header.push_back(field.name);
    for (const auto& frame : frames) {
        std::vector<std::string> row = {frame.name, frame.mnemonic};
        for (const auto& field : frame.fields) row.push_back(field.value);
        table.rows.push_back(std::move(row));
    }
    return table;
}

void FrameSection(Builder& out, const char* heading, const std::vector<SummaryFrame>& frames,
                  const std::string& problem) {
    out.Section(Count(heading, frames.size()));
    if (!problem.empty())
        out.Paragraph("The frame lists cannot be compiled: " + problem);
    else if (frames.empty())
        out.Paragraph("No frames.");
    else
        out.Table(FrameTable(frames));
}

// What each module holds: the ranges with bytes in it.
std::string ModuleContents(const IoMap& map, const GsdModule& module) {
    std::string names;
    for (const auto& range : map.ranges)
        if (range.input == module.input && range.firstModule <= module.number && module.number <= range.lastModule &&
            range.firstModule > 0)
            names += (names.empty() ? "" : ", ") + range.frame;
    return names;
}

void LayoutSection(Builder& out, const ProjectSummary& summary) {
    out.Section(kLayoutSection);
    const ModuleLayout& layout = summary.layout;
    ReportTable settings;
    settings.header = {"Setting", "Value"};
    settings.rows.push_back(
        {"Modules", layout.OneModulePerFrame() ? "one module per J1939 frame" : "packed modules of up to 64 bytes"});
    settings.rows.push_back(
        {"Send bits", layout.SendBits() ? "on, " + Bytes(layout.SendBitBytes) + " on each side" : "off"});
    if (summary.map) {
        const IoMap& map = *summary.map;
        int inputs = 0, outputs = 0;
        for (const auto& module : map.modules) ++(module.input ? inputs : outputs);
        settings.rows.push_back({"Input data", Bytes(map.inputBytes) + " in " + std::to_string(inputs) +
                                                   (inputs == 1 ? " module" : " modules")});
        settings.rows.push_back({"Output data", Bytes(map.outputBytes) + " in " + std::to_string(outputs) +
                                                    (outputs == 1 ? " module" : " modules")});
    }
    out.Table(std::move(settings));
    if (!summary.map) return;
    if (summary.map->modules.empty()) {
        out.Paragraph("No modules.");
        return;
    }
    ReportTable modules;
    modules.header = {"Module", "Slot", "Direction", "Length", "Holds"};
    for (const auto& module : summary.map->modules)
        modules.rows.push_back({std::to_string(module.number), std::to_string(module.number),
                                module.input ? "input" : "output", Bytes(module.length),
                                ModuleContents(*summary.map, module)});
    out.Table(std::move(modules));
}

void MapSection(Builder& out, const ProjectSummary& summary, bool input) {
    const char* heading = input ? kInputSection : kOutputSection;
    if (!summary.map) {
        out.Section(heading);
        out.Paragraph("No byte map: " + summary.refusal);
        return;
    }
    const IoMap& map = *summary.map;
    const int bytes = input ? map.inputBytes : map.outputBytes;
    out.Section(std::string(heading) + " (" + Bytes(bytes) + ")");
    const auto bands = MapBands(map, input);
    if (bands.empty() && bytes == 0) {
        out.Paragraph(input ? "No input data." : "No output data.");
        return;
    }
    out.ByteMap(input);
    ReportTable legend;
    legend.header.assign(std::begin(kLegendColumns), std::end(kLegendColumns));
    for (const auto& band : bands) {
        const auto& range = map.ranges[band.range];
        legend.rows.push_back({"", range.frame, RangeLabel(range), range.isFrame ? std::to_string(range.dataPage) : "",
                               range.isFrame ? PgnText(static_cast<uint16_t>(range.pgn)) : "",
                               range.isFrame ? std::to_string(range.sourceAddress) : "", std::to_string(range.offset),
                               std::to_string(range.length), RangeModules(range)});
        legend.rowColours.push_back(band.colour);
    }
    out.Table(std::move(legend));
}

std::string FileCheck(const SummaryFile& file) {
    if (!file.problem.empty()) return "not compared: " + file.problem;
    if (file.differences.empty()) return "consistent with the project";
    std::string text = std::to_string(file.differences.size()) +
                       (file.differences.size() == 1 ? " difference" : " differences") + " with the project";
    for (const auto& difference : file.differences) text += "; " + difference;
    return text;
}

}  // namespace

ReportDocument BuildReportDocument(const ProjectSummary& summary) {
    ReportDocument document;
    document.title = "Project Overview: " + summary.projectName;
    Builder out(document);
    out.Add(ReportBlockKind::Title, document.title);
    out.Paragraph("Project folder " + summary.projectDirectory + ", made on " + summary.date + ".");
    if (!summary.refusal.empty()) out.Paragraph("No byte map: " + summary.refusal);

    out.Section(kCommunicationSection);
    if (summary.hasParameters) {
        ReportTable table;
        table.header = {"Setting", "Value"};
        for (const auto& field : summary.communication) table.rows.push_back({field.name, field.value});
        out.Table(std::move(table));
    } else if (summary.listProblem.empty()) {
        out.Paragraph("No pargen.xml: the communication settings have not been saved yet.");
    } else {
        out.Paragraph("The settings cannot be compiled: " + summary.listProblem);
    }

    FrameSection(out, kReceiveSection, summary.receiveFrames, summary.listProblem);
    FrameSection(out, kSendSection, summary.sendFrames, summary.listProblem);

    out.Section(Count(kTimerSection, summary.timers.size()));
    if (summary.timers.empty()) {
        out.Paragraph("No timers.");
    } else {
        ReportTable timers;
        timers.header = {"Timer", "Interval"};
        for (size_t i = 0; i < summary.timers.size(); ++i)
            timers.rows.push_back({"T" + std::to_string(i + 1), std::to_string(summary.timers[i]) + " ms"});
        out.Table(std::move(timers));
    }

    LayoutSection(out, summary);
    MapSection(out, summary, true);
    MapSection(out, summary, false);

    out.Section(Count(kWarningSection, summary.warnings.size()));
    if (summary.warnings.empty()) {
        out.Paragraph("No warnings.");
    } else {
        ReportTable warnings;
        warnings.header = {"Document", "Row", "Warning"};
        for (const auto& warning : summary.warnings)
            warnings.rows.push_back(
                {warning.document, warning.row > 0 ? std::to_string(warning.row) : "", warning.reason});
        out.Table(std::move(warnings));
    }

    out.Section(kFileSection);
    if (summary.files.empty()) {
        out.Paragraph("No bin/bank.bin yet, and no GSD file named.");
    } else {
        ReportTable files;
        files.header = {"File", "Path", "Size", "SHA-256", "Check"};
        for (const auto& file : summary.files)
            files.rows.push_back({file.what, file.path, Bytes(file.size), file.sha256, FileCheck(file)});
        out.Table(std::move(files));
    }
    return document;
}

}  // namespace kestrova
