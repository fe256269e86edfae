#include "core/dbc/dbc_file.h"

#include <gtest/gtest.h>

#include "support/error_text.h"

namespace kestrova {
namespace {

using testing::ErrorText;

const std::string kFixture = std::string(KESTROVA_TEST_DATA) + "/dbc/j1939_vehicle.dbc";

const DbcMessage& Named(const DbcFile& dbc, const std::string& name) {
    for (const auto& message : dbc.messages)
        if (message.name == name) return message;
    throw std::runtime_error("no message " + name);
}

TEST(DbcFile, ReadsTheMessagesOfAFileWrittenByAnotherTool) {
    const DbcFile dbc = ReadDbcFile(kFixture);
    std::vector<std::string> names;
    for (const auto& message : dbc.messages) names.push_back(message.name);
    EXPECT_EQ(names, (std::vector<std::string>{"EEC1", "EEC1_SA1", "CCVS", "RQST", "DM1", "PROP_DP1", "EDP_FRAME",
                                               "DIAG_11BIT"}));
    const DbcMessage& eec1 = Named(dbc, "EEC1");
    EXPECT_TRUE(eec1.extended);
    EXPECT_EQ(eec1.identifier, 0x0CF00400u);
    EXPECT_EQ(eec1.signalNames, (std::vector<std::string>{"EngineTorqueMode", "EngineSpeed"}));
    EXPECT_EQ(eec1.comment, "Electronic Engine Controller 1, \"fast\"");  // escaped quotes
    EXPECT_EQ(eec1.frameFormat, "J1939PG");
    EXPECT_EQ(Named(dbc, "CCVS").comment, "Cruise control\nand vehicle speed");  // over two lines
    const DbcMessage& classic = Named(dbc, "DIAG_11BIT");
    EXPECT_FALSE(classic.extended);
    EXPECT_EQ(classic.frameFormat, "StandardCAN");
}

TEST(DbcFile, SkipsWhatItDoesNotReadAndKeepsQuotedTextWhole) {
    const DbcFile dbc = ParseDbc(
        "VERSION \"\"\r\n"
        "NS_ :\r\n  CM_\r\n  BA_DEF_\r\n"
        "BO_ 3221225472 VECTOR__INDEPENDENT_SIG_MSG: 0 Vector__XXX\r\n"
        " SG_ Loose : 0|8@1+ (1,0) [0|0] \"\" Vector__XXX\r\n"
        "\r\n"
        "BO_ 2566844672 CCVS : 8 Vector__XXX\r\n"
        " SG_ Mux M : 0|8@1+ (1,0) [0|0] \"\" Vector__XXX\r\n"
        "\r\n"
        " SG_ Speed m1 : 8|16@1+ (1,0) [0|0] \"km/h\" Vector__XXX\r\n"
        "VAL_TABLE_ Gears 1 \"one\" 0 \"none\";\r\n"
        "CM_ SG_ 2566844672 Speed \"a comment\n"
        "BO_ 1 NOT_A_MESSAGE: 8 X\";\r\n"
        "CM_ BO_ 2566844672 \"25 \xB0"
        "C\";\r\n"
        "BA_DEF_ BO_ \"VFrameFormat\" ENUM \"A\",\"B\",\"C\",\"J1939 PG\";\r\n"
        "BA_ \"GenMsgCycleTime\" BO_ 2566844672 100;\r\n"
        "BA_ \"VFrameFormat\" BO_ 2566844672 3;\r\n",
        "x.dbc");
    ASSERT_EQ(dbc.messages.size(), 1u);
    const DbcMessage& ccvs = dbc.messages[0];
    EXPECT_EQ(ccvs.signalNames, (std::vector<std::string>{"Mux", "Speed"}));
    EXPECT_EQ(ccvs.comment,
              "25 \xC2\xB0"
              "C");                           // Windows-1252 degree sign, now UTF-8
    EXPECT_EQ(ccvs.frameFormat, "J1939 PG");  // named by the file's own list
}

TEST(DbcFile, RefusesWhatIsNoDbcNamingTheLine) {
    const std::string bo = "BO_ 2364539904 EEC1: 8 Engine\n";
    struct Case {
        std::string text, message;
    };
    for (const Case& c : {
             Case{bo + "BO_ 2566844672 CCVS 8 Engine\n",
                  "line 2: the message definition is not \"BO_ <identifier> <name>: <length> <transmitter>\""},
             Case{"BO_ 4294967296 CCVS: 8 Engine\n", "line 1: the message definition is not"},  // above 32 bits
             Case{"BO_ 1 CCVS: -8 Engine\n", "line 1: the message definition is not"},
             Case{"BU_: A\n SG_ Speed : 0|8@1+ (1,0) [0|0] \"\" A\n", "line 2: a signal (SG_) outside a message (BO_)"},
             Case{bo + "CM_ BO_ 2364539904 Engine;\n", "line 2: the message comment is not"},
             Case{bo + "BA_ \"VFrameFormat\" BO_ 2364539904 J1939PG;\n", "line 2: the frame format is not"},
             Case{bo + "BA_ \"SystemMessageLongSymbol\" BO_ 2364539904 LONG;\n", "line 2: the long name is not"},
             Case{bo + "CM_ BO_ 2364539904 \"open\n\n",
                  "line 2: a quoted text begins on this line and is never closed"},
             Case{bo + "\n" + std::string("BO_ 1 X: 8 E\0\x01", 14),
                  "line 3: this is not a DBC text file (it holds the byte 0x00)"},
         }) {
        const std::string error = ErrorText([&] { ParseDbc(c.text, "bus.dbc"); });
        EXPECT_EQ(error.rfind("bus.dbc, " + c.message, 0), 0u) << c.text << "\n-> " << error;
    }
    EXPECT_NE(ErrorText([] { ReadDbcFile("/nonexistent/bus.dbc"); }), "");
    // A picture is not a DBC file either.
    EXPECT_EQ(ErrorText([] { ParseDbc("\x89PNG\r\n\x1A\n", "logo.dbc"); }),
              "logo.dbc, line 2: this is not a DBC text file (it holds the byte 0x1A)");
}

TEST(DbcFile, AnOddMessageIsKeptWithItsProblemAndTheOthersAreRead) {
    const std::string bo = "BO_ 2364539904 EEC1: 8 Engine\n";
    struct Case {
        std::string text;
        std::string name, problem;  // of the last message
    };
    for (const Case& c : {
             Case{"BO_ 2048 CCVS: 8 Engine\n", "CCVS",
                  "the identifier 2048 is more than 11 bits, but bit 31 (a 29-bit identifier) is not set"},
             Case{"BO_ 2047 CCVS: 8 Engine\n", "CCVS", ""},
             Case{"BO_ 1 CCVS: 1786 Engine\n", "CCVS", "the length 1786 is more than 1785 bytes"},
             Case{"BO_ 1 CCVS: 9999999999 Engine\n", "CCVS", "the length 9999999999 is more than 1785 bytes"},
             Case{"BO_ 1 CC-VS: 8 Engine\n", "CC-VS",
                  "the message name CC-VS holds a character other than letters, digits and _"},
             Case{bo + " SG_ Speed : 0|8@1+\n SG_ : 0|8@1+\n", "EEC1",
                  "the signal definition (line 3) is not \"SG_ <name> : <layout>\""},
         }) {
        const DbcFile dbc = ParseDbc(c.text + "BO_ 2566844672 LAST: 8 Engine\n", "bus.dbc");
        ASSERT_GE(dbc.messages.size(), 2u) << c.text;
        const DbcMessage& odd = dbc.messages[dbc.messages.size() - 2];
        EXPECT_EQ(odd.name, c.name) << c.text;
        EXPECT_EQ(odd.problem, c.problem) << c.text;
        EXPECT_EQ(dbc.messages.back().problem, "") << c.text;  // the message after it is read as usual
    }
}

TEST(DbcFile, OneBadMessageAmongGoodOnesWrittenByCanmatrix) {
    const DbcFile dbc = ReadDbcFile(std::string(KESTROVA_TEST_DATA) + "/dbc/j1939_one_bad_message.dbc");
    std::vector<std::string> lines;
    for (const auto& message : dbc.messages) lines.push_back(message.name + ": " + message.problem);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "EEC1: ",
                         "BIG_11BIT: the identifier 2048 is more than 11 bits, but bit 31 (a 29-bit identifier) is "
                         "not set",
                         "1ST_GEAR: the message name 1ST_GEAR begins with a digit",
                         "ETC2: the signal name 2ND_GEAR begins with a digit (line 21)",
                         "ALL_ONES: the identifier 4294967295 is more than 29 bits",
                         "DUP: ",
                         "DUP: the message name DUP is already used on line 26",
                         "CCVS: ",
                     }));
    EXPECT_EQ(Named(dbc, "CCVS").signalNames, std::vector<std::string>{"WheelBasedVehicleSpeed"});
}

