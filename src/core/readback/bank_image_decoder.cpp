#include "core/readback/bank_image_decoder.h"

#include "core/outputs/module_layout.h"
#include "core/project/error.h"
#include "core/project/file_system.h"

namespace kestrova {
namespace {

// Header words: where each section starts.
constexpr size_t kReceiveTableWord = 0;
constexpr size_t kSendTableWord = 4;
constexpr size_t kParameterBlockWord = 8;
constexpr size_t kTimerTableWord = 12;

// Fields checked inside the records and the parameter block.
constexpr size_t kReceiveTransportAt = 4;
constexpr size_t kReceiveStartByteAt = 5;
constexpr size_t kReceiveLengthAt = 7;
constexpr size_t kReceiveOffsetAt = 8;
constexpr size_t kReceiveFlagsAt = 9;
constexpr uint8_t kReceiveFlagBits = 0x03;  // bit 0 Cancel Data, bit 1 On Request
constexpr size_t kInputLengthAt = 9;
constexpr size_t kOutputLengthAt = 10;
constexpr size_t kReceiveCountAt = 12;
constexpr size_t kSendCountAt = 13;
constexpr size_t kTimerCountAt = 18;

std::string Number(size_t value) { return std::to_string(value); }

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}
    uint8_t U8(size_t at) const { return static_cast<uint8_t>(bytes_[at]); }
    uint16_t U16(size_t at) const { return static_cast<uint16_t>(U8(at) | (U8(at + 1) << 8)); }
    uint32_t U32(size_t at) const {
        return static_cast<uint32_t>(U16(at)) | (static_cast<uint32_t>(U16(at + 2)) << 16);
    }

private:
    std::string_view bytes_;
};

// The decoding, step by step; each step returns the fault it finds.
class Decoder {
public:
    explicit Decoder(std::string_view bytes) : bytes_(bytes), in_(bytes) {}

    BankImageDecoding Run() {
        BankImageDecoding result;
        result.fault = Decode(result.image);
        return result;
    }

private:
    std::string_view bytes_;
    ByteReader in_;
    size_t sendTable_ = 0, parameterBlock_ = 0, timerTable_ = 0;

    static BankImageFault Fault(size_t offset, std::string reason) { return {offset, std::move(reason)}; }

    std::optional<BankImageFault> Decode(BankImage& image) {
        if (auto fault = ReadHeader()) return fault;
        if (auto fault = ReadReceiveFrames(image)) return fault;
        ReadSendFrames(image);
        if (auto fault = ReadParameters(image)) return fault;
        ReadTimers(image);
        return std::nullopt;
    }

    // Checks one section offset of the header: after the section before it, inside the file,
    // and leaving the section before it a whole number of records.
    std::optional<BankImageFault> SectionOffset(size_t word, const char* section, size_t previous,
                                                const char* previousSection, size_t recordBytes, const char* recordName,
                                                size_t& offset) const {
        offset = in_.U32(word);
        if (offset < previous)
            return Fault(word, std::string("the ") + section + " offset " + Number(offset) + " lies before the " +
                                   previousSection + " at " + Number(previous));
        if (offset > bytes_.size())
            return Fault(word, std::string("the ") + section + " offset " + Number(offset) +
                                   " lies past the end of the file (" + Number(bytes_.size()) + " bytes)");
        const size_t length = offset - previous;
        if (length % recordBytes != 0)
            return Fault(word, std::string("the ") + previousSection + " holds " + Number(length) +
                                   " bytes, not a whole number of " + Number(recordBytes) + "-byte " + recordName);
        return std::nullopt;
    }

