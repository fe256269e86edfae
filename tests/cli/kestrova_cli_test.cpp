// Runs the built kestrova-cli on copies of the fixture projects.
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/wait.h>

namespace {

using kestrova::testing::ReadText;
using kestrova::testing::WriteText;

struct CliRun {
    int status = -1;
    std::string out, err;
};

// No argument of these tests holds a single quote.
std::string Quoted(const std::string& text) { return "'" + text + "'"; }

std::string Data(const std::string& name) { return std::string(KESTROVA_TEST_DATA) + "/outputs/" + name; }

class Cli : public ::testing::Test {
protected:
    kestrova::testing::TempDir dir;

    CliRun Kestrova(const std::vector<std::string>& arguments) {
        std::string command = Quoted(KESTROVA_CLI_PATH);
        for (const auto& argument : arguments) command += " " + Quoted(argument);
        const int raw = std::system((command + " >" + Quoted(dir / "stdout") + " 2>" + Quoted(dir / "stderr")).c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadText(dir / "stdout"), ReadText(dir / "stderr")};
    }
    // A copy of a fixture project, so that the outputs land in the temporary directory.
    std::string Project(const std::string& fixture) {
        std::filesystem::copy(Data(fixture), dir / fixture, std::filesystem::copy_options::recursive);
        return dir / fixture;
    }
};

TEST_F(Cli, HelpAndUsageErrors) {
    const CliRun run = Kestrova({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* line : {"\n  check PROJECT_DIR\n", "\n  image PROJECT_DIR\n", "\n  gsd PROJECT_DIR OUT.gsd\n",
                             "\n  map PROJECT_DIR [--csv]\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    for (const char* command : {"check", "image", "gsd", "map"}) {
        const CliRun help = Kestrova({command, "--help"});
        EXPECT_EQ(help.status, 0) << command;
        EXPECT_EQ(help.out.rfind(std::string("usage: kestrova-cli ") + command, 0), 0u) << help.out;
    }
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"image"}, {"gsd", "project"}, {"check", "a", "b"}, {"map", "project", "--tsv"}})
        EXPECT_EQ(Kestrova(arguments).status, 2) << (arguments.empty() ? "" : arguments[0]) << arguments.size();
    EXPECT_NE(Kestrova({"map", "project", "--tsv"}).err.find("unknown option '--tsv'"), std::string::npos);
}

TEST_F(Cli, CommandsOnTheWorkedExamples) {
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
    EXPECT_FALSE(std::filesystem::exists(project + "/bin/bank.bin"));  // check and map write nothing

    const CliRun image = Kestrova({"image", project});
    EXPECT_EQ(image.status, 0) << image.err;
    EXPECT_EQ(image.out, "configuration image written to " + project + "/bin/bank.bin (77 bytes)\n");
    EXPECT_EQ(ReadText(project + "/bin/bank.bin"), ReadText(Data("worked_example.bin")));
    const CliRun gsd = Kestrova({"gsd", Project("layout_example"), dir / "out.gsd"});
    EXPECT_EQ(gsd.status, 0) << gsd.err;
    EXPECT_EQ(gsd.out, "GSD file written to " + (dir / "out.gsd") + "\n");
    EXPECT_EQ(ReadText(dir / "out.gsd"), ReadText(Data("layout_example_packed.gsd")));
}

TEST_F(Cli, RefusalIsPrintedOnStderr) {
    const std::string project = Project("worked_example");
    WriteText(project + "/pargen.xml", "<Par_Gen><Can_Baud>5</Can_Baud><Profi_Module>1</Profi_Module></Par_Gen>");
    WriteText(project + "/Receive_Frame.xml",
              "<Receive_Frames><row DataPage=\"0\" PGN=\"1\" SA=\"0\" TP=\"Y\" TP_NByte=\"65\" Delete=\"N\" "
              "Mnemonic=\"\"/></Receive_Frames>");
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"check", project}, {"image", project}, {"gsd", project, dir / "x.gsd"}, {"map", project}}) {
        const CliRun run = Kestrova(arguments);
        EXPECT_EQ(run.status, 1) << arguments[0];
        EXPECT_EQ(run.err, "Error!! Is not possible to create a module greater of 64 byte. Please, uncheck the "
                           "\"Module for every J1939 Frame\" option\n") << arguments[0];
        EXPECT_EQ(run.out, "") << arguments[0];
    }
    EXPECT_FALSE(std::filesystem::exists(project + "/bin/bank.bin"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.gsd"));
}

TEST_F(Cli, FailuresExitWithOne) {
    const std::string project = Project("worked_example");
    ASSERT_EQ(Kestrova({"image", project}).status, 0);
    WriteText(project + "/TimerDef.xml", "<Timers><Timer>100 ms</Timer></Timers>");
    const CliRun run = Kestrova({"image", project});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "TimerDef.xml, row 1: '100 ms' is not a valid integer value\n");
    EXPECT_EQ(ReadText(project + "/bin/bank.bin").size(), 77u);

    const CliRun missing = Kestrova({"check", dir / "nowhere"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "The project directory " + (dir / "nowhere") + " does not exist.\n");
    EXPECT_EQ(Kestrova({"image", ""}).err, "Project not valid\n");
}

}  // namespace

TEST_F(Cli, XmlTreePrintsTheReadersTreeOrItsMessage) {
    WriteText(dir / "pargen.xml", "<?xml version=\"1.0\"?><Par_Gen><Can_Baud>5</Can_Baud><row PGN=\"1\"/></Par_Gen>\n");
    const CliRun tree = Kestrova({"xml-tree", dir / "pargen.xml"});
    EXPECT_EQ(tree.status, 0) << tree.err;
    EXPECT_EQ(tree.out, "File: pargen.xml\n  XMLDeclaration\n    version = 1.0\n  Par_Gen\n    Can_Baud = 5\n    row\n"
                        "      PGN = 1\n");
    WriteText(dir / "bad.xml", "<a></b>\n");
    const CliRun bad = Kestrova({"xml-tree", dir / "bad.xml"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "End tag name \"b\" does not match start tag name \"a\"\n");
}

// A file from xmllint in ISO-8859-1 and one with a byte-order mark: UTF-8 out, one item a line.
TEST_F(Cli, XmlTreeListsFilesOfOtherToolsInUtf8) {
    for (const char* name : {"device_description.latin1.xml", "device_description.bom.xml"}) {
        const CliRun tree = Kestrova({"xml-tree", std::string(KESTROVA_TEST_DATA) + "/tools/" + name});
        EXPECT_EQ(tree.status, 0) << tree.err;
        EXPECT_NE(tree.out.find("\n        Name = M\xC3\xBCller Ger\xC3\xA4tebau\n"), std::string::npos) << name;
        EXPECT_NE(tree.out.find("\n      Text = first line\\nsecond\\ttabbed line \\\\ with backslash\n"),
                  std::string::npos)
            << name;
    }
}
