// Goal: the outputs of the largest project the editors allow (30 receive frames, 30 send
// frames, 10 timers) are built from the documents on disk within a few milliseconds each,
// so "Update Device" and "GSD File" answer at once.
#include "core/outputs/bank_image.h"
#include "core/outputs/gsd_file.h"
#include "core/outputs/io_map.h"
#include "core/outputs/project_limits.h"
#include "core/project/project_context.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

class LargestProject {
public:
    LargestProject() {
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
              "<Profi_Baud>10</Profi_Baud><Profi_Module>1</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939>"
              "</Par_Gen>");
        std::string receive = "<Receive_Frames>", send = "<Receive_Frames>", timers = "<Timers>";
        for (int i = 0; i < 30; ++i) {
            receive += "<row DataPage=\"0\" PGN=\"" + std::to_string(0xFE00 + i) +
                       "\" SA=\"0\" TP=\"N\" TP_Start=\"\" TP_NByte=\"\" Delete=\"N\" OnRequest=\"N\" OnReq_Time=\"\" "
                       "Mnemonic=\"Frame\"/>";
            send += "<row Priority=\"6\" DataPage=\"0\" PGN=\"" + std::to_string(0xFF00 + i) +
                    "\" SA=\"128\" TT=\"1\" Mnemonic=\"Frame\"/>";
        }
        for (int i = 0; i < 10; ++i) timers += "<Timer>" + std::to_string(100 * (i + 1)) + "</Timer>";
        Write(context_.documents.receiveFrame, receive + "</Receive_Frames>");
        Write(context_.documents.sendFrame, send + "</Receive_Frames>");
        Write(context_.documents.timerDef, timers + "</Timers>");
    }
    ~LargestProject() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    const kestrova::ProjectContext& context() const { return context_; }
    const std::string& directory() const { return directory_; }

private:
    static void Write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string directory_;
    kestrova::ProjectContext context_;
};

void BM_UpdateDeviceImage(benchmark::State& state) {
    LargestProject project;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kestrova::ProjectLimitsRefusal(project.context()));
        kestrova::WriteBankImage(project.context(), kestrova::BuildBankImage(project.context()));
    }
}
BENCHMARK(BM_UpdateDeviceImage)->Unit(benchmark::kMicrosecond);

void BM_GsdFile(benchmark::State& state) {
    LargestProject project;
    const std::string path = project.directory() + "/bench.gsd";
    for (auto _ : state) kestrova::WriteGsdFile(project.context(), path);
}
BENCHMARK(BM_GsdFile)->Unit(benchmark::kMicrosecond);

void BM_IoMap(benchmark::State& state) {
    LargestProject project;
    for (auto _ : state) benchmark::DoNotOptimize(kestrova::IoMapText(kestrova::BuildIoMap(project.context())));
}
BENCHMARK(BM_IoMap)->Unit(benchmark::kMicrosecond);

}  // namespace
