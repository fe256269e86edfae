#include "core/outputs/bank_image.h"

#include "core/outputs/module_layout.h"
#include "core/project/error.h"
#include "core/project/file_system.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

// A value every row or record must have, as an integer.
int32_t Required(const XmlRow& row, const char* name) { return IntegerText(row.Required(name)); }
int32_t Required(const ValueRecord& record, const char* name) { return IntegerText(record.Required(name)); }

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
ReceiveFrameRecord ReadReceiveFrame(const XmlRow& row, uint8_t dataOffset) {
    ReceiveFrameRecord record;
    record.dataPage = Byte(Required(row, "DataPage"));
    record.pgn = Word(Required(row, "PGN"));
    record.sourceAddress = Byte(Required(row, "SA"));
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

SendFrameRecord ReadSendFrame(const XmlRow& row) {
    SendFrameRecord record;
    record.priority = Byte(Required(row, "Priority"));
    record.dataPage = Byte(Required(row, "DataPage"));
    record.pgn = Word(Required(row, "PGN"));
    record.sourceAddress = Byte(Required(row, "SA"));
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
        for (const auto& row : receive->rows) {
            image.receiveFrames.push_back(ReadReceiveFrame(row, dataOffset));
            dataOffset = static_cast<uint8_t>(dataOffset + image.receiveFrames.back().dataLength);
        }
    }

    if (const auto send = ReadRowList(documents.sendFrame)) {
        if (ImageSize(image.receiveFrames.size(), send->rows.size(), false, 0) > kBankImageCapacity)
            throw tooLarge();
        image.sendFrames.reserve(send->rows.size());
        for (const auto& row : send->rows) image.sendFrames.push_back(ReadSendFrame(row));
    }

    const auto timerTexts = ReadValueList(documents.timerDef);
    const size_t timerCount = timerTexts ? timerTexts->size() : 0;

    if (const auto pargen = ReadValueRecord(documents.pargen)) {
        ParameterBlock block;
        block.canBaud = Byte(Required(*pargen, "Can_Baud"));
        block.canType = Byte(Required(*pargen, "Can_Type"));
        block.canSendData = Byte(Required(*pargen, "Can_Send_Data"));
        block.canDelaySend = Word(Required(*pargen, "Can_Delay_Send"));
        block.canTimeOut = Byte(Required(*pargen, "Can_TimeOut"));
        block.canPeer = Byte(Required(*pargen, "Can_Peer"));
        block.profiId = Byte(Required(*pargen, "Profi_ID"));
        block.profiBaud = Byte(Required(*pargen, "Profi_Baud"));
        block.inputDataLength = ReceiveDataLength(image);
        block.outputDataLength = SendDataLength(image);
        block.profiModule = Byte(Required(*pargen, "Profi_Module"));
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
        for (const auto& text : *timerTexts) image.timers.push_back(IntegerText(text));
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

std::string BankImagePath(const ProjectContext& context) { return context.projectDirectory + "/bin/bank.bin"; }

void WriteBankImage(const ProjectContext& context, const BankImage& image) {
    RequireProjectDirectory(context);
    WriteFileReplacing(BankImagePath(context), BankImageBytes(image));
}

}  // namespace kestrova
