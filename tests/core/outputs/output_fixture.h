#pragma once

#include "core/project/error.h"
#include "core/project/project_context.h"
#include "support/error_text.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kestrova::testing {

inline std::string OutputData(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/outputs/" + name; }

// A project directory with its bin folder (optionally the documents of a fixture project), and
// writers of its documents in the form the editors write them.
class OutputProject {
public:
    explicit OutputProject(const std::string& fixture = "") {
        context_ = MakeProjectContext(dir_.path());
        context_.projectDirectory = dir_ / "Demo";
        std::filesystem::create_directories(context_.projectDirectory + "/bin");
        context_.DeriveDocumentPaths();
        if (!fixture.empty())
            for (const auto& entry : std::filesystem::directory_iterator(OutputData(fixture)))
                if (entry.is_regular_file())
                    std::filesystem::copy_file(entry.path(), directory() + "/" + entry.path().filename().string());
    }

    const ProjectContext& context() const { return context_; }
    const std::string& directory() const { return context_.projectDirectory; }
    std::string bankPath() const { return directory() + "/bin/bank.bin"; }
    ProjectContext withoutProject() const {
        ProjectContext none = context_;
        none.projectDirectory.clear();
        none.DeriveDocumentPaths();
        return none;
    }

    void WritePargen(const std::string& profiModule = "0", const std::string& sendJ1939 = "0") const {
        WriteText(context_.documents.pargen,
                  "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
                  "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
                  "<Filter_FECA>0</Filter_FECA><TimeOut_FECA>1</TimeOut_FECA><Profi_ID>20</Profi_ID>"
                  "<Profi_Baud>10</Profi_Baud><Profi_Module>" + profiModule + "</Profi_Module><Profi_Send_J1939>" +
                      sendJ1939 + "</Profi_Send_J1939></Par_Gen>");
    }
    // Receive rows given as attribute text, e.g. Normal() or Transport("20").
    void WriteReceive(const std::vector<std::string>& rows) const {
        std::string text = "<Receive_Frames>";
        for (const auto& row : rows) text += "<row " + row + "/>";
        WriteText(context_.documents.receiveFrame, text + "</Receive_Frames>");
    }
    static std::string Normal() {
        return "DataPage=\"0\" PGN=\"65265\" SA=\"0\" TP=\"N\" TP_Start=\"\" TP_NByte=\"\" Delete=\"N\" OnRequest=\"N\" "
               "OnReq_Time=\"\" Mnemonic=\"R\"";
    }
    static std::string Transport(const std::string& count, const std::string& flag = "Y") {
        return "DataPage=\"0\" PGN=\"65226\" SA=\"3\" TP=\"" + flag + "\" TP_Start=\"1\" TP_NByte=\"" + count +
               "\" Delete=\"N\" OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"TP\"";
    }
    static std::string NoLength() { return "DataPage=\"0\" PGN=\"1\" SA=\"0\" TP=\"Y\" Delete=\"N\" Mnemonic=\"\""; }
    // `count` normal rows, then the extra rows.
    static std::vector<std::string> NormalRows(int count, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> rows(count, Normal());
        rows.insert(rows.end(), extra.begin(), extra.end());
        return rows;
    }
    void WriteSend(int count) const {
        std::string text = "<Receive_Frames>";
        for (int i = 0; i < count; ++i)
            text += "<row Priority=\"6\" DataPage=\"0\" PGN=\"" + std::to_string(0xFF00 + i) +
                    "\" SA=\"128\" TT=\"0\" Mnemonic=\"S\"/>";
        WriteText(context_.documents.sendFrame, text + "</Receive_Frames>");
    }
    void WriteTimers(const std::vector<std::string>& values) const {
        std::string text = "<Timers>";
        for (const auto& value : values) text += "<Timer>" + value + "</Timer>";
        WriteText(context_.documents.timerDef, text + "</Timers>");
    }

private:
    TempDir dir_;
    ProjectContext context_;
};

}  // namespace kestrova::testing
