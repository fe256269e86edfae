#include "core/editors/communication_settings.h"

#include <gtest/gtest.h>

#include "editor_test_support.h"

namespace kestrova {
namespace {

using testing::ErrorText;
using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

const char* const kDelayMessage = "Error!! J1939 delay to send frames every seconds must be between 1 and 50000 mS. ";
const char* const kTimeOutMessage = "Error!! TimeOut Data address must be between 0 and 255. ";
const char* const kAddressMessage = "Error!! ProfiBus address must be between 1 and 125. ";
const char* const kBaudMessage = "Error!! J1939 Baudrate have to be at least 50Kbit/s. ";
const char* const kFecaMessage = "Error! The Filter FECA Time Out must to be between 0 and 10000 milliseconds";

// A document with the given J1939 rate, send mode and peer-to-peer box, then `more`.
std::string Document(const std::string& baud, const std::string& sendData, const std::string& peer,
                     const std::string& more = "", const std::string& root = "Par_Gen") {
    return "<" + root + "><Can_Baud>" + baud + "</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>" + sendData +
           "</Can_Send_Data><Can_Delay_Send>0x10</Can_Delay_Send><Can_TimeOut>7</Can_TimeOut><Can_Peer>" + peer +
           "</Can_Peer>" + more + "</" + root + ">";
}

CommunicationSettings LoadText(const std::string& text) {
    TempDir dir;
    WriteText(dir / "pargen.xml", text);
    return LoadCommunicationSettings(dir / "pargen.xml");
}

// The twelve stored texts, joined by '|'.
std::string Stored(const CommunicationSettings& settings) {
    std::string joined;
    for (const auto& element : CommunicationElements(settings)) joined += (joined.empty() ? "" : "|") + element.second;
    return joined;
}

TEST(CommunicationLoad, NoDocumentGivesTheFirstShowDefaults) {
    TempDir dir;
    const auto settings = LoadCommunicationSettings(dir / "pargen.xml");
    EXPECT_FALSE(CheckCommunicationSettings(settings));
    SaveCommunicationSettings(dir / "pargen.xml", settings);
    EXPECT_EQ(ReadText(dir / "pargen.xml"),
              "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
              "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
              "<Filter_FECA>0</Filter_FECA><TimeOut_FECA>1</TimeOut_FECA><Profi_ID>1</Profi_ID>"
              "<Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939>"
              "</Par_Gen>");
}

TEST(CommunicationLoad, DocumentsAreReadWithStandAloneDefaultsAndTwoCheckBoxTests) {
    const std::pair<std::string, std::string> cases[] = {
        // Any root name; every element as stored.
        {Document("6", "1", "1",
                  "<Filter_FECA>1</Filter_FECA><TimeOut_FECA>300</TimeOut_FECA><Profi_ID>$7</Profi_ID>"
                  "<Profi_Baud>10</Profi_Baud><Profi_Module>1</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939>",
                  "Other"),
         "6|1|1|0x10|7|1|1|300|$7|10|1|0"},
        // An older document: the stand-alone elements take their defaults.
        {Document("6", "1", "1"), "6|1|1|0x10|7|1|0|50|1|10|0|0"},
        // Filter_FECA is set only by "1"; the other boxes by anything but "0".
        {Document("5", "0", "Y",
                  "<Filter_FECA>Y</Filter_FECA><Profi_Module>N</Profi_Module><Profi_Send_J1939></Profi_Send_J1939>"),
         "5|1|0|0x10|7|1|0|50|1|10|1|1"},
        {Document("5", "0", "0", "<Profi_Module>0</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939>"),
         "5|1|0|0x10|7|0|0|50|1|10|0|0"},
        // Unknown send modes and PROFIBUS rates are normalised; the rate index is read as an integer.
        {Document(" 0x8", "7", "0", "<Profi_Baud>3</Profi_Baud>"), "8|1|2|0x10|7|0|0|50|1|10|0|0"},
    };
    for (const auto& [document, stored] : cases) EXPECT_EQ(Stored(LoadText(document)), stored) << document;
    for (const char* text : {"9", "-1", "$FF"}) {
        const auto settings = LoadText(Document(text, "0", "0"));
        EXPECT_EQ(settings.canBaudIndex, kNoBaudEntry) << text;
        EXPECT_EQ(CheckCommunicationSettings(settings), kBaudMessage) << text;
    }
}

TEST(CommunicationLoad, AMissingRequiredElementABadBaudOrBrokenXmlStopsTheLoad) {
    const std::vector<std::string> required{"Can_Baud", "Can_Send_Data", "Can_Delay_Send", "Can_TimeOut", "Can_Peer"};
    TempDir dir;
    const auto path = dir / "pargen.xml";
    for (const auto& missing : required) {
        std::string elements;
        for (const auto& name : required)
            if (name != missing) elements += "<" + name + ">1</" + name + ">";
        WriteText(path, "<Par_Gen>" + elements + "</Par_Gen>");
        EXPECT_EQ(ErrorText([&] { LoadCommunicationSettings(path); }),
                  "The element '" + missing + "' is missing in " + path + ".");
    }
    EXPECT_EQ(ErrorText([] {
                  LoadText(
                      "<Par_Gen><Can_Baud>fast</Can_Baud><Can_Send_Data>0</Can_Send_Data><Can_Delay_Send>1"
                      "</Can_Delay_Send><Can_TimeOut>1</Can_TimeOut><Can_Peer>0</Can_Peer></Par_Gen>");
              }),
              "'fast' is not a valid integer value");
    EXPECT_THROW(LoadText("<Par_Gen><Can_Baud>5</Par_Gen>"), Error);
}

TEST(CommunicationBaud, ATypedRateChoosesItsEntryIgnoringCaseAndBlanks) {
    EXPECT_EQ(J1939BaudIndexOfText("250K"), 5);
    EXPECT_EQ(J1939BaudIndexOfText(" 50k "), 2);
    EXPECT_EQ(J1939BaudIndexOfText("1000K"), 8);
    EXPECT_EQ(J1939BaudIndexOfText("300K"), kNoBaudEntry);
    EXPECT_EQ(J1939BaudIndexOfText(""), kNoBaudEntry);
    CommunicationSettings settings;
    EXPECT_EQ(J1939BaudText(settings), "250K");
    settings.canBaudIndex = kNoBaudEntry;
    EXPECT_EQ(J1939BaudText(settings), "") << "no entry: the drop-down shows nothing";
}

TEST(CommunicationChecks, RangesAreInclusiveAndNonIntegersCountAsMinusOne) {
    const struct {
        std::string CommunicationSettings::*field;
        const char* message;
        std::vector<std::string> accepted, refused;
    } cases[] = {
        {&CommunicationSettings::delaySend, kDelayMessage, {"1", "50000"}, {"0", "50001", ""}},
        {&CommunicationSettings::timeOut, kTimeOutMessage, {"0", "255", "0x10"}, {"256", "-1", "5s"}},
        {&CommunicationSettings::profibusId, kAddressMessage, {"1", "125"}, {"0", "126"}},
        {&CommunicationSettings::fecaTimeOut, kFecaMessage, {"0", "10000"}, {"10001", ""}},
    };
    for (const auto& c : cases) {
        CommunicationSettings settings;  // every other field valid
        for (const auto& text : c.accepted) {
            settings.*c.field = text;
            EXPECT_EQ(CheckCommunicationSettings(settings).value_or("ok"), "ok") << "'" << text << "'";
        }
        for (const auto& text : c.refused) {
            settings.*c.field = text;
            EXPECT_EQ(CheckCommunicationSettings(settings), c.message) << "'" << text << "'";
        }
    }
    // The J1939 rate: a chosen entry of 50K ("2") or faster.
    for (const int index : {1, kNoBaudEntry, 2, 8}) {
        CommunicationSettings settings;
        settings.canBaudIndex = index;
        EXPECT_EQ(CheckCommunicationSettings(settings).value_or("ok"), index >= 2 ? "ok" : kBaudMessage) << index;
    }
}

TEST(CommunicationChecks, OnlyTheFirstFailureIsReportedInTheFixedOrder) {
    CommunicationSettings settings;
    settings.delaySend = "";
    settings.timeOut = "256";
    settings.profibusId = "0";
    settings.canBaudIndex = 0;
    settings.fecaTimeOut = "-5";
    EXPECT_EQ(CheckCommunicationSettings(settings), kDelayMessage);
    settings.delaySend = "1000";
    EXPECT_EQ(CheckCommunicationSettings(settings), kTimeOutMessage);
    settings.timeOut = "5";
    EXPECT_EQ(CheckCommunicationSettings(settings), kAddressMessage);
    settings.profibusId = "3";
    EXPECT_EQ(CheckCommunicationSettings(settings), kBaudMessage);
    settings.canBaudIndex = 5;
    EXPECT_EQ(CheckCommunicationSettings(settings), kFecaMessage);
}

}  // namespace
}  // namespace kestrova
