#include "core/device/comm_control_block.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>

namespace kestrova {
namespace {

using namespace comm_flags;

// A terminal as a fresh port shows it: line editing, echo, signals and output processing on.
termios CookedTerminal() {
    termios settings{};
    settings.c_iflag = ICRNL | IXON | IXOFF | INPCK;
    settings.c_oflag = OPOST | ONLCR;
    settings.c_cflag = CS8 | CREAD | CRTSCTS | PARENB;
    settings.c_lflag = ISIG | ICANON | ECHO | IEXTEN;
    cfsetispeed(&settings, B38400);
    cfsetospeed(&settings, B38400);
    return settings;
}

CommControlBlock Shape(std::uint8_t byteSize, std::uint8_t parity, std::uint8_t stopBits) {
    CommControlBlock block;
    block.byteSize = byteSize;
    block.parity = parity;
    block.stopBits = stopBits;
    return block;
}

TEST(ControlBlockToTermios, LineShapeOfEveryCodeAndCodesTheLineCannotTake) {
    const struct {
        CommControlBlock block;
        tcflag_t size, parityFlags, stop;
    } cases[] = {
        {Shape(8, kNoParity, kOneStopBit), CS8, 0, 0},
        {Shape(7, kEvenParity, kTwoStopBits), CS7, PARENB, CSTOPB},
        {Shape(6, kOddParity, kOneStopBit), CS6, PARENB | PARODD, 0},
        {Shape(5, kMarkParity, kOne5StopBits), CS5, PARENB | PARODD | CMSPAR, CSTOPB},
        {Shape(8, kSpaceParity, kOneStopBit), CS8, PARENB | CMSPAR, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.block.byteSize) * 100 + c.block.parity * 10 + c.block.stopBits);
        termios settings = CookedTerminal();
        ASSERT_EQ(ControlBlockToTermios(c.block, settings), 0);
        EXPECT_EQ(settings.c_cflag & CSIZE, c.size);
        EXPECT_EQ(settings.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags);
        EXPECT_EQ(settings.c_cflag & CSTOPB, c.stop);
        EXPECT_TRUE(settings.c_cflag & CREAD);
        EXPECT_TRUE(settings.c_cflag & CLOCAL);
    }
    for (const auto& refused : {Shape(4, kNoParity, kOneStopBit), Shape(8, 5, kOneStopBit), Shape(8, kNoParity, 3)}) {
        termios settings = CookedTerminal();
        EXPECT_EQ(ControlBlockToTermios(refused, settings), EINVAL);
        EXPECT_EQ(settings.c_cflag, CookedTerminal().c_cflag);  // a refused block changes nothing
        EXPECT_EQ(settings.c_lflag, CookedTerminal().c_lflag);
    }
}

TEST(ControlBlockToTermios, BinaryLineAndFlowControlFromTheFlags) {
    CommControlBlock block;
    termios settings = CookedTerminal();
    ASSERT_EQ(ControlBlockToTermios(block, settings), 0);
    EXPECT_FALSE(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(settings.c_oflag & OPOST);
    EXPECT_FALSE(settings.c_iflag & (ICRNL | IXON | IXOFF | INPCK));
    EXPECT_FALSE(settings.c_cflag & CRTSCTS);

    block.flags = fBinary | fRtsControlHandshake;  // an RTS handshake alone also means hardware flow
    block.xonChar = 1;
    block.xoffChar = 2;
    ASSERT_EQ(ControlBlockToTermios(block, settings), 0);
    EXPECT_TRUE(settings.c_cflag & CRTSCTS);
    EXPECT_EQ(settings.c_cc[VSTART], 1);
    EXPECT_EQ(settings.c_cc[VSTOP], 2);
}

TEST(ControlBlockFromTermios, DriverFlagsReadBackAndTheRestKept) {
    CommControlBlock kept;
    kept.flags = fBinary | fDtrControlEnable | fRtsControlEnable | fDsrSensitivity | fNull | fOutX;
    kept.xonLim = 77;
    kept.evtChar = 9;
    kept.baudRate = 14400;

    termios settings = CookedTerminal();  // CRTSCTS, IXON, IXOFF, INPCK, even parity, 38400
    CommControlBlock block = ControlBlockFromTermios(settings, kept);
    EXPECT_EQ(block.flags, fBinary | fDtrControlEnable | fDsrSensitivity | fNull | fParity | fOutxCtsFlow |
                               fRtsControlHandshake | fOutX | fInX);
    EXPECT_EQ(block.baudRate, 38400u);
    EXPECT_EQ(block.parity, kEvenParity);
    EXPECT_EQ(block.byteSize, 8);
    EXPECT_EQ(block.xonLim, 77);
    EXPECT_EQ(block.evtChar, 9);

    settings.c_iflag = 0;  // no flow control held by the driver
    settings.c_cflag = CS7 | CREAD | CSTOPB;
    cfsetospeed(&settings, B0 | 0010000);  // a speed without a constant: the one last set stays
    block = ControlBlockFromTermios(settings, kept);
    EXPECT_EQ(block.flags, fBinary | fDtrControlEnable | fRtsControlEnable | fDsrSensitivity | fNull);
    EXPECT_EQ(block.byteSize, 7);
    EXPECT_EQ(block.parity, kNoParity);
    EXPECT_EQ(block.stopBits, kTwoStopBits);
    EXPECT_EQ(block.baudRate, 14400u);
}

}  // namespace
}  // namespace kestrova
