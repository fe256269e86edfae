#include "core/readback/image_description.h"

#include <cstdio>

#include "core/editors/communication_settings.h"

namespace kestrova {
namespace {

std::string Number(long long value) { return std::to_string(value); }

// A list index with the entry the window's list shows for it.
std::string Entry(uint8_t index, const std::vector<std::string>& entries) {
    return Number(index) + " (" + (index < entries.size() ? entries[index] : std::string("no entry of the list")) + ")";
}

// The check boxes of pargen.xml are stored as 1 and 0.
std::string CheckBox(uint8_t value) {
    return Number(value) + (value == 1 ? " (checked)" : value == 0 ? " (not checked)" : " (not a check-box value)");
}

// The " Send Data " radio buttons, in the order of `Can_Send_Data`.
const char* const kSendDataTexts[] = {"Send Frame on Data Change", "Send Frame Every ", "Decide For Each Frames"};
constexpr uint8_t kCanType29Bit = 1;  // the only CAN type the window writes

std::string YesNo(bool set) { return set ? "yes" : "no"; }

class JsonObject {
public:
    JsonObject& Add(const std::string& key, long long value) { return Raw(key, Number(value)); }
    JsonObject& Add(const std::string& key, int value) { return Raw(key, Number(value)); }
    JsonObject& Add(const std::string& key, bool value) { return Raw(key, value ? "true" : "false"); }
    JsonObject& Add(const std::string& key, const std::string& value) { return Raw(key, Quoted(value)); }
    JsonObject& Add(const std::string& key, const char* value) { return Add(key, std::string(value)); }
    JsonObject& Raw(const std::string& key, const std::string& json) {
        text_ += (text_.empty() ? "{" : ", ") + Quoted(key) + ": " + json;
        return *this;
    }
    std::string Text() const { return text_.empty() ? "{}" : text_ + "}"; }

    static std::string Quoted(const std::string& text) {
        std::string out = "\"";
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (byte < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
        return out + "\"";
    }

private:
    std::string text_;
};

std::string JsonArray(const std::vector<std::string>& items, const std::string& indent) {
    if (items.empty()) return "[]";
    std::string text = "[\n";
    for (size_t i = 0; i < items.size(); ++i) text += indent + "  " + items[i] + (i + 1 < items.size() ? ",\n" : "\n");
    return text + indent + "]";
}

}  // namespace

std::string PgnText(uint16_t pgn) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(pgn));
    return text;
}

std::string TransmissionText(uint8_t type) {
    if (type == 0) return "on data change";
    if (type <= 10) return "on timer T" + Number(type);
    return "transmission type " + Number(type) + " (no timer of the gateway)";
}

std::vector<ImageField> ReceiveFrameFields(const ReceiveFrameRecord& frame) {
    return {
        {"data page", Number(frame.dataPage)},
        {"PGN", PgnText(frame.pgn)},
        {"source address", Number(frame.sourceAddress)},
        {"transport protocol", YesNo(frame.transportProtocol != 0)},
        {"start byte", Number(frame.startByte)},
        {"length", Number(frame.dataLength)},
        {"data offset", Number(frame.dataOffset)},
        {"Cancel Data", YesNo((frame.flags & 0x01) != 0)},
        {"On Request", YesNo((frame.flags & 0x02) != 0)},
        {"request time", Number(frame.requestTime) + " ms"},
    };
}

std::vector<ImageField> SendFrameFields(const SendFrameRecord& frame) {
    return {
        {"priority", Number(frame.priority)},
        {"data page", Number(frame.dataPage)},
        {"PGN", PgnText(frame.pgn)},
        {"source address", Number(frame.sourceAddress)},
        {"sent", TransmissionText(frame.transmissionType)},
    };
}

