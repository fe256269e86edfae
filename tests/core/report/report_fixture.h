#pragma once

#include <string>
#include <vector>

#include "core/outputs/output_fixture.h"

namespace kestrova::testing {

// A project of `receive` and `send` frames with distinct identities and mnemonics ("Receive 3",
// "Send 12"), every `transportEvery`-th receive frame a transport-protocol frame of 20 bytes.
inline void WriteDistinctFrames(const OutputProject& project, int receive, int send, int transportEvery = 0) {
    std::string rows = "<Receive_Frames>";
    for (int i = 1; i <= receive; ++i) {
        const bool transport = transportEvery > 0 && i % transportEvery == 0;
        rows += "<row DataPage=\"0\" PGN=\"" + std::to_string(0xFE00 + i) + "\" SA=\"" + std::to_string(i % 200) +
                "\" TP=\"" + (transport ? "Y\" TP_Start=\"1\" TP_NByte=\"20\"" : "N\" TP_Start=\"\" TP_NByte=\"\"") +
                " Delete=\"N\" OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"Receive " + std::to_string(i) + "\"/>";
    }
    WriteText(project.context().documents.receiveFrame, rows + "</Receive_Frames>");
    rows = "<Receive_Frames>";
    for (int i = 1; i <= send; ++i)
        rows += "<row Priority=\"6\" DataPage=\"1\" PGN=\"" + std::to_string(0xFF00 + i) +
                "\" SA=\"128\" TT=\"0\" Mnemonic=\"Send " + std::to_string(i) + "\"/>";
    WriteText(project.context().documents.sendFrame, rows + "</Receive_Frames>");
}

// The rows of a CSV text (CR LF lines), header left out, fields split at every comma: enough
// for the columns before the mnemonic, the last and only quoted one.
inline std::vector<std::vector<std::string>> CsvRows(const std::string& csv) {
    std::vector<std::vector<std::string>> rows;
    for (size_t at = csv.find("\r\n"); at != std::string::npos && at + 2 < csv.size();) {
        const size_t end = csv.find("\r\n", at + 2);
        rows.emplace_back(1);
        for (const char c : csv.substr(at + 2, end - at - 2)) {
            if (c == ',')
                rows.back().emplace_back();
            else
                rows.back().back() += c;
        }
        at = end;
    }
    return rows;
}

}  // namespace kestrova::testing