    std::optional<BankImageFault> ReadHeader() {
        if (bytes_.size() < kBankHeaderBytes)
            return Fault(bytes_.size(), "the file holds " + Number(bytes_.size()) + " bytes, fewer than the " +
                                            Number(kBankHeaderBytes) + " bytes of the header");
        if (bytes_.size() > kBankImageCapacity)
            return Fault(kBankImageCapacity, "the file holds " + Number(bytes_.size()) + " bytes, more than the " +
                                                 Number(kBankImageCapacity) + " bytes of the gateway's bank");
        const uint32_t receiveTable = in_.U32(kReceiveTableWord);
        if (receiveTable != kBankHeaderBytes)
            return Fault(kReceiveTableWord, "the receive table offset is " + Number(receiveTable) + ", not " +
                                                Number(kBankHeaderBytes) + " (the end of the header)");
        if (auto fault = SectionOffset(kSendTableWord, "send table", kBankHeaderBytes, "receive table",
                                       kReceiveRecordBytes, "receive records", sendTable_))
            return fault;
        if (auto fault = SectionOffset(kParameterBlockWord, "parameter block", sendTable_, "send table",
                                       kSendRecordBytes, "send records", parameterBlock_))
            return fault;
        if (auto fault =
                SectionOffset(kTimerTableWord, "timer table", parameterBlock_, "parameter block", 1, "", timerTable_))
            return fault;
        const size_t blockBytes = timerTable_ - parameterBlock_;
        if (blockBytes != 0 && blockBytes != kParameterBlockBytes)
            return Fault(kTimerTableWord, "the parameter block holds " + Number(blockBytes) + " bytes, not " +
                                              Number(kParameterBlockBytes) + " (or none without pargen.xml)");
        const size_t stray = (bytes_.size() - timerTable_) % kTimerRecordBytes;
        if (stray != 0)
            return Fault(bytes_.size() - stray, "the timer table ends in " + Number(stray) +
                                                    (stray == 1 ? " stray byte" : " stray bytes") + ", not a whole " +
                                                    Number(kTimerRecordBytes) + "-byte timer record");
        return std::nullopt;
    }

    std::optional<BankImageFault> ReadReceiveFrames(BankImage& image) {
        uint8_t dataOffset = 0;
        for (size_t at = kBankHeaderBytes; at < sendTable_; at += kReceiveRecordBytes) {
            const std::string frame = "receive frame " + Number(image.receiveFrames.size() + 1) + ": ";
            ReceiveFrameRecord record;
            record.dataPage = in_.U8(at);
            record.pgn = in_.U16(at + 1);
            record.sourceAddress = in_.U8(at + 3);
            record.transportProtocol = in_.U8(at + kReceiveTransportAt);
            record.startByte = in_.U16(at + kReceiveStartByteAt);
            record.dataLength = in_.U8(at + kReceiveLengthAt);
            record.dataOffset = in_.U8(at + kReceiveOffsetAt);
            record.flags = in_.U8(at + kReceiveFlagsAt);
            record.requestTime = static_cast<int32_t>(in_.U32(at + 10));
            if (record.transportProtocol > 1)
                return Fault(at + kReceiveTransportAt, frame + "the transport protocol byte is " +
                                                           Number(record.transportProtocol) + ", not 0 or 1");
            if (record.transportProtocol == 0 && record.startByte != 0)
                return Fault(at + kReceiveStartByteAt, frame + "start byte " + Number(record.startByte) +
                                                           " without transport protocol, where the builder writes 0");
            if (record.transportProtocol == 0 && record.dataLength != kFrameDataBytes)
                return Fault(at + kReceiveLengthAt, frame + "data length " + Number(record.dataLength) +
                                                        " without transport protocol, where the builder writes 8");
            if (record.dataOffset != dataOffset)
                return Fault(at + kReceiveOffsetAt, frame + "data offset " + Number(record.dataOffset) +
                                                        ", but the data lengths before it end at " +
                                                        Number(dataOffset));
            if ((record.flags & ~kReceiveFlagBits) != 0)
                return Fault(at + kReceiveFlagsAt, frame + "flags " + Number(record.flags) +
                                                       " set bits other than Cancel Data (1) and On Request (2)");
            dataOffset = static_cast<uint8_t>(dataOffset + record.dataLength);
            image.receiveFrames.push_back(record);
        }
        return std::nullopt;
    }

