#include "core/editors/communication_settings.h"

#include <gtest/gtest.h>

#include "core/project/error.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

const char* const kDelayMessage = "Error!! J1939 delay to send frames every seconds must be between 1 and 50000 mS. ";
const char* const kTimeOutMessage = "Error!! TimeOut Data address must be between 0 and 255. ";
const char* const kAddressMessage = "Error!! ProfiBus address must be between 1 and 125. ";
const char* const kBaudMessage = "Error!! J1939 Baudrate have to be at least 50Kbit/s. ";
const char* const kFecaMessage = "Error! The Filter FECA Time Out must to be between 0 and 10000 milliseconds";

std::string Document(const std::string& elements) { return "<Par_Gen>" + elements + "</Par_Gen>"; }

const std::string kRequired =
    "<Can_Baud>6</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>1</Can_Send_Data>"
    "<Can_Delay_Send>0x10</Can_Delay_Send><Can_TimeOut>7</Can_TimeOut><Can_Peer>1</Can_Peer>";

CommunicationSettings LoadText(const std::string& text) {
    TempDir dir;
    WriteText(dir / "pargen.xml", text);
    return LoadCommunicationSettings(dir / "pargen.xml");
}

std::string SavedText(const CommunicationSettings& settings) {
    TempDir dir;
    SaveCommunicationSettings(dir / "pargen.xml", settings);
    return ReadText(dir / "pargen.xml");
}

TEST(CommunicationLoad, NoDocumentGivesTheFirstShowDefaultsEveryTime) {
    TempDir dir;
    const auto settings = LoadCommunicationSettings(dir / "pargen.xml");
    EXPECT_EQ(SavedText(settings),
              "<Par_Gen><Can_Baud>5</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>0</Can_Send_Data>"
              "<Can_Delay_Send>1000</Can_Delay_Send><Can_TimeOut>5</Can_TimeOut><Can_Peer>0</Can_Peer>"
              "<Filter_FECA>0</Filter_FECA><TimeOut_FECA>1</TimeOut_FECA><Profi_ID>1</Profi_ID>"
              "<Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939>"
              "</Par_Gen>");
    EXPECT_FALSE(CheckCommunicationSettings(settings));
}

TEST(CommunicationLoad, AFullDocumentIsReadAsStoredWhateverTheRootsName) {
    const auto settings = LoadText(
        "<Other>" + kRequired +
        "<Filter_FECA>1</Filter_FECA><TimeOut_FECA>300</TimeOut_FECA><Profi_ID>$7</Profi_ID>"
        "<Profi_Baud>10</Profi_Baud><Profi_Module>1</Profi_Module><Profi_Send_J1939>1</Profi_Send_J1939></Other>");
    EXPECT_EQ(settings.canBaudIndex, 6);
    EXPECT_EQ(settings.sendData, SendDataMode::EveryPeriod);
    EXPECT_EQ(settings.delaySend, "0x10");
    EXPECT_EQ(settings.timeOut, "7");
    EXPECT_TRUE(settings.peerToPeer);
    EXPECT_TRUE(settings.filterFeca);
    EXPECT_EQ(settings.fecaTimeOut, "300");
    EXPECT_EQ(settings.profibusId, "$7");
    EXPECT_TRUE(settings.moduleForEveryFrame);
    EXPECT_TRUE(settings.sendJ1939WithProfibus);
}

TEST(CommunicationLoad, AnOlderDocumentGetsTheStandAloneDefaultsAndSavesAllTwelve) {
    const auto settings = LoadText(Document(kRequired));
    EXPECT_FALSE(settings.filterFeca);
    EXPECT_EQ(settings.fecaTimeOut, "50");
    EXPECT_EQ(settings.profibusId, "1");
    EXPECT_FALSE(settings.moduleForEveryFrame);
    EXPECT_FALSE(settings.sendJ1939WithProfibus);
    EXPECT_EQ(SavedText(settings),
              "<Par_Gen><Can_Baud>6</Can_Baud><Can_Type>1</Can_Type><Can_Send_Data>1</Can_Send_Data>"
              "<Can_Delay_Send>0x10</Can_Delay_Send><Can_TimeOut>7</Can_TimeOut><Can_Peer>1</Can_Peer>"
              "<Filter_FECA>0</Filter_FECA><TimeOut_FECA>50</TimeOut_FECA><Profi_ID>1</Profi_ID>"
              "<Profi_Baud>10</Profi_Baud><Profi_Module>0</Profi_Module><Profi_Send_J1939>0</Profi_Send_J1939>"
              "</Par_Gen>");
}

