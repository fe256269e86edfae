// Goal: the XML text reader reads a 20 MB project-like document faster than `xmllint --noout`,
// within 4 times pugixml's time, and with a lower peak memory than xmllint. Each reader reads
// the file from disk; peak memory is the largest resident size of a child process that does
// only that one read (so every figure includes the few MB of a started program).
// Goal: `xml-tree` (read, parse, list) peaks at no more than 10 times the size of a 64 MB file of
// empty elements, the most nodes a byte of XML can hold: BM_XmlTreeManyEmptyElements reports
// peak_per_input_byte, the peak resident size of a child that lists the file over its size.
// Run: cmake -DKESTROVA_BUILD_BENCH=ON, then build/bin/kestrova_bench --benchmark_filter=Xml
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "core/project/file_system.h"
#include "core/tools/xml_text_reader.h"
#include "core/tools/xml_tree.h"

extern char** environ;

namespace {

// Rows of ten attributes with references, some CDATA, comments and nested elements.
std::string ProjectLikeDocument(size_t bytes) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- generated -->\n<Receive_Frames>\n";
    for (int i = 0; text.size() < bytes; ++i) {
        text += "  <row DataPage=\"" + std::to_string(i % 2) + "\" PGN=\"" + std::to_string(0xF000 + i % 4096) +
                "\" SA=\"" + std::to_string(i % 240) + "\" TP=\"N\" TP_Start=\"" + std::to_string(i % 8) +
                "\" TP_NByte=\"8\" Delete=\"N\" OnRequest='Y' OnReq_Time=\"1000\" Mnemonic=\"Frame &amp; &#65;&lt;" +
                std::to_string(i) + "&gt;\"/>\n";
        if (i % 10 == 0) text += "  <!-- block " + std::to_string(i) + " -->\n";
        if (i % 25 == 0)
            text += "  <Note id=\"" + std::to_string(i) + "\"><Text>a &quot;b&quot; c</Text><![CDATA[<raw> & data]]>" +
                    "<Sub><Leaf>1</Leaf></Sub></Note>\n";
    }
    return text + "</Receive_Frames>\n";
}

const std::string& DocumentPath() {
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() / "kestrova-bench-20mb.xml").string();
        std::ofstream(file, std::ios::binary) << ProjectLikeDocument(20u * 1024 * 1024);
        return file;
    }();
    return path;
}

// What the window and xml-tree read: the table of nodes.
void ReadWithReader(const std::string& path) {
    auto table = kestrova::TXMLStringReader(kestrova::ReadWholeFile(path)).ParseTable();
    benchmark::DoNotOptimize(table.Size());
}

// The tree of TXMLNode, as Parse gives it.
void ReadNodeTree(const std::string& path) {
    auto document = kestrova::TXMLStringReader(kestrova::ReadWholeFile(path)).Parse();
    benchmark::DoNotOptimize(document.get());
}

// xml-tree without the terminal: read, parse and list.
void ListTree(const std::string& path) {
    size_t bytes = 0;
    kestrova::WriteXmlTreeListing(kestrova::ReadXmlNodeTable(path),
                                  [&](std::string_view piece) { bytes += piece.size(); });
    benchmark::DoNotOptimize(bytes);
}

// 64 MB of empty elements under one root.
const std::string& EmptyElementsPath() {
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() / "kestrova-bench-empty-64mb.xml").string();
        std::string text = "<r>\n";
        const size_t elements = (64u * 1024 * 1024 - 10) / 4;
        text.reserve(elements * 4 + 10);
        for (size_t i = 0; i < elements; ++i) text += "<a/>";
        std::ofstream(file, std::ios::binary) << text << "</r>\n";
        return file;
    }();
    return path;
}

void ReadWithPugixml(const std::string& path) {
    pugi::xml_document document;
    if (!document.load_file(path.c_str())) std::abort();
    benchmark::DoNotOptimize(document.first_child());
}

long PeakOf(pid_t child);

