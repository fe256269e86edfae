// Goal: the report of the largest project (30 receive and 30 send frames, 10 timers, a
// bank.bin to fingerprint and verify) is written in under 0.5 s as HTML and under 1 s as PDF,
// and the overview window opens on it in under 200 ms.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/outputs/bank_image.h"
#include "core/project/project_context.h"
#include "core/report/html_report.h"
#include "core/report/project_summary.h"

#ifdef KESTROVA_GUI_BENCH
#include <QApplication>

#include "core/project/dialogs.h"
#include "gui/report/overview_window.h"
#include "report_pdf/pdf_report.h"
#endif

namespace {

class ReportProject {
public:
    ReportProject() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX").string();
        directory_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        context_ = kestrova::MakeProjectContext(directory_);
        context_.projectDirectory = directory_;
        context_.DeriveDocumentPaths();
        std::filesystem::create_directories(directory_ + "/bin");
        Write(context_.documents.pargen,
              "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
              "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
              "<Filter_FECA>0</Filter_FECA><TimeOut_FECA>1</TimeOut_FECA><Profi_ID>20</Profi_ID>"
              "<Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939>"
              "</Par_Gen>");
        std::string receive = "<Receive_Frames>", send = "<Receive_Frames>", timers = "<Timers>";
        for (int i = 0; i < 30; ++i) {
            const bool transport = i % 5 == 4;
            receive +=
                "<row DataPage=\"0\" PGN=\"" + std::to_string(0xFE00 + i) + "\" SA=\"" + std::to_string(i) +
                "\" TP=\"" + (transport ? "Y\" TP_Start=\"1\" TP_NByte=\"40\"" : "N\" TP_Start=\"\" TP_NByte=\"\"") +
                " Delete=\"N\" OnRequest=\"N\" OnReq_Time=\"\" Mnemonic=\"Engine value " + std::to_string(i) + "\"/>";
            send += "<row Priority=\"6\" DataPage=\"0\" PGN=\"" + std::to_string(0xEF00 + i) + "\" SA=\"128\" TT=\"" +
                    std::to_string(i % 12) + "\" Mnemonic=\"Command " + std::to_string(i) + "\"/>";
        }
        for (int i = 0; i < 10; ++i) timers += "<Timer>" + std::to_string(100 * (i + 1)) + "</Timer>";
        Write(context_.documents.receiveFrame, receive + "</Receive_Frames>");
        Write(context_.documents.sendFrame, send + "</Receive_Frames>");
        Write(context_.documents.timerDef, timers + "</Timers>");
        kestrova::WriteBankImage(context_, kestrova::BuildBankImage(context_));
    }
    ~ReportProject() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    kestrova::ProjectContext& context() { return context_; }
    const std::string& directory() const { return directory_; }

private:
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string directory_;
    kestrova::ProjectContext context_;
};

void BM_HtmlReport(benchmark::State& state) {
    ReportProject project;
    const std::string path = project.directory() + "/report.html";
    for (auto _ : state) kestrova::WriteHtmlReport(kestrova::BuildProjectSummary(project.context()), path);
}
BENCHMARK(BM_HtmlReport)->Unit(benchmark::kMillisecond);

#ifdef KESTROVA_GUI_BENCH
// One application for the run, on the platform that needs no display.
QApplication& Application() {
    static int argc = 1;
    static char name[] = "kestrova_bench";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication application(argc, argv);
    return application;
}

void BM_PdfReport(benchmark::State& state) {
    Application();
    ReportProject project;
    const std::string path = project.directory() + "/report.pdf";
    for (auto _ : state) kestrova::WritePdfReport(kestrova::BuildProjectSummary(project.context()), path);
}
BENCHMARK(BM_PdfReport)->Unit(benchmark::kMillisecond);

class SilentDialogs : public kestrova::Dialogs {
public:
    void ShowMessage(kestrova::MessageKind, const std::string&) override {}
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return std::nullopt; }
};

// From the button to the painted window: the project read, the tabs and the map filled, shown.
void BM_OverviewOpens(benchmark::State& state) {
    Application();
    ReportProject project;
    SilentDialogs dialogs;
    kestrova::TFOverview overview(project.context(), dialogs);
    for (auto _ : state) {
        overview.Reload();
        overview.show();
        QApplication::processEvents();
        overview.hide();
    }
}
BENCHMARK(BM_OverviewOpens)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