std::vector<ImageField> ParameterFields(const ParameterBlock& block) {
    const std::string sendData =
        block.canSendData < 3 ? std::string(kSendDataTexts[block.canSendData]) : std::string("no mode of the window");
    return {
        {"J1939 Baud rate", Entry(block.canBaud, J1939BaudEntries())},
        {"CAN Type", Number(block.canType) +
                         (block.canType == kCanType29Bit ? " (CAN 2.0B 29Bit)" : " (not a CAN type of the window)")},
        {"Send Data", Number(block.canSendData) + " (" + sendData + ")"},
        {"Send Frame Every", Number(block.canDelaySend) + " ms"},
        {"TimeOut Data", Number(block.canTimeOut) + " s"},
        {"Enable Peer to Peer", CheckBox(block.canPeer)},
        {"ID Dev.", Number(block.profiId)},
        {"PROFIBUS Baud rate", Entry(block.profiBaud, ProfibusBaudEntries())},
        {"input data length", Number(block.inputDataLength) + " bytes"},
        {"output data length", Number(block.outputDataLength) + " bytes"},
        {"Module for every J1939 Frame", CheckBox(block.profiModule)},
        {"receive frames", Number(block.receiveFrameCount)},
        {"send frames", Number(block.sendFrameCount)},
        {"Filter FECA", CheckBox(block.filterFeca)},
        {"FECA time-out", Number(block.timeOutFeca) + " ms"},
        {"Send J1939 Frames with PROFIBUS", CheckBox(block.profiSendJ1939)},
        {"timers", Number(block.timerCount)},
    };
}

std::string FieldsText(const std::vector<ImageField>& fields) {
    std::string text;
    for (const auto& field : fields) text += (text.empty() ? "" : ", ") + field.name + " " + field.value;
    return text;
}

std::string BankImageText(const BankImage& image) {
    const size_t sendTable = kBankHeaderBytes + kReceiveRecordBytes * image.receiveFrames.size();
    const size_t parameterBlock = sendTable + kSendRecordBytes * image.sendFrames.size();
    const size_t timerTable = parameterBlock + (image.parameters ? kParameterBlockBytes : 0);

    const size_t size = timerTable + kTimerRecordBytes * image.timers.size();
    std::string text = "Configuration image of " + Number(static_cast<long long>(size)) + " bytes\n";
    text += "  header: receive table at " + Number(kBankHeaderBytes) + ", send table at " + Number(sendTable) +
            ", parameter block at " + Number(parameterBlock) + ", timer table at " + Number(timerTable) + "\n";
    text += "Receive frames: " + Number(static_cast<long long>(image.receiveFrames.size())) + "\n";
    for (size_t i = 0; i < image.receiveFrames.size(); ++i)
        text +=
            "  receive frame " + Number(i + 1) + ": " + FieldsText(ReceiveFrameFields(image.receiveFrames[i])) + "\n";
    text += "Send frames: " + Number(static_cast<long long>(image.sendFrames.size())) + "\n";
    for (size_t i = 0; i < image.sendFrames.size(); ++i)
        text += "  send frame " + Number(i + 1) + ": " + FieldsText(SendFrameFields(image.sendFrames[i])) + "\n";
    if (image.parameters) {
        text += "Parameter block:\n";
        for (const auto& field : ParameterFields(*image.parameters)) {
            std::string line = "  " + field.name;
            line.append(line.size() < 36 ? 36 - line.size() : 1, ' ');
            text += line + field.value + "\n";
        }
    } else {
        text += "Parameter block: none (the project had no pargen.xml)\n";
    }
    text += "Timers: " + Number(static_cast<long long>(image.timers.size())) + "\n";
    for (size_t i = 0; i < image.timers.size(); ++i)
        text += "  T" + Number(i + 1) + " " + Number(image.timers[i]) + " ms\n";
    return text;
}

