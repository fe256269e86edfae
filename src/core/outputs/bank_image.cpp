#include "core/outputs/bank_image.h"

#include "core/outputs/module_layout.h"
#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

// Where a value stands, for messages: "Receive_Frame.xml, row 2" or "pargen.xml".
std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The strict integer rule, its message preceded by the value's place ("pargen.xml, Can_Baud: ").
int32_t IntegerAt(const std::string& text, const std::string& place) {
    try {
        return IntegerText(text);
    } catch (const Error& error) {
        throw Error(place + ": " + error.what());
    }
}

// A value every row or record must have, as an integer.
int32_t Required(const XmlRow& row, const std::string& place, const char* name) {
    return IntegerAt(row.Required(name), place + ", " + name);
}
int32_t Required(const ValueRecord& record, const std::string& place, const char* name) {
    return IntegerAt(record.Required(name), place + ", " + name);
}

// A value that may be missing or not an integer: `fallback` then.
int32_t Optional(const XmlRow& row, const char* name, int32_t fallback) {
    const auto* text = row.Find(name);
    return text ? IntegerText(*text, fallback) : fallback;
}
int32_t Optional(const ValueRecord& record, const char* name, int32_t fallback) {
    const auto text = record.Find(name);
    return text ? IntegerText(*text, fallback) : fallback;
}

uint8_t Byte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }
uint16_t Word(int32_t value) { return static_cast<uint16_t>(static_cast<uint32_t>(value) & 0xFFFFu); }
uint8_t CountByte(size_t count) { return static_cast<uint8_t>(count & 0xFFu); }

// Fields are read in record order, so the first missing or wrong value is the one reported.
ReceiveFrameRecord ReadReceiveFrame(const XmlRow& row, const std::string& place, uint8_t dataOffset) {
    ReceiveFrameRecord record;
    record.dataPage = Byte(Required(row, place, "DataPage"));
    record.pgn = Word(Required(row, place, "PGN"));
    record.sourceAddress = Byte(Required(row, place, "SA"));
    const auto* tp = row.Find("TP");
    if (tp && FlagSet(*tp)) {
        record.transportProtocol = 1;
        record.startByte = Word(Optional(row, "TP_Start", 0));
        record.dataLength = Byte(Optional(row, "TP_NByte", 0));
    } else {
        record.dataLength = kFrameDataBytes;
    }
    record.dataOffset = dataOffset;
    if (FlagSet(row.Required("Delete"))) record.flags |= 0x01;
    if (const auto* onRequest = row.Find("OnRequest"); onRequest && FlagSet(*onRequest)) record.flags |= 0x02;
    record.requestTime = Optional(row, "OnReq_Time", 0);
    record.mnemonic = row.Guarded("Mnemonic");
    return record;
}

SendFrameRecord ReadSendFrame(const XmlRow& row, const std::string& place) {
    SendFrameRecord record;
    record.priority = Byte(Required(row, place, "Priority"));
    record.dataPage = Byte(Required(row, place, "DataPage"));
    record.pgn = Word(Required(row, place, "PGN"));
    record.sourceAddress = Byte(Required(row, place, "SA"));
    record.transmissionType = Byte(Optional(row, "TT", 0));
    record.mnemonic = row.Guarded("Mnemonic");
    return record;
}

size_t ImageSize(size_t receiveFrames, size_t sendFrames, bool parameters, size_t timers) {
    return kBankHeaderBytes + kReceiveRecordBytes * receiveFrames + kSendRecordBytes * sendFrames +
           (parameters ? kParameterBlockBytes : 0) + kTimerRecordBytes * timers;
}

class ByteWriter {
public:
    explicit ByteWriter(std::string& out) : out_(out) {}
    void U8(uint8_t value) { out_.push_back(static_cast<char>(value)); }
    void U16(uint16_t value) {
        U8(static_cast<uint8_t>(value & 0xFF));
        U8(static_cast<uint8_t>(value >> 8));
    }
    void U32(uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) U8(static_cast<uint8_t>((value >> shift) & 0xFF));
    }

private:
    std::string& out_;
};

}  // namespace

