#pragma once

#include "core/project/project_context.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrova {

// The configuration image bank.bin, little-endian:
//   header        four 4-byte offsets: receive table (16), send table, parameter block, timers
//   receive table 14 bytes per receive frame
//   send table    6 bytes per send frame
//   parameters    19 bytes from pargen.xml, or nothing without pargen.xml
//   timers        4 bytes per timer
// The file ends with the timer table.

struct ReceiveFrameRecord {
    uint8_t dataPage = 0;
    uint16_t pgn = 0;
    uint8_t sourceAddress = 0;
    uint8_t transportProtocol = 0;  // 1 with transport protocol
    uint16_t startByte = 0;         // TP_Start with transport protocol, else 0
    uint8_t dataLength = 0;         // TP_NByte with transport protocol, else 8
    uint8_t dataOffset = 0;         // sum of the data lengths before this frame, modulo 256
    uint8_t flags = 0;              // bit 0 Delete, bit 1 OnRequest
    int32_t requestTime = 0;        // OnReq_Time
    std::string mnemonic;           // not part of the image; kept for the I/O map
};

struct SendFrameRecord {
    uint8_t priority = 0;
    uint8_t dataPage = 0;
    uint16_t pgn = 0;
    uint8_t sourceAddress = 0;
    uint8_t transmissionType = 0;  // 0 on data change, n on timer Tn
    std::string mnemonic;          // not part of the image; kept for the I/O map
};

struct ParameterBlock {
    uint8_t canBaud = 0;
    uint8_t canType = 0;
    uint8_t canSendData = 0;
    uint16_t canDelaySend = 0;
    uint8_t canTimeOut = 0;
    uint8_t canPeer = 0;
    uint8_t profiId = 0;
    uint8_t profiBaud = 0;
    uint8_t inputDataLength = 0;   // sum of the receive data lengths, modulo 256
    uint8_t outputDataLength = 0;  // 8 per send frame, modulo 256
    uint8_t profiModule = 0;
    uint8_t receiveFrameCount = 0;
    uint8_t sendFrameCount = 0;
    uint8_t filterFeca = 0;
    uint16_t timeOutFeca = 0;
    uint8_t profiSendJ1939 = 0;
    uint8_t timerCount = 0;
};

struct BankImage {
    std::vector<ReceiveFrameRecord> receiveFrames;
    std::vector<SendFrameRecord> sendFrames;
    std::optional<ParameterBlock> parameters;  // nothing without pargen.xml
    std::vector<int32_t> timers;
};

inline constexpr size_t kBankHeaderBytes = 16;
inline constexpr size_t kReceiveRecordBytes = 14;
inline constexpr size_t kSendRecordBytes = 6;
inline constexpr size_t kParameterBlockBytes = 19;
inline constexpr size_t kTimerRecordBytes = 4;
// The largest image the gateway's bank holds; a larger project is refused, never truncated.
inline constexpr size_t kBankImageCapacity = 100004;

// Compiles Receive_Frame.xml, Send_Frame.xml, TimerDef.xml and pargen.xml of the project. A
// missing document gives an empty section. Throws Error when a document does not parse, when
// a required value is missing or not an integer ("'%s' is not a valid integer value"), or
// when the image would not fit the bank.
BankImage BuildBankImage(const ProjectContext& context);

// PROFIBUS data lengths as the image declares them: the receive frames' data lengths summed
// modulo 256 (the end of the last receive frame's data), and 8 bytes per send frame.
uint8_t ReceiveDataLength(const BankImage& image);
uint8_t SendDataLength(const BankImage& image);
// Where send frame `index` (from 0) takes its data in the PROFIBUS output data.
int SendFrameDataOffset(size_t index);

// The bytes of the image file.
std::string BankImageBytes(const BankImage& image);

// <project directory>/bin/bank.bin
std::string BankImagePath(const ProjectContext& context);

// Stores the image as bin/bank.bin of the project: written beside the target and renamed into
// place, so an earlier file is replaced whole or not at all. The bin directory is not created.
// Throws Error with the system's reason when the file cannot be created or written.
void WriteBankImage(const ProjectContext& context, const BankImage& image);

}  // namespace kestrova
