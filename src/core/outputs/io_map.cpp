#include "core/outputs/io_map.h"

#include "core/outputs/bank_image.h"
#include "core/outputs/module_layout.h"

#include <algorithm>
#include <cstdio>

namespace kestrova {
namespace {

// Finds the modules of one side that hold bytes of the range.
void PlaceInModules(IoMapRange& range, const std::vector<GsdModule>& modules) {
    int start = 0;
    for (const auto& module : modules) {
        if (module.input != range.input) continue;
        const int end = start + module.length;
        if (range.length > 0 && range.offset < end && range.offset + range.length > start) {
            if (range.firstModule == 0) range.firstModule = module.number;
            range.lastModule = module.number;
        }
        start = end;
    }
}

std::string PgnText(int pgn) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(pgn));
    return text;
}

std::string ModuleText(const IoMapRange& range) {
    if (range.firstModule == 0) return "-";
    if (range.firstModule == range.lastModule) return std::to_string(range.firstModule);
    return std::to_string(range.firstModule) + "-" + std::to_string(range.lastModule);
}

using Table = std::vector<std::vector<std::string>>;

std::string Aligned(const Table& table) {
    std::vector<size_t> widths;
    for (const auto& row : table)
        for (size_t c = 0; c < row.size(); ++c) {
            if (widths.size() <= c) widths.push_back(0);
            widths[c] = std::max(widths[c], row[c].size());
        }
    std::string out;
    for (const auto& row : table) {
        std::string line = " ";
        for (size_t c = 0; c < row.size(); ++c) {
            line += ' ';
            line += row[c];
            if (c + 1 < row.size()) line.append(widths[c] - row[c].size() + 1, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

// A text for one line of the table: control characters (line breaks, terminal escapes) become blanks.
std::string PrintableText(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return text;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string HexBytes(const std::vector<uint8_t>& bytes, int offset, int length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (int i = offset; i < offset + length && i >= 0 && static_cast<size_t>(i) < bytes.size(); ++i) {
        if (!text.empty()) text += ' ';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xF];
    }
    return text;
}

}  // namespace

IoMap BuildIoMap(const ProjectContext& context) {
    const BankImage image = BuildBankImage(context);
    const ModuleLayout layout = ComputeModuleLayout(context);
    IoMap map;
    map.oneModulePerFrame = layout.OneModulePerFrame();
    map.sendBits = layout.SendBits();
    map.modules = ListGsdModules(layout);
    GsdLines(layout);  // refuses what the GSD file would refuse
    for (const auto& module : map.modules) (module.input ? map.inputBytes : map.outputBytes) += module.length;

    const bool sendBitAreas = layout.SendBits() && layout.SendBitBytes > 0;
    const auto sendBitArea = [&](bool input, int offset) {
        IoMapRange range;
        range.input = input;
        range.offset = offset;
        range.length = layout.SendBitBytes;
        range.frame = "BITS";
        range.mnemonic = "send bits, one per send frame";
        return range;
    };

    // A frame's range: receive and send records share the identity fields.
    const auto frameRange = [](bool input, const std::string& name, int offset, int length, const auto& frame) {
        IoMapRange range;
        range.input = input;
        range.offset = offset;
        range.length = length;
        range.frame = name;
        range.isFrame = true;
        range.dataPage = frame.dataPage;
        range.pgn = frame.pgn;
        range.sourceAddress = frame.sourceAddress;
        range.mnemonic = frame.mnemonic;
        return range;
    };
    for (size_t i = 0; i < image.receiveFrames.size(); ++i) {
        const auto& frame = image.receiveFrames[i];
        map.ranges.push_back(frameRange(true, "R" + std::to_string(i + 1), frame.dataOffset, frame.dataLength, frame));
    }
    if (sendBitAreas) map.ranges.push_back(sendBitArea(true, ReceiveDataLength(image)));
    for (size_t i = 0; i < image.sendFrames.size(); ++i)
        map.ranges.push_back(frameRange(false, "S" + std::to_string(i + 1), SendFrameDataOffset(i),
                                        kFrameDataBytes, image.sendFrames[i]));
    if (sendBitAreas) map.ranges.push_back(sendBitArea(false, SendDataLength(image)));

    for (auto& range : map.ranges) PlaceInModules(range, map.modules);
    return map;
}

std::string IoMapText(const IoMap& map) {
    std::string out = std::string("Modules: ") +
                      (map.oneModulePerFrame ? "one module per J1939 frame" : "packed modules of up to 64 bytes") +
                      "; send bits: " + (map.sendBits ? "on" : "off") + "\n";
    for (const bool input : {true, false}) {
        out += "\n";
        out += input ? "PROFIBUS input data (" + std::to_string(map.inputBytes) + " bytes)\n"
                     : "PROFIBUS output data (" + std::to_string(map.outputBytes) + " bytes)\n";
        Table table{{"Offset", "Length", "Module", "Slot", "Frame", "DP", "PGN", "SA", "Mnemonic"}};
        for (const auto& range : map.ranges) {
            if (range.input != input) continue;
            const std::string module = ModuleText(range);
            table.push_back({std::to_string(range.offset), std::to_string(range.length), module, module, range.frame,
                             range.isFrame ? std::to_string(range.dataPage) : "",
                             range.isFrame ? PgnText(range.pgn) : "",
                             range.isFrame ? std::to_string(range.sourceAddress) : "", PrintableText(range.mnemonic)});
        }
        if (table.size() == 1) {
            out += "  (none)\n";
            continue;
        }
        out += Aligned(table);
    }
    out += "\nModules (slot n holds module n):\n";
    if (map.modules.empty()) out += "  (none)\n";
    Table modules{{"Module", "Slot", "Direction", "Length"}};
    for (const auto& module : map.modules)
        modules.push_back({std::to_string(module.number), std::to_string(module.number),
                           module.input ? "input" : "output", std::to_string(module.length)});
    if (!map.modules.empty()) out += Aligned(modules);
    return out;
}

std::string IoMapInputAreaText(const IoMap& map, const std::vector<uint8_t>& inputArea) {
    std::string out = "PROFIBUS input data (" + std::to_string(map.inputBytes) + " bytes)\n";
    Table table{{"Offset", "Length", "Module", "Slot", "Frame", "DP", "PGN", "SA", "Mnemonic", "Bytes"}};
    for (const auto& range : map.ranges) {
        if (!range.input) continue;
        const std::string module = ModuleText(range);
        table.push_back({std::to_string(range.offset), std::to_string(range.length), module, module, range.frame,
                         range.isFrame ? std::to_string(range.dataPage) : "", range.isFrame ? PgnText(range.pgn) : "",
                         range.isFrame ? std::to_string(range.sourceAddress) : "", PrintableText(range.mnemonic),
                         HexBytes(inputArea, range.offset, range.length)});
    }
    if (table.size() == 1) return out + "  (none)\n";
    return out + Aligned(table);
}

std::string AlignedText(const std::vector<std::vector<std::string>>& rows) { return Aligned(rows); }

std::string IoMapCsv(const IoMap& map) {
    std::string out =
        "area,offset,length,first_module,last_module,first_slot,last_slot,frame,data_page,pgn,source_address,"
        "mnemonic\r\n";
    for (const auto& range : map.ranges) {
        const std::string first = range.firstModule ? std::to_string(range.firstModule) : "";
        const std::string last = range.lastModule ? std::to_string(range.lastModule) : "";
        out += std::string(range.input ? "input" : "output") + "," + std::to_string(range.offset) + "," +
               std::to_string(range.length) + "," + first + "," + last + "," + first + "," + last + "," +
               range.frame + "," + (range.isFrame ? std::to_string(range.dataPage) : "") + "," +
               (range.isFrame ? PgnText(range.pgn) : "") + "," +
               (range.isFrame ? std::to_string(range.sourceAddress) : "") + "," + CsvField(range.mnemonic) + "\r\n";
    }
    return out;
}

}  // namespace kestrova
