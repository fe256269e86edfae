#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kestrova::testing {

// Writes J1939 traffic as a candump -l log: single frames and transport-protocol frames, each
// 10 ms after the one before unless At() sets the time.
class J1939Trace {
public:
    static uint32_t Id(int dataPage, int format, int specific, int source, int priority = 6) {
        return static_cast<uint32_t>(priority << 26 | dataPage << 24 | format << 16 | specific << 8 | source);
    }
    // A message whose byte k (from 1) is k.
    static std::vector<uint8_t> Counting(size_t size) {
        std::vector<uint8_t> bytes(size);
        for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
        return bytes;
    }

    J1939Trace& At(double seconds) {
        time_ = seconds;
        return *this;
    }
    J1939Trace& Frame(uint32_t identifier, const std::vector<uint8_t>& data) {
        char head[64];
        std::snprintf(head, sizeof head, "(%.6f) can0 %08X#", time_, identifier);
        text += head;
        for (const uint8_t byte : data) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", byte);
            text += hex;
        }
        text += "\n";
        time_ += 0.010;
        return *this;
    }
    J1939Trace& Line(const std::string& line) {
        text += line + "\n";
        return *this;
    }

    // Connection management (PDU format 0xEC) from `from` to `to`.
    J1939Trace& Bam(int source, uint32_t packedPgn, size_t size) {
        return Management(source, 255, {32, Low(size), High(size), Packets(size), 0xFF}, packedPgn);
    }
    J1939Trace& Rts(int source, int destination, uint32_t packedPgn, size_t size) {
        return Management(source, destination, {16, Low(size), High(size), Packets(size), 0xFF}, packedPgn);
    }
    J1939Trace& Cts(int from, int to, int count, int next, uint32_t packedPgn) {
        return Management(from, to, {17, static_cast<uint8_t>(count), static_cast<uint8_t>(next), 0xFF, 0xFF},
                          packedPgn);
    }
    J1939Trace& Ack(int from, int to, uint32_t packedPgn, size_t size) {
        return Management(from, to, {19, Low(size), High(size), Packets(size), 0xFF}, packedPgn);
    }
    J1939Trace& Abort(int from, int to, uint32_t packedPgn) {
        return Management(from, to, {255, 3, 0xFF, 0xFF, 0xFF}, packedPgn);
    }
    // Data transfer (PDU format 0xEB): packet `sequence` of `message`, padded with 0xFF.
    J1939Trace& Dt(int source, int destination, int sequence, const std::vector<uint8_t>& message) {
        std::vector<uint8_t> data{static_cast<uint8_t>(sequence)};
        for (size_t i = 0; i < 7; ++i) {
            const size_t at = static_cast<size_t>(sequence - 1) * 7 + i;
            data.push_back(at < message.size() ? message[at] : 0xFF);
        }
        return Frame(Id(0, 0xEB, destination, source, 7), data);
    }
    // A whole broadcast: announcement and every packet.
    J1939Trace& Broadcast(int source, uint32_t packedPgn, const std::vector<uint8_t>& message) {
        Bam(source, packedPgn, message.size());
        for (int packet = 1; packet <= Packets(message.size()); ++packet) Dt(source, 255, packet, message);
        return *this;
    }
    // A whole request to send: RTS, one CTS for every packet, the packets, the acknowledgement.
    J1939Trace& RequestToSend(int source, int destination, uint32_t packedPgn, const std::vector<uint8_t>& message) {
        Rts(source, destination, packedPgn, message.size());
        Cts(destination, source, Packets(message.size()), 1, packedPgn);
        for (int packet = 1; packet <= Packets(message.size()); ++packet) Dt(source, destination, packet, message);
        return Ack(destination, source, packedPgn, message.size());
    }

    std::string text;

private:
    static uint8_t Low(size_t size) { return static_cast<uint8_t>(size & 0xFF); }
    static uint8_t High(size_t size) { return static_cast<uint8_t>(size >> 8); }
    static uint8_t Packets(size_t size) { return static_cast<uint8_t>((size + 6) / 7); }
    J1939Trace& Management(int from, int to, std::vector<uint8_t> data, uint32_t packedPgn) {
        data.push_back(static_cast<uint8_t>(packedPgn));
        data.push_back(static_cast<uint8_t>(packedPgn >> 8));
        data.push_back(static_cast<uint8_t>(packedPgn >> 16));
        return Frame(Id(0, 0xEC, to, from, 7), data);
    }

    double time_ = 1.0;
};

}  // namespace kestrova::testing
