#include "core/device/comm_control_block.h"

#include <termios.h>

#include <cerrno>

namespace kestrova {

namespace {

struct SpeedPair {
    std::uint32_t rate;
    speed_t constant;
};

constexpr SpeedPair kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

}  // namespace

bool CommControlBlock::operator==(const CommControlBlock& o) const {
    return baudRate == o.baudRate && flags == o.flags && xonLim == o.xonLim && xoffLim == o.xoffLim &&
           byteSize == o.byteSize && parity == o.parity && stopBits == o.stopBits && xonChar == o.xonChar &&
           xoffChar == o.xoffChar && errorChar == o.errorChar && eofChar == o.eofChar && evtChar == o.evtChar;
}

unsigned SpeedConstant(std::uint32_t baudRate) {
    for (const auto& pair : kSpeeds)
        if (pair.rate == baudRate) return pair.constant;
    return 0;
}

bool HasStandardSpeed(std::uint32_t baudRate) { return SpeedConstant(baudRate) != 0; }

std::uint32_t SpeedOfConstant(unsigned constant) {
    for (const auto& pair : kSpeeds)
        if (pair.constant == constant) return pair.rate;
    return 0;
}

int ControlBlockToTermios(const CommControlBlock& block, termios& settings) {
    using namespace comm_flags;
    tcflag_t size = 0;
    switch (block.byteSize) {
        case 5:
            size = CS5;
            break;
        case 6:
            size = CS6;
            break;
        case 7:
            size = CS7;
            break;
        case 8:
            size = CS8;
            break;
        default:
            return EINVAL;
    }
    tcflag_t parity = 0;
    switch (block.parity) {
        case kNoParity:
            break;
        case kOddParity:
            parity = PARENB | PARODD;
            break;
        case kEvenParity:
            parity = PARENB;
            break;
        case kMarkParity:
            parity = PARENB | PARODD | CMSPAR;
            break;
        case kSpaceParity:
            parity = PARENB | CMSPAR;
            break;
        default:
            return EINVAL;
    }
    tcflag_t stop = 0;
    switch (block.stopBits) {
        case kOneStopBit:
            break;
        case kOne5StopBits:  // the line knows one or two; one and a half is sent as two
        case kTwoStopBits:
            stop = CSTOPB;
            break;
        default:
            return EINVAL;
    }

    // A binary line as the port driver gives it: no line editing, echo, signals or translation.
    settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IUCLC |
                                               IXANY | IMAXBEL | IXON | IXOFF | INPCK | IGNPAR);
    settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    settings.c_cflag |= size | parity | stop | CREAD | CLOCAL;

    if (block.flags & fParity) settings.c_iflag |= INPCK;
    const bool rtsHandshake = (block.flags & fRtsControlMask) == fRtsControlHandshake;
    if ((block.flags & fOutxCtsFlow) || rtsHandshake) settings.c_cflag |= CRTSCTS;
    if (block.flags & fOutX) settings.c_iflag |= IXON;
    if (block.flags & fInX) settings.c_iflag |= IXOFF;
    settings.c_cc[VSTART] = static_cast<cc_t>(block.xonChar);
    settings.c_cc[VSTOP] = static_cast<cc_t>(block.xoffChar);

    if (const speed_t speed = SpeedConstant(block.baudRate)) {
        // One line speed: drop an input speed left by an earlier rate without a constant.
        settings.c_cflag &= ~static_cast<tcflag_t>(CIBAUD);
        cfsetispeed(&settings, speed);
        cfsetospeed(&settings, speed);
    }
    return 0;
}

CommControlBlock ControlBlockFromTermios(const termios& settings, const CommControlBlock& kept) {
    using namespace comm_flags;
    CommControlBlock block = kept;
    const speed_t speed = cfgetospeed(&settings);
    if (const std::uint32_t rate = SpeedOfConstant(speed)) block.baudRate = rate;

    switch (settings.c_cflag & CSIZE) {
        case CS5:
            block.byteSize = 5;
            break;
        case CS6:
            block.byteSize = 6;
            break;
        case CS7:
            block.byteSize = 7;
            break;
        default:
            block.byteSize = 8;
            break;
    }
    if (!(settings.c_cflag & PARENB))
        block.parity = kNoParity;
    else if (settings.c_cflag & CMSPAR)
        block.parity = (settings.c_cflag & PARODD) ? kMarkParity : kSpaceParity;
    else
        block.parity = (settings.c_cflag & PARODD) ? kOddParity : kEvenParity;
    if (!(settings.c_cflag & CSTOPB))
        block.stopBits = kOneStopBit;
    else if (kept.stopBits != kOneStopBit)
        block.stopBits = kept.stopBits;  // one and a half or two, as last set
    else
        block.stopBits = kTwoStopBits;

    std::uint32_t flags = (kept.flags & ~kTermiosHeldFlags) | fBinary;
    if (settings.c_iflag & INPCK) flags |= fParity;
    if (settings.c_cflag & CRTSCTS) {
        flags |= fOutxCtsFlow | fRtsControlHandshake;
    } else {
        // RTS stays as the control block last set it, when that was not a handshake.
        const std::uint32_t rts = kept.flags & fRtsControlMask;
        flags |= rts == fRtsControlHandshake ? fRtsControlEnable : rts;
    }
    if (settings.c_iflag & IXON) flags |= fOutX;
    if (settings.c_iflag & IXOFF) flags |= fInX;
    block.flags = flags;
    block.xonChar = static_cast<char>(settings.c_cc[VSTART]);
    block.xoffChar = static_cast<char>(settings.c_cc[VSTOP]);
    return block;
}

}  // namespace kestrova
