// Goal: composing banks 1 and 2 into an 8 MiB S-record firmware (all five stages, line counting
// included) takes at most a fifth of the time srec_cat needs for the same merge, and
// kestrova-cli compose stays under 16 MiB of peak memory whatever the size of the base file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/device/srecord_composer.h"

extern char** environ;

namespace {

class SilentDialogs : public kestrova::Dialogs {
public:
    void ShowMessage(kestrova::MessageKind, const std::string& text) override { last = text; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&) override { return std::nullopt; }
    std::string last;
};

// A project with bank1.bin and bank2.bin and base firmware files of 8 and 64 MiB: S2 records
// of 32 bytes from 0x300000 (wrapping below 0x1000000 in the larger one), then S9.
class Workspace {
public:
    Workspace() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX").string();
        directory_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
        std::filesystem::create_directories(directory_ + "/P/bin");
        for (int bank = 1; bank <= 2; ++bank) {
            std::string bytes(kestrova::kBankSize, 0);
            for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * bank);
            std::ofstream(directory_ + "/P/bin/bank" + std::to_string(bank) + ".bin", std::ios::binary) << bytes;
        }
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    const std::string& Directory() const { return directory_; }
    std::string Project() const { return directory_ + "/P"; }
    // The base firmware of about `mebibytes` MiB, made on first use.
    std::string Base(int mebibytes) {
        const std::string path = directory_ + "/base" + std::to_string(mebibytes) + ".sx";
        if (std::filesystem::exists(path)) return path;
        std::ofstream out(path, std::ios::binary);
        std::uint8_t data[kestrova::kRecordDataBytes];
        const long long size = mebibytes * 1024LL * 1024;
        for (std::uint32_t k = 0; static_cast<long long>(k) * 78 < size - 12; ++k) {
            for (int i = 0; i < kestrova::kRecordDataBytes; ++i) data[i] = static_cast<std::uint8_t>(k + i);
            out << kestrova::S2RecordLine(0x300000 + (k * 32u) % 0xD00000u, data);
        }
        out << "S9030000FC\r\n";
        return path;
    }
    kestrova::ComposerSettings Settings(int mebibytes) {
        kestrova::ComposerSettings settings;
        settings.baseFirmware = Base(mebibytes);
        settings.projectDirectory = Project() + "/";
        settings.bankDirectory = Project() + "/bin/";
        settings.newFileName = "New.sx";
        settings.banks = {true, true, false, false, false};
        return settings;
    }

private:
    std::string directory_;
};

Workspace& Files() {
    static Workspace workspace;
    return workspace;
}

// Runs a program to its end; the exit status and the child's peak memory in KiB.
struct ChildRun {
    int status = -1;
    long peakKiB = 0;
};
ChildRun RunChild(const std::vector<std::string>& words) {
    std::vector<char*> argv;
    std::vector<std::string> copy = words;
    for (auto& word : copy) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ChildRun run;
    if (::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        rusage usage{};
        if (::wait4(pid, &status, 0, &usage) == pid) {
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            run.peakKiB = usage.ru_maxrss;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

std::vector<std::string> SrecCatMerge(const std::string& base) {
    const std::string bin = Files().Project() + "/bin/";
    return {
        "srec_cat",        base,       "-exclude",        "0x388000", "0x38C000", "-exclude",
        "0x398000",        "0x39C000", bin + "bank1.bin", "-binary",  "-offset",  "0x388000",
        bin + "bank2.bin", "-binary",  "-offset",         "0x398000", "-o",       Files().Directory() + "/srec_cat.sx",
        "-obs=32"};
}

bool HaveSrecCat() { return std::system("command -v srec_cat >/dev/null 2>&1") == 0; }

double Seconds(std::chrono::steady_clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

void BM_ComposeBanks12(benchmark::State& state) {
    const kestrova::ComposerSettings settings = Files().Settings(static_cast<int>(state.range(0)));
    SilentDialogs dialogs;
    for (auto _ : state) {
        const kestrova::ComposeReport report = kestrova::ComposeFirmware(settings, dialogs);
        if (!report.produced) state.SkipWithError(dialogs.last.c_str());
    }
    state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(settings.baseFirmware));
}
BENCHMARK(BM_ComposeBanks12)->Arg(8)->Unit(benchmark::kMillisecond);

// Both merges in one run: their times and the ratio srec_cat / kestrova.
void BM_ComposeVersusSrecCat(benchmark::State& state) {
    if (!HaveSrecCat()) {
        state.SkipWithError("srec_cat is not installed (Debian package srecord)");
        return;
    }
    const kestrova::ComposerSettings settings = Files().Settings(8);
    SilentDialogs dialogs;
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        kestrova::ComposeFirmware(settings, dialogs);
        ours += Seconds(std::chrono::steady_clock::now() - start);
        start = std::chrono::steady_clock::now();
        if (RunChild(SrecCatMerge(settings.baseFirmware)).status != 0) state.SkipWithError("srec_cat failed");
        theirs += Seconds(std::chrono::steady_clock::now() - start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["kestrova_ms"] = ours / n * 1000;
    state.counters["srec_cat_ms"] = theirs / n * 1000;
    state.counters["srec_cat_per_kestrova"] = ours > 0 ? theirs / ours : 0;
}
BENCHMARK(BM_ComposeVersusSrecCat)->Iterations(5)->Unit(benchmark::kMillisecond);

// Peak memory of kestrova-cli compose on the 8 and 64 MiB base files.
void BM_CliComposePeakMemory(benchmark::State& state) {
    const std::string base = Files().Base(static_cast<int>(state.range(0)));
    ChildRun run;
    for (auto _ : state) {
        run = RunChild({KESTROVA_CLI_PATH, "compose", Files().Project(), "--base", base, "--out", "Cli.sx"});
        if (run.status != 0) state.SkipWithError("kestrova-cli compose failed");
    }
    state.counters["peak_KiB"] = static_cast<double>(run.peakKiB);
}
BENCHMARK(BM_CliComposePeakMemory)->Arg(8)->Arg(64)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