BankImage BuildBankImage(const ProjectContext& context) {
    RequireProjectDirectory(context);
    const auto& documents = context.documents;
    BankImage image;

    // Each list is checked against the bank before its records are compiled.
    const auto tooLarge = [] {
        return Error("The configuration image would be larger than " + std::to_string(kBankImageCapacity) +
                     " bytes: the project has more frames or timers than the device can hold.");
    };

    uint8_t dataOffset = 0;
    if (const auto receive = ReadRowList(documents.receiveFrame)) {
        if (ImageSize(receive->rows.size(), 0, false, 0) > kBankImageCapacity) throw tooLarge();
        image.receiveFrames.reserve(receive->rows.size());
        const std::string file = FileName(documents.receiveFrame);
        for (const auto& row : receive->rows) {
            const std::string place = file + ", row " + std::to_string(image.receiveFrames.size() + 1);
            image.receiveFrames.push_back(ReadReceiveFrame(row, place, dataOffset));
            dataOffset = static_cast<uint8_t>(dataOffset + image.receiveFrames.back().dataLength);
        }
    }

    if (const auto send = ReadRowList(documents.sendFrame)) {
        if (ImageSize(image.receiveFrames.size(), send->rows.size(), false, 0) > kBankImageCapacity)
            throw tooLarge();
        image.sendFrames.reserve(send->rows.size());
        const std::string file = FileName(documents.sendFrame);
        for (const auto& row : send->rows)
            image.sendFrames.push_back(
                ReadSendFrame(row, file + ", row " + std::to_string(image.sendFrames.size() + 1)));
    }

    const auto timerTexts = ReadValueList(documents.timerDef);
    const size_t timerCount = timerTexts ? timerTexts->size() : 0;

    if (const auto pargen = ReadValueRecord(documents.pargen)) {
        ParameterBlock block;
        const std::string file = FileName(documents.pargen);
        const auto setting = [&](const char* name) { return Required(*pargen, file, name); };
        block.canBaud = Byte(setting("Can_Baud"));
        block.canType = Byte(setting("Can_Type"));
        block.canSendData = Byte(setting("Can_Send_Data"));
        block.canDelaySend = Word(setting("Can_Delay_Send"));
        block.canTimeOut = Byte(setting("Can_TimeOut"));
        block.canPeer = Byte(setting("Can_Peer"));
        block.profiId = Byte(setting("Profi_ID"));
        block.profiBaud = Byte(setting("Profi_Baud"));
        block.inputDataLength = ReceiveDataLength(image);
        block.outputDataLength = SendDataLength(image);
        block.profiModule = Byte(setting("Profi_Module"));
        block.receiveFrameCount = CountByte(image.receiveFrames.size());
        block.sendFrameCount = CountByte(image.sendFrames.size());
        block.filterFeca = Byte(Optional(*pargen, "Filter_FECA", 0));
        block.timeOutFeca = Word(Optional(*pargen, "TimeOut_FECA", 0));
        block.profiSendJ1939 = Byte(Optional(*pargen, "Profi_Send_J1939", 0));
        block.timerCount = CountByte(timerCount);
        image.parameters = block;
    }

    if (ImageSize(image.receiveFrames.size(), image.sendFrames.size(), image.parameters.has_value(), timerCount) >
        kBankImageCapacity)
        throw tooLarge();
    if (timerTexts) {
        image.timers.reserve(timerCount);
        const std::string file = FileName(documents.timerDef);
        for (const auto& text : *timerTexts)
            image.timers.push_back(IntegerAt(text, file + ", row " + std::to_string(image.timers.size() + 1)));
    }
    return image;
}

uint8_t ReceiveDataLength(const BankImage& image) {
    if (image.receiveFrames.empty()) return 0;
    const auto& last = image.receiveFrames.back();
    return static_cast<uint8_t>(last.dataOffset + last.dataLength);
}

uint8_t SendDataLength(const BankImage& image) { return CountByte(kFrameDataBytes * image.sendFrames.size()); }

int SendFrameDataOffset(size_t index) { return static_cast<int>(kFrameDataBytes * index); }

std::string BankImageBytes(const BankImage& image) {
    std::string bytes;
    bytes.reserve(ImageSize(image.receiveFrames.size(), image.sendFrames.size(), image.parameters.has_value(),
                            image.timers.size()));
    ByteWriter out(bytes);

    const auto sendTable = kBankHeaderBytes + kReceiveRecordBytes * image.receiveFrames.size();
    const auto parameterBlock = sendTable + kSendRecordBytes * image.sendFrames.size();
    const auto timerTable = parameterBlock + (image.parameters ? kParameterBlockBytes : 0);
    out.U32(static_cast<uint32_t>(kBankHeaderBytes));
    out.U32(static_cast<uint32_t>(sendTable));
    out.U32(static_cast<uint32_t>(parameterBlock));
    out.U32(static_cast<uint32_t>(timerTable));

    for (const auto& frame : image.receiveFrames) {
        out.U8(frame.dataPage);
        out.U16(frame.pgn);
        out.U8(frame.sourceAddress);
        out.U8(frame.transportProtocol);
        out.U16(frame.startByte);
        out.U8(frame.dataLength);
        out.U8(frame.dataOffset);
        out.U8(frame.flags);
        out.U32(static_cast<uint32_t>(frame.requestTime));
    }
    for (const auto& frame : image.sendFrames) {
        out.U8(frame.priority);
        out.U8(frame.dataPage);
        out.U16(frame.pgn);
        out.U8(frame.sourceAddress);
        out.U8(frame.transmissionType);
    }
    if (const auto& block = image.parameters) {
        out.U8(block->canBaud);
        out.U8(block->canType);
        out.U8(block->canSendData);
        out.U16(block->canDelaySend);
        out.U8(block->canTimeOut);
        out.U8(block->canPeer);
        out.U8(block->profiId);
        out.U8(block->profiBaud);
        out.U8(block->inputDataLength);
        out.U8(block->outputDataLength);
        out.U8(block->profiModule);
        out.U8(block->receiveFrameCount);
        out.U8(block->sendFrameCount);
        out.U8(block->filterFeca);
        out.U16(block->timeOutFeca);
        out.U8(block->profiSendJ1939);
        out.U8(block->timerCount);
    }
    for (const auto timer : image.timers) out.U32(static_cast<uint32_t>(timer));
    return bytes;
}

std::string BankImagePath(const ProjectContext& context) { return context.ProjectFilePath("bin/bank.bin"); }

void WriteBankImage(const ProjectContext& context, const BankImage& image) {
    RequireProjectDirectory(context);
    WriteFileReplacing(BankImagePath(context), BankImageBytes(image));
}

}  // namespace kestrova
