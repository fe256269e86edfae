#include "core/readback/j1939_lint.h"

#include <map>
#include <tuple>

#include "core/readback/image_description.h"
#include "core/outputs/module_layout.h"
#include "core/project/integer_text.h"
#include "core/project/xml_document.h"

namespace kestrova {
namespace {

constexpr int32_t kMaxPgn = 0xFFFF;
constexpr int32_t kNullAddress = 254;
constexpr int32_t kGlobalAddress = 255;
constexpr int32_t kSingleFrameBytes = 8;

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::optional<int32_t> Integer(const XmlRow& row, const char* name) {
    const auto* text = row.Find(name);
    return text ? TryIntegerText(*text) : std::nullopt;
}

std::string Described(const FrameIdentity& frame) {
    return "data page " + std::to_string(*frame.dataPage) + ", PGN " +
           PgnText(static_cast<uint16_t>(*frame.pgn & kMaxPgn)) + ", source address " +
           (frame.sourceAddress ? std::to_string(*frame.sourceAddress) : std::string("empty"));
}

// The list's rows with their identities, and a place for each row's warnings.
struct FrameList {
    std::string document;
    std::vector<FrameIdentity> identities;
    std::vector<std::vector<std::string>> reasons;  // per row, in the order found

    void Add(size_t row, std::optional<std::string> reason) {
        if (reason) reasons[row].push_back(std::move(*reason));
    }
    void AddRepeats() {
        for (const auto& [row, first] : RepeatedIdentities(identities))
            reasons[row].push_back("the same data page, PGN and source address as row " + std::to_string(first + 1) +
                                   " (" + Described(identities[row]) + ")");
    }
    void AppendTo(std::vector<LintWarning>& out) const {
        for (size_t row = 0; row < reasons.size(); ++row)
            for (const auto& reason : reasons[row]) out.push_back({document, static_cast<int>(row + 1), reason});
    }
};

FrameList ReadFrameList(const std::string& path, const std::optional<RowListDocument>& document) {
    FrameList list;
    list.document = FileName(path);
    if (!document) return list;
    for (const auto& row : document->rows)
        list.identities.push_back({Integer(row, "DataPage"), Integer(row, "PGN"), Integer(row, "SA")});
    list.reasons.resize(document->rows.size());
    return list;
}

}  // namespace

std::string LintWarning::Text() const {
    return document + (row > 0 ? " row " + std::to_string(row) : std::string()) + ": " + reason;
}

std::optional<std::string> ReceiveFromReservedAddress(int32_t sourceAddress) {
    if (sourceAddress == kNullAddress)
        return std::string("source address 254 is the null address, which no node sends its data from");
    if (sourceAddress == kGlobalAddress)
        return std::string("source address 255 is the global (destination) address, which no node sends from");
    return std::nullopt;
}

std::optional<std::string> ShortTransportFrame(int32_t startByte, int32_t byteCount) {
    const int64_t first = startByte < 1 ? 1 : startByte;
    const int64_t last = first + int64_t{byteCount} - 1;
    if (last > kSingleFrameBytes) return std::nullopt;
    const std::string taken =
        byteCount < 1 ? std::string("no byte of its message")
                      : "bytes " + std::to_string(first) + " to " + std::to_string(last) + " of its message";
    return "a transport-protocol frame taking " + taken +
           ": a message of up to 8 bytes travels in a single frame, never with the transport protocol";
}

std::optional<std::string> TimerNotDefined(int32_t transmissionType, size_t timers) {
    if (transmissionType < 1 || static_cast<size_t>(transmissionType) <= timers) return std::nullopt;
    return "sent on timer T" + std::to_string(transmissionType) + ", but TimerDef.xml defines " +
           (timers == 0 ? std::string("no timer") : std::to_string(timers) + (timers == 1 ? " timer" : " timers"));
}

std::vector<std::pair<size_t, size_t>> RepeatedIdentities(const std::vector<FrameIdentity>& frames) {
    std::vector<std::pair<size_t, size_t>> repeats;
    std::map<std::tuple<int32_t, int32_t, std::optional<int32_t>>, size_t> first;
    for (size_t i = 0; i < frames.size(); ++i) {
        const auto& frame = frames[i];
        if (!frame.dataPage || !frame.pgn) continue;  // not a frame the image could hold
        const auto [at, added] = first.emplace(std::make_tuple(*frame.dataPage, *frame.pgn, frame.sourceAddress), i);
        if (!added) repeats.emplace_back(i, at->second);
    }
    return repeats;
}

std::optional<std::string> StaleMapping(size_t mappingRows, size_t frames, const std::string& frameList) {
    if (mappingRows == frames) return std::nullopt;
    return std::to_string(mappingRows) + (mappingRows == 1 ? " row" : " rows") + " for the " + std::to_string(frames) +
           (frames == 1 ? " frame" : " frames") + " of " + frameList +
           ": the byte mapping no longer follows the frame list";
}

std::vector<LintWarning> LintProject(const ProjectContext& context) {
    RequireProjectDirectory(context);
    const auto& documents = context.documents;
    std::vector<LintWarning> warnings;

    const auto receiveDocument = ReadRowList(documents.receiveFrame);
    FrameList receive = ReadFrameList(documents.receiveFrame, receiveDocument);
    for (size_t i = 0; i < receive.identities.size(); ++i) {
        const auto& row = receiveDocument->rows[i];
        const auto& frame = receive.identities[i];
        if (frame.sourceAddress) receive.Add(i, ReceiveFromReservedAddress(*frame.sourceAddress));
        if (const auto* tp = row.Find("TP"); tp && FlagSet(*tp))
            receive.Add(i, ShortTransportFrame(Integer(row, "TP_Start").value_or(0), TransportByteCount(row)));
    }
    receive.AddRepeats();
    receive.AppendTo(warnings);

    const auto timers = ReadValueList(documents.timerDef);
    const size_t timerCount = timers ? timers->size() : 0;
    const auto sendDocument = ReadRowList(documents.sendFrame);
    FrameList send = ReadFrameList(documents.sendFrame, sendDocument);
    for (size_t i = 0; i < send.identities.size(); ++i) {
        // The image holds the low byte of TT; a missing or unreadable TT sends on data change.
        const int32_t type = Integer(sendDocument->rows[i], "TT").value_or(0) & 0xFF;
        send.Add(i, TimerNotDefined(type, timerCount));
    }
    send.AddRepeats();
    send.AppendTo(warnings);

    const std::pair<const std::string*, const FrameList*> mappings[] = {
        {&documents.receiveInfo, &receive},
        {&documents.sendInfo, &send},
    };
    for (const auto& [path, list] : mappings)
        if (const auto mapping = ReadRowList(*path))
            if (auto reason = StaleMapping(mapping->rows.size(), list->identities.size(), list->document))
                warnings.push_back({FileName(*path), 0, std::move(*reason)});
    return warnings;
}

}  // namespace kestrova