TEST(CommunicationLoad, CheckBoxesHaveTwoDifferentTests) {
    // Filter_FECA is set only by "1"; the other boxes by anything but "0".
    auto settings =
        LoadText(Document("<Can_Baud>5</Can_Baud><Can_Send_Data>0</Can_Send_Data><Can_Delay_Send>1</Can_Delay_Send>"
                          "<Can_TimeOut>1</Can_TimeOut><Can_Peer>Y</Can_Peer><Filter_FECA>Y</Filter_FECA>"
                          "<Profi_Module>N</Profi_Module><Profi_Send_J1939></Profi_Send_J1939>"));
    EXPECT_TRUE(settings.peerToPeer);
    EXPECT_FALSE(settings.filterFeca);
    EXPECT_TRUE(settings.moduleForEveryFrame);
    EXPECT_TRUE(settings.sendJ1939WithProfibus);
    const auto saved = CommunicationElements(settings);
    EXPECT_EQ(saved[5], (std::pair<std::string, std::string>{"Can_Peer", "1"}));
    EXPECT_EQ(saved[6], (std::pair<std::string, std::string>{"Filter_FECA", "0"}));

    settings =
        LoadText(Document("<Can_Baud>5</Can_Baud><Can_Send_Data>0</Can_Send_Data><Can_Delay_Send>1</Can_Delay_Send>"
                          "<Can_TimeOut>1</Can_TimeOut><Can_Peer>0</Can_Peer><Profi_Module>0</Profi_Module>"));
    EXPECT_FALSE(settings.peerToPeer);
    EXPECT_FALSE(settings.moduleForEveryFrame);
}

TEST(CommunicationLoad, SendDataAndProfibusBaudAreNormalisedOnSaving) {
    const auto settings =
        LoadText(Document("<Can_Baud>5</Can_Baud><Can_Send_Data>7</Can_Send_Data><Can_Delay_Send>1</Can_Delay_Send>"
                          "<Can_TimeOut>1</Can_TimeOut><Can_Peer>0</Can_Peer><Profi_Baud>3</Profi_Baud>"));
    EXPECT_EQ(settings.sendData, SendDataMode::PerFrame);
    const auto saved = CommunicationElements(settings);
    EXPECT_EQ(saved[2].second, "2");
    EXPECT_EQ(saved[9], (std::pair<std::string, std::string>{"Profi_Baud", "10"}));
}

TEST(CommunicationLoad, ABaudIndexOutsideTheListChoosesNoEntry) {
    for (const char* text : {"9", "-1", "$FF"}) {
        const auto settings =
            LoadText(Document(std::string("<Can_Baud>") + text +
                              "</Can_Baud><Can_Send_Data>0</Can_Send_Data><Can_Delay_Send>1</Can_Delay_Send>"
                              "<Can_TimeOut>1</Can_TimeOut><Can_Peer>0</Can_Peer>"));
        EXPECT_EQ(settings.canBaudIndex, kNoBaudEntry) << text;
        EXPECT_EQ(CheckCommunicationSettings(settings), kBaudMessage) << text;
    }
    EXPECT_EQ(LoadText(Document("<Can_Baud> 0x8</Can_Baud><Can_Send_Data>0</Can_Send_Data>"
                                "<Can_Delay_Send>1</Can_Delay_Send><Can_TimeOut>1</Can_TimeOut><Can_Peer>0</Can_Peer>"))
                  .canBaudIndex,
              8);
}

TEST(CommunicationLoad, AMissingRequiredElementOrABadBaudStopsTheLoad) {
    const std::vector<std::string> required{"Can_Baud", "Can_Send_Data", "Can_Delay_Send", "Can_TimeOut", "Can_Peer"};
    for (const auto& missing : required) {
        std::string elements;
        for (const auto& name : required)
            if (name != missing) elements += "<" + name + ">1</" + name + ">";
        TempDir dir;
        WriteText(dir / "pargen.xml", Document(elements));
        try {
            LoadCommunicationSettings(dir / "pargen.xml");
            ADD_FAILURE() << "loaded without " << missing;
        } catch (const Error& error) {
            EXPECT_EQ(std::string(error.what()),
                      "The element '" + missing + "' is missing in " + (dir / "pargen.xml") + ".");
        }
    }
    try {
        LoadText(
            Document("<Can_Baud>fast</Can_Baud><Can_Send_Data>0</Can_Send_Data>"
                     "<Can_Delay_Send>1</Can_Delay_Send><Can_TimeOut>1</Can_TimeOut><Can_Peer>0</Can_Peer>"));
        ADD_FAILURE() << "loaded";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "'fast' is not a valid integer value");
    }
    EXPECT_THROW(LoadText("<Par_Gen><Can_Baud>5</Par_Gen>"), Error);
}

