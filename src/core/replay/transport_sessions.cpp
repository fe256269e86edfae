#include "core/replay/transport_sessions.h"

#include <algorithm>
#include <cstring>

namespace kestrova {
namespace {

constexpr size_t kPacketBytes = 7;
constexpr size_t kAddresses = 256;

}  // namespace

TransportSessions::TransportSessions(std::function<bool(uint8_t, uint32_t)> keepsData)
    : keepsData_(std::move(keepsData)) {}

TransportSessions::~TransportSessions() = default;

TransportSessions::Session& TransportSessions::At(uint8_t source, uint8_t destination) {
    if (sessions_.empty()) sessions_.resize(kAddresses * kAddresses);  // at the first transport frame
    auto& slot = sessions_[source * kAddresses + destination];
    if (!slot) slot = std::make_unique<Session>();
    return *slot;
}

void TransportSessions::ExpireIfSilent(Session& session, int64_t clockNs) {
    if (session.state == State::Broadcast && clockNs - session.lastNs > kBroadcastTimeoutNs)
        session.state = State::Idle;
    if (session.state == State::RequestToSend && clockNs - session.lastNs > kRequestToSendTimeoutNs)
        session.state = State::Idle;
}

const TransportMessage* TransportSessions::Complete(Session& session, uint8_t source, uint8_t destination) {
    session.state = State::Done;
    message_ = TransportMessage{};
    message_.source = source;
    message_.destination = destination;
    message_.packedPgn = session.packedPgn;
    message_.hasData = session.keep;
    if (session.keep) {
        message_.data = session.data.data();
        message_.size = std::min<size_t>(session.size, session.packets * kPacketBytes);
    }
    return &message_;
}

// An announcement from the sender: broadcast or request to send.
void TransportSessions::ConnectionManagement(int64_t clockNs, uint8_t source, uint8_t destination,
                                             const uint8_t* data) {
    const uint8_t control = data[0];
    const bool broadcast = control == kControlBroadcast && destination == kGlobalAddress;
    const bool request = control == kControlRequestToSend && destination != kGlobalAddress;
    if (!broadcast && !request) return;
    Session& session = At(source, destination);
    session.state = State::Idle;  // a new announcement ends the session of the pair
    session.packets = data[3];
    if (session.packets == 0) return;
    session.state = broadcast ? State::Broadcast : State::RequestToSend;
    session.size = static_cast<uint16_t>(data[1] | data[2] << 8);
    session.packedPgn = static_cast<uint32_t>(data[5] | data[6] << 8 | data[7] << 16);
    session.next = 1;
    session.allowed = 0;
    session.lastNs = clockNs;
    session.arrived.reset();
    session.keep = keepsData_ && keepsData_(source, session.packedPgn);
    if (session.keep) session.data.assign(session.packets * kPacketBytes, 0);
}

// A frame from the receiver of a request to send (`from` is the session's destination).
const TransportMessage* TransportSessions::ConnectionManagementReply(int64_t clockNs, uint8_t from, uint8_t to,
                                                                     const uint8_t* data) {
    Session& session = At(to, from);
    ExpireIfSilent(session, clockNs);
    if (session.state != State::RequestToSend) return nullptr;
    session.lastNs = clockNs;
    if (data[0] == kControlClearToSend) {
        session.allowed = data[1];  // 0 only holds the connection
        if (data[1] > 0) session.next = data[2];
        return nullptr;
    }
    // end-of-message acknowledgement: a message only when every packet arrived
    for (unsigned packet = 1; packet <= session.packets; ++packet)
        if (!session.arrived.test(packet)) {
            session.state = State::Idle;
            return nullptr;
        }
    return Complete(session, to, from);
}

const TransportMessage* TransportSessions::DataTransfer(int64_t clockNs, uint8_t source, uint8_t destination,
                                                        const uint8_t* data) {
    Session& session = At(source, destination);
    ExpireIfSilent(session, clockNs);
    if (session.state != State::Broadcast && session.state != State::RequestToSend) return nullptr;
    const uint8_t sequence = data[0];
    const bool request = session.state == State::RequestToSend;
    if (sequence != session.next || sequence == 0 || sequence > session.packets || (request && session.allowed == 0)) {
        session.state = State::Idle;  // out of order
        return nullptr;
    }
    if (session.keep) std::memcpy(session.data.data() + (sequence - 1) * kPacketBytes, data + 1, kPacketBytes);
    session.arrived.set(sequence);
    session.lastNs = clockNs;
    ++session.next;
    if (request) {
        --session.allowed;
        return nullptr;
    }
    return sequence == session.packets ? Complete(session, source, destination) : nullptr;
}

const TransportMessage* TransportSessions::Feed(int64_t clockNs, uint32_t identifier, const uint8_t* data,
                                                uint8_t length) {
    const uint8_t format = static_cast<uint8_t>(identifier >> 16);
    if ((format != kConnectionManagementFormat && format != kDataTransferFormat) || length < 8) return nullptr;
    const uint8_t destination = static_cast<uint8_t>(identifier >> 8);
    const uint8_t source = static_cast<uint8_t>(identifier);
    if (format == kDataTransferFormat) return DataTransfer(clockNs, source, destination, data);
    switch (data[0]) {
        case kControlRequestToSend:
        case kControlBroadcast:
            ConnectionManagement(clockNs, source, destination, data);
            return nullptr;
        case kControlClearToSend:
        case kControlEndOfMessageAck:
            return ConnectionManagementReply(clockNs, source, destination, data);
        case kControlAbort:  // from either side of the pair
            if (sessions_.empty()) return nullptr;
            for (Session* session : {sessions_[source * kAddresses + destination].get(),
                                     sessions_[destination * kAddresses + source].get()})
                if (session && session->state != State::Done) session->state = State::Idle;
            return nullptr;
        default:
            return nullptr;
    }
}

}  // namespace kestrova
