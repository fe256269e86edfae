#pragma once

#include <cstdint>

struct termios;

namespace kestrova {

// The line settings of a serial port in the driver's own terms: the same fields and flag values as
// the Windows device control block, so the flow-control and option rules of the serial component
// read exactly as they are stated. ControlBlockToTermios is the one place they meet termios.
namespace comm_flags {
inline constexpr std::uint32_t fBinary = 0x1;
inline constexpr std::uint32_t fParity = 0x2;
inline constexpr std::uint32_t fOutxCtsFlow = 0x4;
inline constexpr std::uint32_t fOutxDsrFlow = 0x8;
inline constexpr std::uint32_t fDtrControlEnable = 0x10;
inline constexpr std::uint32_t fDtrControlHandshake = 0x20;
inline constexpr std::uint32_t fDtrControlMask = 0x30;
inline constexpr std::uint32_t fDsrSensitivity = 0x40;
inline constexpr std::uint32_t fTXContinueOnXoff = 0x80;
inline constexpr std::uint32_t fOutX = 0x100;
inline constexpr std::uint32_t fInX = 0x200;
inline constexpr std::uint32_t fErrorChar = 0x400;
inline constexpr std::uint32_t fNull = 0x800;
inline constexpr std::uint32_t fRtsControlEnable = 0x1000;
inline constexpr std::uint32_t fRtsControlHandshake = 0x2000;
inline constexpr std::uint32_t fRtsControlMask = 0x3000;
inline constexpr std::uint32_t fAbortOnError = 0x4000;
}  // namespace comm_flags

// Parity and stop-bit codes of the control block.
inline constexpr std::uint8_t kNoParity = 0, kOddParity = 1, kEvenParity = 2, kMarkParity = 3, kSpaceParity = 4;
inline constexpr std::uint8_t kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2;

struct CommControlBlock {
    std::uint32_t baudRate = 9600;
    std::uint32_t flags = comm_flags::fBinary;
    std::uint16_t xonLim = 0;
    std::uint16_t xoffLim = 0;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = kNoParity;
    std::uint8_t stopBits = kOneStopBit;
    char xonChar = 17;
    char xoffChar = 19;
    char errorChar = 0;
    char eofChar = 0;
    char evtChar = 0;

    bool operator==(const CommControlBlock& other) const;
    bool operator!=(const CommControlBlock& other) const { return !(*this == other); }
};

// The flags the terminal driver itself holds; the others (DSR handshake and sensitivity, DTR
// control, continue-on-XOFF, error and null handling, abort on error) have no termios switch and
// are kept by the device beside the terminal settings.
inline constexpr std::uint32_t kTermiosHeldFlags =
    comm_flags::fParity | comm_flags::fOutxCtsFlow | comm_flags::fRtsControlMask | comm_flags::fOutX | comm_flags::fInX;

// Writes the control block into `settings` (read from the driver first): a raw binary line, the
// byte size, parity, stop bits, flow control and the XON/XOFF characters. The speed is set when
// termios has a constant for it (see HasStandardSpeed); other speeds are set by the device.
// Returns 0, or EINVAL for a byte size, parity or stop-bit code the line cannot take.
int ControlBlockToTermios(const CommControlBlock& block, termios& settings);

// The control block as the driver holds it: the termios-held fields from `settings`, the rest
// (flags without a termios switch, limits, the other characters) from `kept`.
CommControlBlock ControlBlockFromTermios(const termios& settings, const CommControlBlock& kept);

// Whether termios has a speed constant for this rate; SpeedConstant gives it (0 when none).
bool HasStandardSpeed(std::uint32_t baudRate);
unsigned SpeedConstant(std::uint32_t baudRate);
// The rate of a termios speed constant, 0 for an unknown one.
std::uint32_t SpeedOfConstant(unsigned constant);

}  // namespace kestrova