TEST(CommunicationBaud, ATypedRateChoosesItsEntryIgnoringCaseAndBlanks) {
    EXPECT_EQ(J1939BaudIndexOfText("250K"), 5);
    EXPECT_EQ(J1939BaudIndexOfText(" 50k "), 2);
    EXPECT_EQ(J1939BaudIndexOfText("1000K"), 8);
    EXPECT_EQ(J1939BaudIndexOfText("300K"), kNoBaudEntry);
    EXPECT_EQ(J1939BaudIndexOfText(""), kNoBaudEntry);
    EXPECT_EQ(ProfibusBaudEntries().at(kAutoProfibusBaudIndex), "Auto Baudrate");
}

struct RangeCase {
    std::string CommunicationSettings::*field;
    std::string text;
    bool accepted;
    const char* message;
};

TEST(CommunicationChecks, NumberFieldsAreInclusiveAndNonIntegersCountAsMinusOne) {
    const RangeCase cases[] = {
        {&CommunicationSettings::delaySend, "1", true, kDelayMessage},
        {&CommunicationSettings::delaySend, "50000", true, kDelayMessage},
        {&CommunicationSettings::delaySend, "0", false, kDelayMessage},
        {&CommunicationSettings::delaySend, "50001", false, kDelayMessage},
        {&CommunicationSettings::delaySend, "", false, kDelayMessage},
        {&CommunicationSettings::timeOut, "0", true, kTimeOutMessage},
        {&CommunicationSettings::timeOut, "255", true, kTimeOutMessage},
        {&CommunicationSettings::timeOut, "0x10", true, kTimeOutMessage},
        {&CommunicationSettings::timeOut, "256", false, kTimeOutMessage},
        {&CommunicationSettings::timeOut, "-1", false, kTimeOutMessage},
        {&CommunicationSettings::timeOut, "5s", false, kTimeOutMessage},
        {&CommunicationSettings::profibusId, "1", true, kAddressMessage},
        {&CommunicationSettings::profibusId, "125", true, kAddressMessage},
        {&CommunicationSettings::profibusId, "0", false, kAddressMessage},
        {&CommunicationSettings::profibusId, "126", false, kAddressMessage},
        {&CommunicationSettings::fecaTimeOut, "0", true, kFecaMessage},
        {&CommunicationSettings::fecaTimeOut, "10000", true, kFecaMessage},
        {&CommunicationSettings::fecaTimeOut, "10001", false, kFecaMessage},
        {&CommunicationSettings::fecaTimeOut, "", false, kFecaMessage},
    };
    for (const auto& c : cases) {
        CommunicationSettings settings;  // every other field valid, FECA filter and send mode off
        settings.*c.field = c.text;
        const auto failure = CheckCommunicationSettings(settings);
        if (c.accepted)
            EXPECT_FALSE(failure) << "'" << c.text << "' refused: " << *failure;
        else
            EXPECT_EQ(failure, c.message) << "'" << c.text << "'";
    }
}

TEST(CommunicationChecks, BaudRateMustBeAChosenEntryOf50KOrFaster) {
    CommunicationSettings settings;
    settings.canBaudIndex = 1;  // "20K"
    EXPECT_EQ(CheckCommunicationSettings(settings), kBaudMessage);
    settings.canBaudIndex = kNoBaudEntry;
    EXPECT_EQ(CheckCommunicationSettings(settings), kBaudMessage);
    settings.canBaudIndex = 2;  // "50K"
    EXPECT_FALSE(CheckCommunicationSettings(settings));
    settings.canBaudIndex = 8;
    EXPECT_FALSE(CheckCommunicationSettings(settings));
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

TEST(CommunicationSave, NumberFieldsAreStoredAsTypedAndTextsEscaped) {
    CommunicationSettings settings;
    settings.sendData = SendDataMode::PerFrame;
    settings.delaySend = " $3E8";
    settings.timeOut = "0x10";
    settings.filterFeca = true;
    settings.peerToPeer = true;
    settings.moduleForEveryFrame = true;
    const auto elements = CommunicationElements(settings);
    ASSERT_EQ(elements.size(), 12u);
    const char* const names[] = {"Can_Baud",    "Can_Type",   "Can_Send_Data", "Can_Delay_Send",
                                 "Can_TimeOut", "Can_Peer",   "Filter_FECA",   "TimeOut_FECA",
                                 "Profi_ID",    "Profi_Baud", "Profi_Module",  "Profi_Send_J1939"};
    const char* const texts[] = {"5", "1", "2", " $3E8", "0x10", "1", "1", "1", "1", "10", "1", "0"};
    for (size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(elements[i].first, names[i]);
        EXPECT_EQ(elements[i].second, texts[i]) << names[i];
    }
    // What is saved loads back the same.
    TempDir dir;
    SaveCommunicationSettings(dir / "pargen.xml", settings);
    EXPECT_EQ(CommunicationElements(LoadCommunicationSettings(dir / "pargen.xml")), elements);
}

}  // namespace
}  // namespace kestrova
