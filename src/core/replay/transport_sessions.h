#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kestrova {

// The J1939 transport protocol as a listener on the bus sees it. Connection management frames
// (PDU format 0xEC) open and close sessions, data transfer frames (PDU format 0xEB) carry a
// sequence number and seven bytes. A session is keyed by source and destination address.
//   broadcast (BAM, control byte 32, destination 255): packets 1 to n in order, complete at n
//   request to send (RTS, control byte 16): the destination's clear-to-send frames (17) give
//     the number of packets that may follow and the next packet's number; the message is
//     complete at the end-of-message acknowledgement (19) once every packet 1 to n arrived
// A session ends without a message on a new announcement for the same pair, an abort (255)
// from either side, a packet out of order, or silence: more than 750 ms since its last frame
// for a broadcast, more than 1.25 s since its last frame in either direction for an RTS.

inline constexpr uint8_t kConnectionManagementFormat = 0xEC;
inline constexpr uint8_t kDataTransferFormat = 0xEB;
inline constexpr uint8_t kControlRequestToSend = 16;
inline constexpr uint8_t kControlClearToSend = 17;
inline constexpr uint8_t kControlEndOfMessageAck = 19;
inline constexpr uint8_t kControlBroadcast = 32;
inline constexpr uint8_t kControlAbort = 255;
inline constexpr uint8_t kGlobalAddress = 255;
inline constexpr int64_t kBroadcastTimeoutNs = 750000000;       // T1
inline constexpr int64_t kRequestToSendTimeoutNs = 1250000000;  // T3

// A message the protocol completed.
struct TransportMessage {
    uint8_t source = 0;
    uint8_t destination = 0;
    uint32_t packedPgn = 0;  // bits 0-15 the PGN, bit 16 the data page
    // The bytes the message holds (its announced size; at most 7 per packet), when the
    // sessions were asked to keep them for this source and PGN, else nothing.
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool hasData = false;
};

class TransportSessions {
public:
    // `keepsData(source, packedPgn)`: whether a message's bytes are wanted (only then are
    // they kept, so memory holds only the messages a receive row takes).
    explicit TransportSessions(std::function<bool(uint8_t, uint32_t)> keepsData);
    ~TransportSessions();

    // One frame of PDU format 0xEC or 0xEB (others are ignored) at `clockNs`, a time that never
    // goes backwards. Returns the message this frame completes, valid until the next call.
    const TransportMessage* Feed(int64_t clockNs, uint32_t identifier, const uint8_t* data, uint8_t length);

private:
    enum class State : uint8_t { Idle, Broadcast, RequestToSend, Done };
    struct Session {
        State state = State::Idle;
        bool keep = false;
        uint8_t packets = 0;
        uint8_t next = 1;     // the packet expected next
        uint8_t allowed = 0;  // packets the last clear-to-send still allows
        uint16_t size = 0;
        uint32_t packedPgn = 0;
        int64_t lastNs = 0;
        std::bitset<256> arrived;
        std::vector<uint8_t> data;
    };

    Session& At(uint8_t source, uint8_t destination);
    void ExpireIfSilent(Session& session, int64_t clockNs);
    const TransportMessage* Complete(Session& session, uint8_t source, uint8_t destination);
    void ConnectionManagement(int64_t clockNs, uint8_t source, uint8_t destination, const uint8_t* data);
    const TransportMessage* ConnectionManagementReply(int64_t clockNs, uint8_t from, uint8_t to, const uint8_t* data);
    const TransportMessage* DataTransfer(int64_t clockNs, uint8_t source, uint8_t destination, const uint8_t* data);

    std::function<bool(uint8_t, uint32_t)> keepsData_;
    std::vector<std::unique_ptr<Session>> sessions_;  // none, or 65536 slots: source * 256 + destination
    TransportMessage message_;
};

}  // namespace kestrova
