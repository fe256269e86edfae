// kestrova-cli: what every command that takes a project directory does with a bad one, and with
// documents that must not be read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;
using Arguments = std::vector<std::string>;

std::string Data(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/" + name; }

class ProjectDirCli : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;
    int status = -1;
    std::string out, err;

    // Runs in the temporary directory, so that a file written beside the working directory shows.
    void Run(const Arguments& arguments) {
        std::string command = "cd '" + dir / "cwd" + "' && '" KESTROVA_CLI_PATH "'";
        for (const auto& argument : arguments) command += " '" + argument + "'";
        const int raw = std::system((command + " >'" + dir / "out" + "' 2>'" + dir / "err" + "'").c_str());
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        out = ReadText(dir / "out");
        err = ReadText(dir / "err");
    }
    std::string Project() {
        const std::string project = dir / "project";
        std::filesystem::copy(Data("outputs/worked_example"), project, std::filesystem::copy_options::recursive);
        return project;
    }
    void SetUp() override { std::filesystem::create_directory(dir / "cwd"); }

    // Every command with a project directory, the directory given as `project`.
    std::vector<Arguments> EveryProjectCommand(const std::string& project) {
        const std::string dbc = Data("dbc/j1939_vehicle.dbc");
        const std::string workbook = Data("canopen/canopen.xls");
        return {
            {"check", project},
            {"image", project},
            {"gsd", project, dir / "out.gsd"},
            {"map", project},
            {"compose", project},
            {"dbc-import", project, dbc, "--receive", "0xFEF1", "--send", "0xFF00"},
            {"canopen", "sdo", project, "--import", workbook, "--export"},
            {"canopen", "emcy", project, "--import", workbook, "--save", "--export"},
            {"canopen", "emcyword", project, "--save", "--export"},
            {"canopen", "pdo", project, "--save", "--export"},
            {"verify", project},
            {"lint", project},
            {"report", project, dir / "out.html"},
            {"replay", project, Data("replay/bus.log")},
        };
    }
};

// What the commands write into a project, looked for in the file system's root.
const char* const kProjectFiles[] = {"sdo.csv",        "emcydef.xml",    "emcydef.csv", "emcyword.xml",
                                     "emcyword.csv",   "sdopdo.xml",     "sdopdo.csv",  "Receive_Frame.xml",
                                     "Send_Frame.xml", "New_sx51904.sx", "bin/bank.bin"};

std::set<std::string> PresentInRoot() {
    std::set<std::string> present;
    for (const char* file : kProjectFiles)
        if (::access((std::string("/") + file).c_str(), F_OK) == 0) present.insert(file);
    return present;
}

// An empty directory (an unset shell variable) and a file are refused by every command, and
// nothing is written: not in the file system's root, not beside the working directory.
TEST_F(ProjectDirCli, NoFolderIsNoProjectForEveryCommand) {
    const std::set<std::string> before = PresentInRoot();
    const std::string file = Project() + "/pargen.xml";
    const std::string pargen = ReadText(file);
    for (const auto& [project, refusal] : {std::pair<std::string, std::string>{"", "Project not valid\n"},
                                           {file, "The project directory " + file + " is not a folder.\n"}})
        for (const Arguments& arguments : EveryProjectCommand(project)) {
            Run(arguments);
            EXPECT_EQ(status, 1) << arguments[0] << " " << project;
            EXPECT_EQ(err, refusal) << arguments[0] << " " << project;
            EXPECT_EQ(out, "") << arguments[0] << " " << project;
        }
    EXPECT_EQ(PresentInRoot(), before);
    EXPECT_TRUE(std::filesystem::is_empty(dir / "cwd"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.gsd"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.html"));
    EXPECT_EQ(ReadText(file), pargen);
}

TEST_F(ProjectDirCli, DocumentWithANulByteIsNotValidXml) {
    const std::string project = Project();
    const std::string path = project + "/Receive_Frame.xml";
    const std::string rows = ReadText(path);
    const size_t second = rows.find("<row", 1 + rows.find("<row"));
    const std::string hidden = rows.substr(0, second) + "</Receive_Frames>" + std::string(1, '\0') +
                               rows.substr(second, rows.find("</Receive_Frames>") - second);
    WriteText(path, hidden);
    const size_t nul = hidden.find('\0');
    const std::string refusal = "The file " + path + " is not valid XML: a NUL byte at byte offset " +
                                std::to_string(nul) + " (line 1, column " + std::to_string(nul + 1) + ").\n";
    for (const Arguments& arguments :
         std::vector<Arguments>{{"check", project},
                                {"image", project},
                                {"verify", project, "--image", Data("outputs/worked_example.bin")}}) {
        Run(arguments);
        EXPECT_EQ(status, 1) << arguments[0];
        EXPECT_EQ(err, refusal) << arguments[0];
    }
    EXPECT_FALSE(std::filesystem::exists(project + "/bin/bank.bin"));
    EXPECT_EQ(ReadText(path), hidden);
}

TEST_F(ProjectDirCli, WorkbookThatIsNoRegularFileIsSaidToBeOne) {
    const std::string project = Project();
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::string& workbook : {dir / "fifo", std::string("/dev/zero"), dir.path()}) {
        Run({"canopen", "sdo", project, "--import", workbook, "--export"});
        EXPECT_EQ(status, 1) << workbook;
        EXPECT_EQ(err, "Import of sheet \"sdo\" from " + workbook + " stopped: the file is not a regular file\n");
    }
    EXPECT_FALSE(std::filesystem::exists(project + "/sdo.csv"));
}

}  // namespace
