// Writers of one project take turns, and a save never drops rows it did not read.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/project/project_lock.h"
#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

const std::string kTwentyFrames = std::string(KESTROVA_TEST_DATA) + "/dbc/twenty_frames.dbc";

// Starts kestrova-cli with the arguments, its output thrown away; returns the child's id.
pid_t Start(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{KESTROVA_CLI_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        if (FILE* null = std::freopen("/dev/null", "w", stdout)) (void)null;
        if (FILE* null = std::freopen("/dev/null", "w", stderr)) (void)null;
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

int ExitStatus(pid_t child) {
    int raw = 0;
    if (::waitpid(child, &raw, 0) != child) return -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

class ProjectWriters : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;
    std::string project = dir / "project";

    void SetUp() override {
        std::filesystem::create_directories(project + "/bin");
        std::filesystem::copy(std::string(KESTROVA_TEST_DATA) + "/outputs/worked_example/pargen.xml", project);
    }
    int Run(const std::vector<std::string>& arguments, std::string* err = nullptr) {
        std::string command = "'" + std::string(KESTROVA_CLI_PATH) + "'";
        for (const auto& argument : arguments) command += " '" + argument + "'";
        const int raw = std::system((command + " >'" + (dir / "out") + "' 2>'" + (dir / "err") + "'").c_str());
        if (err) *err = ReadText(dir / "err");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

TEST_F(ProjectWriters, TwentyParallelImportsKeepEveryRow) {
    std::vector<pid_t> children;
    for (int message = 1; message <= 20; ++message)
        children.push_back(
            Start({"dbc-import", project, kTwentyFrames, "--receive", "FRAME_" + std::to_string(message)}));
    for (pid_t child : children) EXPECT_EQ(ExitStatus(child), 0);
    const std::string list = ReadText(project + "/Receive_Frame.xml");
    EXPECT_EQ(Count(list, "<row "), 20u) << list;
    for (int message = 1; message <= 20; ++message)
        EXPECT_EQ(Count(list, "\"FRAME_" + std::to_string(message) + "\""), 1u) << "FRAME_" << message << "\n" << list;
    EXPECT_TRUE(std::filesystem::exists(project + "/" + kestrova::kProjectLockFileName));
}

TEST_F(ProjectWriters, ASaveAfterAPartReadIsRefusedAndWritesNothing) {
    const std::string sdoPdo =
        "<sdopdo><row index=\"1\" subindex=\"1\" nrpdo=\"1\" poscomp=\"0\"/>"
        "<row index=\"2\" subindex=\"1\" nrpdo=\"129\" poscomp=\"0\"/></sdopdo>";
    WriteText(project + "/sdopdo.xml", sdoPdo);
    std::string err;
    EXPECT_EQ(Run({"canopen", "pdo", project, "--save"}, &err), 1);  // no rpdodef.xml: no PDO to attach to
    EXPECT_EQ(err, "File SDO XML not found\nFile PDO XML not found\n" + project +
                       "/sdopdo.xml was read only in part (0 rows kept, 2 dropped): saving would lose 2 rows; nothing "
                       "was written\n");
    EXPECT_EQ(ReadText(project + "/sdopdo.xml"), sdoPdo);
    EXPECT_EQ(Run({"canopen", "pdo", project}), 0) << "loading alone is not refused";

    std::string word = "<row index_addrm=\"1\" subindex=\"2\" extdata=\"7\" devid=\"3\"";
    for (int bit = 0; bit < 16; ++bit)
        for (const char* field : {"b0", "b1", "poscomp"}) word += " bit" + std::to_string(bit) + "_" + field + "=\"\"";
    const std::string words = "<emcyword>" + word + "/></emcyword>";
    WriteText(project + "/emcyword.xml", words);
    EXPECT_EQ(Run({"canopen", "emcyword", project, "--save"}, &err), 1);
    EXPECT_NE(err.find("(0 rows kept, 1 dropped): saving would lose 1 row"), std::string::npos) << err;
    EXPECT_EQ(ReadText(project + "/emcyword.xml"), words);
}

}  // namespace