    void ReadSendFrames(BankImage& image) {
        for (size_t at = sendTable_; at < parameterBlock_; at += kSendRecordBytes) {
            SendFrameRecord record;
            record.priority = in_.U8(at);
            record.dataPage = in_.U8(at + 1);
            record.pgn = in_.U16(at + 2);
            record.sourceAddress = in_.U8(at + 4);
            record.transmissionType = in_.U8(at + 5);
            image.sendFrames.push_back(record);
        }
    }

    // A count or length of the block that must equal what the sections hold.
    std::optional<BankImageFault> Agrees(size_t field, const char* name, uint8_t stored, size_t expected,
                                         const std::string& because) const {
        if (stored == static_cast<uint8_t>(expected & 0xFFu)) return std::nullopt;
        return Fault(parameterBlock_ + field,
                     std::string("the parameter block's ") + name + " is " + Number(stored) + ", but " + because);
    }

    std::optional<BankImageFault> ReadParameters(BankImage& image) {
        if (timerTable_ == parameterBlock_) return std::nullopt;
        const size_t at = parameterBlock_;
        ParameterBlock block;
        block.canBaud = in_.U8(at);
        block.canType = in_.U8(at + 1);
        block.canSendData = in_.U8(at + 2);
        block.canDelaySend = in_.U16(at + 3);
        block.canTimeOut = in_.U8(at + 5);
        block.canPeer = in_.U8(at + 6);
        block.profiId = in_.U8(at + 7);
        block.profiBaud = in_.U8(at + 8);
        block.inputDataLength = in_.U8(at + kInputLengthAt);
        block.outputDataLength = in_.U8(at + kOutputLengthAt);
        block.profiModule = in_.U8(at + 11);
        block.receiveFrameCount = in_.U8(at + kReceiveCountAt);
        block.sendFrameCount = in_.U8(at + kSendCountAt);
        block.filterFeca = in_.U8(at + 14);
        block.timeOutFeca = in_.U16(at + 15);
        block.profiSendJ1939 = in_.U8(at + 17);
        block.timerCount = in_.U8(at + kTimerCountAt);

        const size_t receiveFrames = image.receiveFrames.size();
        const size_t sendFrames = image.sendFrames.size();
        const size_t timers = (bytes_.size() - timerTable_) / kTimerRecordBytes;
        const uint8_t inputBytes = ReceiveDataLength(image);
        for (auto fault : {
                 Agrees(kInputLengthAt, "input data length", block.inputDataLength, inputBytes,
                        "the receive frames' data end at " + Number(inputBytes)),
                 Agrees(kOutputLengthAt, "output data length", block.outputDataLength, kFrameDataBytes * sendFrames,
                        "the send frames carry " + Number(kFrameDataBytes * sendFrames) + " bytes"),
                 Agrees(kReceiveCountAt, "receive frame count", block.receiveFrameCount, receiveFrames,
                        "the receive table holds " + Number(receiveFrames)),
                 Agrees(kSendCountAt, "send frame count", block.sendFrameCount, sendFrames,
                        "the send table holds " + Number(sendFrames)),
                 Agrees(kTimerCountAt, "timer count", block.timerCount, timers,
                        "the timer table holds " + Number(timers)),
             })
            if (fault) return fault;
        image.parameters = block;
        return std::nullopt;
    }

    void ReadTimers(BankImage& image) {
        for (size_t at = timerTable_; at < bytes_.size(); at += kTimerRecordBytes)
            image.timers.push_back(static_cast<int32_t>(in_.U32(at)));
    }
};

}  // namespace

std::string BankImageFault::Text() const { return "byte " + std::to_string(offset) + ": " + reason; }

BankImageDecoding DecodeBankImage(std::string_view bytes) { return Decoder(bytes).Run(); }

BankImage ReadBankImageFile(const std::string& path) {
    const std::string bytes = ReadWholeFile(path, static_cast<long long>(kBankImageCapacity));
    BankImageDecoding decoding = DecodeBankImage(bytes);
    if (decoding.fault) throw Error(path + ": " + decoding.fault->Text());
    return std::move(decoding.image);
}

}  // namespace kestrova