// Starts xmllint --noout on the file and waits; its peak resident size in kB.
long RunXmllint(const std::string& path) {
    const char* argv[] = {"xmllint", "--noout", path.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, "xmllint", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
    return PeakOf(child);
}

// Waits for the child; its peak resident size in kB, or -1 when it failed.
long PeakOf(pid_t child) {
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return usage.ru_maxrss;
}

// The peak of a program started with fork and exec: a forked child counts the pages it shares
// with this process, so every peak is measured once, before the timed runs grow this process.
long PeakOfProgram(const char* program, std::vector<std::string> arguments, std::vector<std::string> environment) {
    std::vector<char*> argv, env;
    for (auto& argument : arguments) argv.push_back(argument.data());
    for (auto& variable : environment) env.push_back(variable.data());
    argv.push_back(nullptr);
    env.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execvpe(program, argv.data(), env.data());
        _exit(127);
    }
    return child < 0 ? -1 : PeakOf(child);
}

struct Peaks {
    long reader, pugixml, xmllint, tree;  // kB
};

const Peaks& MeasuredPeaks() {
    static const Peaks peaks = [] {
        const std::string file = "KESTROVA_BENCH_FILE=" + DocumentPath();
        const char* path = std::getenv("PATH");
        return Peaks{PeakOfProgram("/proc/self/exe", {"kestrova_bench"}, {"KESTROVA_BENCH_READ=reader", file}),
                     PeakOfProgram("/proc/self/exe", {"kestrova_bench"}, {"KESTROVA_BENCH_READ=pugixml", file}),
                     PeakOfProgram("xmllint", {"xmllint", "--noout", DocumentPath()},
                                   {std::string("PATH=") + (path ? path : "/usr/bin:/bin")}),
                     PeakOfProgram("/proc/self/exe", {"kestrova_bench"},
                                   {"KESTROVA_BENCH_READ=tree", "KESTROVA_BENCH_FILE=" + EmptyElementsPath()})};
    }();
    return peaks;
}

// The fresh process: reads before the benchmarks start and exits.
[[maybe_unused]] const bool kFreshProcessRead = [] {
    const char* reader = std::getenv("KESTROVA_BENCH_READ");
    const char* file = std::getenv("KESTROVA_BENCH_FILE");
    if (!reader || !file) return false;
    const std::string which = reader;
    which == "pugixml" ? ReadWithPugixml(file) : which == "tree" ? ListTree(file) : ReadWithReader(file);
    std::_Exit(0);
}();

void Report(benchmark::State& state, long peakKb) {
    if (peakKb >= 0) state.counters["peak_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["MB/s"] =
        benchmark::Counter(static_cast<double>(std::filesystem::file_size(DocumentPath())),
                           benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1024);
}

void BM_XmlTextReader(benchmark::State& state) {
    const std::string& path = DocumentPath();
    const long peak = MeasuredPeaks().reader;
    ReadWithReader(path);  // warm-up: the first read also pays for mapping fresh memory
    for (auto _ : state) ReadWithReader(path);
    Report(state, peak);
}
BENCHMARK(BM_XmlTextReader)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_Pugixml(benchmark::State& state) {
    const std::string& path = DocumentPath();
    const long peak = MeasuredPeaks().pugixml;
    ReadWithPugixml(path);  // warm-up, as for the reader
    for (auto _ : state) ReadWithPugixml(path);
    Report(state, peak);
}
BENCHMARK(BM_Pugixml)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_XmlTextReaderNodeTree(benchmark::State& state) {
    const std::string& path = DocumentPath();
    ReadNodeTree(path);
    for (auto _ : state) ReadNodeTree(path);
    Report(state, -1);
}
BENCHMARK(BM_XmlTextReaderNodeTree)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// The worst case for memory: a node every four bytes.
void BM_XmlTreeManyEmptyElements(benchmark::State& state) {
    const std::string& path = EmptyElementsPath();
    const long peak = MeasuredPeaks().tree;
    for (auto _ : state) ListTree(path);
    const auto bytes = static_cast<double>(std::filesystem::file_size(path));
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
    state.counters["peak_per_input_byte"] = static_cast<double>(peak) * 1024.0 / bytes;
    state.counters["MB/s"] =
        benchmark::Counter(bytes, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1024);
}
BENCHMARK(BM_XmlTreeManyEmptyElements)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_XmllintNoout(benchmark::State& state) {
    const std::string& path = DocumentPath();
    const long peak = MeasuredPeaks().xmllint;
    if (peak < 0) {
        state.SkipWithError("xmllint is not installed (libxml2-utils)");
        return;
    }
    for (auto _ : state) RunXmllint(path);
    Report(state, peak);
}
BENCHMARK(BM_XmllintNoout)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
