// Runs the built kestrova-cli on copies of the fixture projects.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::TempDir;
using kestrova::testing::WriteText;

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class Cli : public ::testing::Test {
protected:
    TempDir dir;

    CliRun Kestrova(const std::vector<std::string>& arguments) {
        std::string command = Quoted(KESTROVA_CLI_PATH);
        for (const auto& argument : arguments) command += " " + Quoted(argument);
        command += " >" + Quoted(dir / "stdout") + " 2>" + Quoted(dir / "stderr");
        const int raw = std::system(command.c_str());
        CliRun run;
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = ReadText(dir / "stdout");
        run.err = ReadText(dir / "stderr");
        return run;
    }

    // A copy of a fixture project, so that the outputs land in the temporary directory.
    std::string Project(const std::string& fixture) {
        const std::string target = dir / fixture;
        std::filesystem::copy(std::string(KESTROVA_TEST_DATA) + "/outputs/" + fixture, target,
                              std::filesystem::copy_options::recursive);
        return target;
    }
};

TEST_F(Cli, HelpListsEveryCommandOnItsOwnLine) {
    const CliRun run = Kestrova({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* command : {"\n  check   PROJECT_DIR ", "\n  image   PROJECT_DIR ", "\n  gsd     PROJECT_DIR OUT.gsd ",
                                "\n  map     PROJECT_DIR [--csv] "})
        EXPECT_NE(run.out.find(command), std::string::npos) << command << "\n" << run.out;
    for (const char* command : {"check", "image", "gsd", "map"}) {
        const CliRun help = Kestrova({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: kestrova-cli ") + command, 0), 0u) << help.out;
    }
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Kestrova({}).status, 2);
    EXPECT_EQ(Kestrova({"frobnicate"}).status, 2);
    EXPECT_EQ(Kestrova({"image"}).status, 2);
    EXPECT_EQ(Kestrova({"gsd", "project"}).status, 2);
    EXPECT_EQ(Kestrova({"check", "a", "b"}).status, 2);
    const CliRun run = Kestrova({"map", "project", "--tsv"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown option '--tsv'"), std::string::npos) << run.err;
}

TEST_F(Cli, ImageAndGsdReproduceTheWorkedExamples) {
    const std::string project = Project("worked_example");
    const CliRun image = Kestrova({"image", project});
    EXPECT_EQ(image.status, 0) << image.err;
    EXPECT_EQ(image.out, "configuration image written to " + project + "/bin/bank.bin (77 bytes)\n");
    EXPECT_EQ(ReadText(project + "/bin/bank.bin"), ReadText(std::string(KESTROVA_TEST_DATA) + "/outputs/worked_example.bin"));

    const std::string layout = Project("layout_example");
    const CliRun gsd = Kestrova({"gsd", layout, dir / "out.gsd"});
    EXPECT_EQ(gsd.status, 0) << gsd.err;
    EXPECT_EQ(gsd.out, "GSD file written to " + (dir / "out.gsd") + "\n");
    EXPECT_EQ(ReadText(dir / "out.gsd"), ReadText(std::string(KESTROVA_TEST_DATA) + "/outputs/layout_example_packed.gsd"));
}

TEST_F(Cli, RefusalIsPrintedOnStderr) {
    const std::string project = Project("worked_example");
    WriteText(project + "/pargen.xml",
              "<Par_Gen><Can_Baud>5</Can_Baud><Profi_Module>1</Profi_Module></Par_Gen>");
    WriteText(project + "/Receive_Frame.xml",
              "<Receive_Frames><row DataPage=\"0\" PGN=\"1\" SA=\"0\" TP=\"Y\" TP_NByte=\"65\" Delete=\"N\" "
              "Mnemonic=\"\"/></Receive_Frames>");
    const std::string refusal =
        "Error!! Is not possible to create a module greater of 64 byte. Please, uncheck the \"Module for every J1939 "
        "Frame\" option\n";
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"check", project}, {"image", project}, {"gsd", project, dir / "x.gsd"}, {"map", project}}) {
        const CliRun run = Kestrova(arguments);
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_EQ(run.err, refusal) << arguments[0];
        EXPECT_EQ(run.out, "") << arguments[0];
    }
    EXPECT_FALSE(std::filesystem::exists(project + "/bin/bank.bin"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.gsd"));
}

TEST_F(Cli, FailedBuildKeepsTheEarlierImage) {
    const std::string project = Project("worked_example");
    ASSERT_EQ(Kestrova({"image", project}).status, 0);
    WriteText(project + "/TimerDef.xml", "<Timers><Timer>100 ms</Timer></Timers>");
    const CliRun run = Kestrova({"image", project});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "'100 ms' is not a valid integer value\n");
    EXPECT_EQ(ReadText(project + "/bin/bank.bin").size(), 77u);

    const CliRun missing = Kestrova({"check", dir / "nowhere"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "The project directory " + (dir / "nowhere") + " does not exist.\n");
    EXPECT_EQ(Kestrova({"image", ""}).err, "Project not valid\n");
}

TEST_F(Cli, CheckAndMap) {
    const std::string project = Project("worked_example");
    const CliRun check = Kestrova({"check", project + "/"});
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, project + ": within the gateway's limits\n");

    const CliRun map = Kestrova({"map", project});
    EXPECT_EQ(map.status, 0) << map.err;
    EXPECT_NE(map.out.find("R2     0   0xFECA  3   Active diagnostic trouble codes"), std::string::npos) << map.out;
    const CliRun csv = Kestrova({"map", "--csv", project});
    EXPECT_EQ(csv.status, 0);
    EXPECT_NE(csv.out.find("output,0,8,2,2,2,2,S1,0,0xFF00,128,Gateway command\r\n"), std::string::npos) << csv.out;
    EXPECT_FALSE(std::filesystem::exists(project + "/bin/bank.bin"));
}

}  // namespace