std::string BankImageJson(const BankImage& image) {
    const size_t sendTable = kBankHeaderBytes + kReceiveRecordBytes * image.receiveFrames.size();
    const size_t parameterBlock = sendTable + kSendRecordBytes * image.sendFrames.size();
    const size_t timerTable = parameterBlock + (image.parameters ? kParameterBlockBytes : 0);
    const size_t size = timerTable + kTimerRecordBytes * image.timers.size();

    std::vector<std::string> receive, send, timers;
    for (const auto& frame : image.receiveFrames)
        receive.push_back(JsonObject()
                              .Add("dataPage", frame.dataPage)
                              .Add("pgn", frame.pgn)
                              .Add("pgnHex", PgnText(frame.pgn))
                              .Add("sourceAddress", frame.sourceAddress)
                              .Add("transportProtocol", frame.transportProtocol != 0)
                              .Add("startByte", frame.startByte)
                              .Add("dataLength", frame.dataLength)
                              .Add("dataOffset", frame.dataOffset)
                              .Add("cancelData", (frame.flags & 0x01) != 0)
                              .Add("onRequest", (frame.flags & 0x02) != 0)
                              .Add("requestTimeMs", frame.requestTime)
                              .Text());
    for (const auto& frame : image.sendFrames)
        send.push_back(JsonObject()
                           .Add("priority", frame.priority)
                           .Add("dataPage", frame.dataPage)
                           .Add("pgn", frame.pgn)
                           .Add("pgnHex", PgnText(frame.pgn))
                           .Add("sourceAddress", frame.sourceAddress)
                           .Add("transmissionType", frame.transmissionType)
                           .Add("transmission", TransmissionText(frame.transmissionType))
                           .Text());
    for (const auto timer : image.timers) timers.push_back(Number(timer));

    std::string parameters = "null";
    if (const auto& block = image.parameters) {
        const auto entry = [](uint8_t index, const std::vector<std::string>& entries) {
            return index < entries.size() ? entries[index] : std::string();
        };
        parameters = JsonObject()
                         .Add("canBaud", block->canBaud)
                         .Add("canBaudText", entry(block->canBaud, J1939BaudEntries()))
                         .Add("canType", block->canType)
                         .Add("canTypeText", block->canType == kCanType29Bit ? "CAN 2.0B 29Bit" : "")
                         .Add("canSendData", block->canSendData)
                         .Add("canSendDataText", block->canSendData < 3 ? kSendDataTexts[block->canSendData] : "")
                         .Add("canDelaySendMs", block->canDelaySend)
                         .Add("canTimeOutS", block->canTimeOut)
                         .Add("canPeer", block->canPeer)
                         .Add("profiId", block->profiId)
                         .Add("profiBaud", block->profiBaud)
                         .Add("profiBaudText", entry(block->profiBaud, ProfibusBaudEntries()))
                         .Add("inputDataLength", block->inputDataLength)
                         .Add("outputDataLength", block->outputDataLength)
                         .Add("profiModule", block->profiModule)
                         .Add("receiveFrameCount", block->receiveFrameCount)
                         .Add("sendFrameCount", block->sendFrameCount)
                         .Add("filterFeca", block->filterFeca)
                         .Add("timeOutFecaMs", block->timeOutFeca)
                         .Add("profiSendJ1939", block->profiSendJ1939)
                         .Add("timerCount", block->timerCount)
                         .Text();
    }
    const std::string header = JsonObject()
                                   .Add("receiveTable", static_cast<long long>(kBankHeaderBytes))
                                   .Add("sendTable", static_cast<long long>(sendTable))
                                   .Add("parameterBlock", static_cast<long long>(parameterBlock))
                                   .Add("timerTable", static_cast<long long>(timerTable))
                                   .Text();
    return "{\n"
           "  \"size\": " +
           Number(static_cast<long long>(size)) +
           ",\n"
           "  \"header\": " +
           header +
           ",\n"
           "  \"receiveFrames\": " +
           JsonArray(receive, "  ") +
           ",\n"
           "  \"sendFrames\": " +
           JsonArray(send, "  ") +
           ",\n"
           "  \"parameters\": " +
           parameters +
           ",\n"
           "  \"timersMs\": " +
           JsonArray(timers, "  ") +
           "\n"
           "}\n";
}

}  // namespace kestrova
