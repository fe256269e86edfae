#include "core/editors/communication_settings.h"

#include <cctype>

#include "core/editors/editor_table.h"
#include "core/project/integer_text.h"

namespace kestrova {
namespace {

std::string Upper(std::string text) {
    for (auto& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

const char* Flag(bool set) { return set ? "1" : "0"; }

}  // namespace

const std::vector<std::string>& J1939BaudEntries() {
    static const std::vector<std::string> entries{"10K", "20K", "50K", "100K", "125K", "250K", "500K", "800K", "1000K"};
    return entries;
}

const std::vector<std::string>& ProfibusBaudEntries() {
    static const std::vector<std::string> entries{"9600", "19200", "45.45K", "93.75K", "187.5K",       "500K",
                                                  "1.5M", "3.0M",  "6.0M",   "12M",    "Auto Baudrate"};
    return entries;
}

int J1939BaudIndexOfText(const std::string& text) {
    const std::string wanted = Upper(TrimBlanks(text));
    const auto& entries = J1939BaudEntries();
    for (size_t index = 0; index < entries.size(); ++index)
        if (Upper(entries[index]) == wanted) return static_cast<int>(index);
    return kNoBaudEntry;
}

std::string J1939BaudText(const CommunicationSettings& settings) {
    const auto& entries = J1939BaudEntries();
    const int index = settings.canBaudIndex;
    return index >= 0 && static_cast<size_t>(index) < entries.size() ? entries[static_cast<size_t>(index)] : "";
}

CommunicationSettings ReadCommunicationSettings(const ValueRecord& record) {
    CommunicationSettings settings;
    const int32_t baud = IntegerText(record.Required("Can_Baud"));
    settings.canBaudIndex = baud >= 0 && static_cast<size_t>(baud) < J1939BaudEntries().size() ? baud : kNoBaudEntry;
    // `Can_Type` is not read: the gateway always runs CAN 2.0B.
    const std::string sendData = record.Required("Can_Send_Data");
    settings.sendData = sendData == "0"   ? SendDataMode::OnDataChange
                        : sendData == "1" ? SendDataMode::EveryPeriod
                                          : SendDataMode::PerFrame;
    settings.delaySend = record.Required("Can_Delay_Send");
    settings.timeOut = record.Required("Can_TimeOut");
    settings.peerToPeer = record.Required("Can_Peer") != "0";
    // The settings added later stand alone: an older document simply lacks them. Note the
    // two tests: the FECA filter is set only by "1", the other boxes by anything but "0".
    settings.filterFeca = record.Guarded("Filter_FECA", "0") == "1";
    settings.fecaTimeOut = record.Guarded("TimeOut_FECA", "50");
    settings.profibusId = record.Guarded("Profi_ID", "1");
    settings.moduleForEveryFrame = record.Guarded("Profi_Module", "0") != "0";
    settings.sendJ1939WithProfibus = record.Guarded("Profi_Send_J1939", "0") != "0";
    return settings;
}

CommunicationSettings LoadCommunicationSettings(const std::string& path) {
    const auto record = ReadValueRecord(path);
    if (!record) return CommunicationSettings{};
    return ReadCommunicationSettings(*record);
}

std::optional<std::string> CheckCommunicationSettings(const CommunicationSettings& settings) {
    if (!IntegerInRange(settings.delaySend, 1, 50000))
        return "Error!! J1939 delay to send frames every seconds must be between 1 and 50000 mS. ";
    if (!IntegerInRange(settings.timeOut, 0, 255)) return "Error!! TimeOut Data address must be between 0 and 255. ";
    if (!IntegerInRange(settings.profibusId, 1, 125)) return "Error!! ProfiBus address must be between 1 and 125. ";
    if (settings.canBaudIndex < 2 || static_cast<size_t>(settings.canBaudIndex) >= J1939BaudEntries().size())
        return "Error!! J1939 Baudrate have to be at least 50Kbit/s. ";
    if (!IntegerInRange(settings.fecaTimeOut, 0, 10000))
        return "Error! The Filter FECA Time Out must to be between 0 and 10000 milliseconds";
    return std::nullopt;
}

NamedTexts CommunicationElements(const CommunicationSettings& settings) {
    return {
        {"Can_Baud", std::to_string(settings.canBaudIndex)},
        {"Can_Type", "1"},
        {"Can_Send_Data", std::to_string(static_cast<int>(settings.sendData))},
        {"Can_Delay_Send", settings.delaySend},
        {"Can_TimeOut", settings.timeOut},
        {"Can_Peer", Flag(settings.peerToPeer)},
        {"Filter_FECA", Flag(settings.filterFeca)},
        {"TimeOut_FECA", settings.fecaTimeOut},
        {"Profi_ID", settings.profibusId},
        {"Profi_Baud", std::to_string(kAutoProfibusBaudIndex)},
        {"Profi_Module", Flag(settings.moduleForEveryFrame)},
        {"Profi_Send_J1939", Flag(settings.sendJ1939WithProfibus)},
    };
}

void SaveCommunicationSettings(const std::string& path, const CommunicationSettings& settings) {
    WriteValueRecord(path, "Par_Gen", CommunicationElements(settings));
}

}  // namespace kestrova
