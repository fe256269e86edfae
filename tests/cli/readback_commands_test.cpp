// kestrova-cli decode, verify and lint on copies of the sample project.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

struct CliResult {
    int status = -1;
    std::string out, err;
};

class ReadBack : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;
    std::string project = dir / "sample_project";

    void SetUp() override {
        std::filesystem::copy(std::string(KESTROVA_TEST_DATA) + "/../../examples/sample_project", project,
                              std::filesystem::copy_options::recursive);
    }
    // No argument of these tests holds a single quote.
    CliResult Cli(const std::vector<std::string>& arguments) {
        std::string command = "'" + std::string(KESTROVA_CLI_PATH) + "'";
        for (const auto& argument : arguments) command += " '" + argument + "'";
        const int raw = std::system((command + " >'" + (dir / "out") + "' 2>'" + (dir / "err") + "'").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir / "out"), ReadText(dir / "err")};
    }
};

TEST_F(ReadBack, DecodeVerifyAndLintOnTheSampleProject) {
    EXPECT_EQ(Cli({"lint", project}).status, 0);
    ASSERT_EQ(Cli({"image", project}).status, 0);
    const CliResult decode = Cli({"decode", project + "/bin/bank.bin"});
    EXPECT_EQ(decode.status, 0) << decode.err;
    EXPECT_EQ(decode.out.rfind("Configuration image of 77 bytes\n", 0), 0u) << decode.out;
    EXPECT_EQ(Cli({"decode", "--json", project + "/bin/bank.bin"}).out.rfind("{\n  \"size\": 77,\n", 0), 0u);

    EXPECT_EQ(Cli({"gsd", project, dir / "sample.gsd"}).status, 0);
    const CliResult same = Cli({"verify", project, "--gsd", dir / "sample.gsd"});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_EQ(same.out, "image " + project + "/bin/bank.bin: consistent with the project\nGSD file " +
                            (dir / "sample.gsd") + ": consistent with the project\n");

    WriteText(project + "/TimerDef.xml", "<Timers><Timer>100</Timer></Timers>");
    const CliResult changed = Cli({"verify", project});
    EXPECT_EQ(changed.status, 1);
    EXPECT_EQ(changed.out, "image " + project +
                               "/bin/bank.bin: 3 differences with the project\n"
                               "  parameter block: timers 2 in the image, 1 in the project\n"
                               "  timers: 2 in the image, 1 in the project\n"
                               "  timer T2: only in the image: 250 ms\n");
}

TEST_F(ReadBack, UnreadableFilesAndUsage) {
    const CliResult missing = Cli({"verify", project});  // no bin/bank.bin yet
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find(project + "/bin/bank.bin"), std::string::npos) << missing.err;
    WriteText(dir / "text.bin", "not an image at all");
    const CliResult decode = Cli({"decode", dir / "text.bin"});
    EXPECT_EQ(decode.status, 1);
    EXPECT_EQ(decode.err.rfind(dir / "text.bin: byte 0: the receive table offset is 544501614", 0), 0u);
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"decode"}, {"decode", "a", "b"}, {"verify", project, "--image"}, {"lint", project, "--json"}})
        EXPECT_EQ(Cli(arguments).status, 2) << arguments[0] << arguments.size();
}

}  // namespace
