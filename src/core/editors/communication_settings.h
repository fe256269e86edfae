#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/project/xml_document.h"

namespace kestrova {

// pargen.xml: root `Par_Gen` and twelve settings, each an element holding its text. Check
// boxes are "1"/"0"; the four number fields are stored as typed.

// " Send Data " radio buttons, as stored in `Can_Send_Data`.
enum class SendDataMode { OnDataChange = 0, EveryPeriod = 1, PerFrame = 2 };

inline constexpr int kNoBaudEntry = -1;
inline constexpr int kDefaultCanBaudIndex = 5;     // "250K"
inline constexpr int kAutoProfibusBaudIndex = 10;  // "Auto Baudrate"

struct CommunicationSettings {
    int canBaudIndex = kDefaultCanBaudIndex;  // entry of the J1939 list; kNoBaudEntry when none chosen
    SendDataMode sendData = SendDataMode::OnDataChange;
    std::string delaySend = "1000";  // ms, "Send Frame Every "
    std::string timeOut = "5";       // s, "TimeOut Data"
    bool peerToPeer = false;
    bool filterFeca = false;
    std::string fecaTimeOut = "1";  // ms
    std::string profibusId = "1";   // "ID Dev."
    bool moduleForEveryFrame = false;
    bool sendJ1939WithProfibus = false;
};

// The J1939 and PROFIBUS baud-rate lists, in index order.
const std::vector<std::string>& J1939BaudEntries();
const std::vector<std::string>& ProfibusBaudEntries();

// The entry a text names (an edited drop-down text), compared without regard to case and
// surrounding blanks; kNoBaudEntry when it names none.
int J1939BaudIndexOfText(const std::string& text);
// The text the J1939 drop-down shows for the settings: the chosen entry, "" when none is.
std::string J1939BaudText(const CommunicationSettings& settings);

// The settings of the document at `path`; without a document, the defaults above (every time,
// whatever an earlier showing held). Throws Error when the document does not parse, lacks
// `Can_Baud`, `Can_Send_Data`, `Can_Delay_Send`, `Can_TimeOut` or `Can_Peer`, or holds a
// `Can_Baud` that is not an integer.
CommunicationSettings LoadCommunicationSettings(const std::string& path);
CommunicationSettings ReadCommunicationSettings(const ValueRecord& record);

// The first failing range check, as the error box shows it; nothing when all pass.
std::optional<std::string> CheckCommunicationSettings(const CommunicationSettings& settings);

// The twelve elements in document order, with their stored texts.
NamedTexts CommunicationElements(const CommunicationSettings& settings);
void SaveCommunicationSettings(const std::string& path, const CommunicationSettings& settings);

}  // namespace kestrova