TEST(DbcFile, TheLongNameIsTheMessagesName) {
    const DbcFile dbc = ReadDbcFile(std::string(KESTROVA_TEST_DATA) + "/dbc/j1939_long_names.dbc");
    std::vector<std::string> names;
    for (const auto& message : dbc.messages) names.push_back(message.symbol + " -> " + message.name + message.problem);
    // The two temperature messages share their BO_ name and are two messages all the same.
    EXPECT_EQ(names, (std::vector<std::string>{
                         "ELECTRONIC_ENGINE_CONTROLLER_1_M -> ELECTRONIC_ENGINE_CONTROLLER_1_MESSAGE",
                         "ENGINE_TEMPERATURE_1_FROM_ENGINE -> ENGINE_TEMPERATURE_1_FROM_ENGINE_CONTROLLER",
                         "ENGINE_TEMPERATURE_1_FROM_ENGINE -> ENGINE_TEMPERATURE_1_FROM_ENGINE_RETARDER",
                         "CCVS -> CCVS",
                     }));

    // A long name that is no DBC name, or longer than a Mnemonic can be, is not taken.
    const auto nameWith = [](const std::string& longName) {
        return ParseDbc("BO_ 2364539904 EEC1: 8 Engine\nBA_ \"SystemMessageLongSymbol\" BO_ 2364539904 \"" + longName +
                            "\";\n",
                        "x.dbc")
            .messages.at(0)
            .name;
    };
    EXPECT_EQ(nameWith(std::string(kMaxLongNameLength, 'E')), std::string(kMaxLongNameLength, 'E'));
    EXPECT_EQ(nameWith(std::string(kMaxLongNameLength + 1, 'E')), "EEC1");
    // A long name used by an earlier message makes the later one not importable.
    const DbcFile twice = ParseDbc(
        "BO_ 2364539904 EEC1: 8 Engine\nBO_ 2364539905 EEC1_SHORT: 8 Engine\n"
        "BA_ \"SystemMessageLongSymbol\" BO_ 2364539905 \"EEC1\";\n",
        "x.dbc");
    EXPECT_EQ(twice.messages[1].name, "EEC1");
    EXPECT_EQ(twice.messages[1].problem, "the message name EEC1 is already used on line 1");
}

}  // namespace
}  // namespace kestrova
