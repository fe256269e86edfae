#include "core/device/termios_device.h"

#include <gtest/gtest.h>
#include <sys/ioctl.h>

#include <future>
#include <tuple>

#include "core/device/fake_comm_device.h"

namespace kestrova {
namespace {

using testing::Pty;

TEST(TermiosDevice, WaitsForArrivingBytesAgainWhileEarlierOnesStayUnread) {
    Pty pty;
    pty.Change([](termios& t) { ::cfmakeraw(&t); });  // as the component leaves the line after its open
    auto device = OpenTermiosDevice(pty.name);
    device->SetMask(EV_RXCHAR | EV_CTS);
    ASSERT_EQ(::write(pty.master, "a", 1), 1);
    EXPECT_EQ(device->WaitEvent(), std::optional<std::uint32_t>(EV_RXCHAR));
    ASSERT_EQ(::write(pty.master, "b", 1), 1);  // "a" is still unread
    EXPECT_EQ(device->WaitEvent(), std::optional<std::uint32_t>(EV_RXCHAR));
    EXPECT_EQ(device->ClearError().inQueue, 2u);

    // Nothing new arrives: the wait lasts until it is cancelled from another thread.
    auto wait = std::async(std::launch::async, [&] { return device->WaitEvent(); });
    device->CancelWait();
    EXPECT_EQ(wait.get(), std::nullopt);
    EXPECT_EQ(device->WaitEvent(), std::nullopt);  // and every later wait ends at once
}

TEST(TermiosDevice, AHungUpLineIsWaitedOnNoMoreButCancelStillEndsTheWait) {
    Pty pty;
    auto device = OpenTermiosDevice(pty.name);
    device->SetMask(EV_RXCHAR);
    ::close(pty.master);  // the other end goes away
    pty.master = -1;
    auto wait = std::async(std::launch::async, [&] { return device->WaitEvent(); });
    device->CancelWait();
    EXPECT_EQ(wait.get(), std::nullopt);
}

TEST(TermiosDevice, SpeedWithoutAConstantReachesTheDriver) {
    Pty pty;
    ASSERT_EQ(SetCustomSpeed(pty.slave, 56000), 0);
    EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(pty.Settings())),
              static_cast<speed_t>(0010000));  // "other speed"
    EXPECT_NE(SetCustomSpeed(-1, 56000), 0);
}

TEST(TermiosDevice, CloseRestoresTheLineAsItWasFound) {
    Pty pty;
    const termios before = pty.Settings();
    auto device = OpenTermiosDevice(pty.name);
    CommControlBlock block;
    ASSERT_EQ(device->GetState(block), 0);
    block.baudRate = 56000;  // no termios constant
    block.byteSize = 7;
    ASSERT_EQ(device->SetState(block), 0);
    device.reset();
    const termios after = pty.Settings();
    EXPECT_EQ(std::tie(after.c_iflag, after.c_oflag, after.c_cflag, after.c_lflag),
              std::tie(before.c_iflag, before.c_oflag, before.c_cflag, before.c_lflag));
}

TEST(TermiosDevice, ALineAnotherProgramHoldsExclusivelyIsRefusedEvenToRoot) {
    Pty pty;
    ASSERT_EQ(::ioctl(pty.slave, TIOCEXCL), 0);
    EXPECT_THROW(OpenTermiosDevice(pty.name), ECommError);
    ASSERT_EQ(::ioctl(pty.slave, TIOCNXCL), 0);
    EXPECT_NO_THROW(OpenTermiosDevice(pty.name));
}

}  // namespace
}  // namespace kestrova
