#include "core/device/termios_device.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <future>

namespace kestrova {
namespace {

class PtyPair {
public:
    PtyPair() {
        char name[256] = {};
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) return;
        path = name;
        termios settings{};
        ::tcgetattr(slave, &settings);
        ::cfmakeraw(&settings);  // as the component leaves the line after its open
        ::tcsetattr(slave, TCSANOW, &settings);
    }
    ~PtyPair() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
    int master = -1, slave = -1;
    std::string path;
};

TEST(TermiosDevice, WaitsForArrivingBytesAgainWhileEarlierOnesStayUnread) {
    PtyPair pty;
    auto device = OpenTermiosDevice(pty.path);
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
    PtyPair pty;
    auto device = OpenTermiosDevice(pty.path);
    device->SetMask(EV_RXCHAR);
    ::close(pty.master);  // the other end goes away
    pty.master = -1;
    auto wait = std::async(std::launch::async, [&] { return device->WaitEvent(); });
    device->CancelWait();
    EXPECT_EQ(wait.get(), std::nullopt);
}

TEST(TermiosDevice, OnlyOneHolderAtATime) {
    PtyPair pty;
    auto first = OpenTermiosDevice(pty.path);
    EXPECT_THROW(OpenTermiosDevice(pty.path), ECommError);
    first.reset();
    EXPECT_NO_THROW(OpenTermiosDevice(pty.path));
}

TEST(TermiosDevice, SpeedWithoutAConstantReachesTheDriver) {
    PtyPair pty;
    ASSERT_EQ(SetCustomSpeed(pty.slave, 56000), 0);
    termios settings{};
    ASSERT_EQ(::tcgetattr(pty.slave, &settings), 0);
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(0010000));  // "other speed", held by the driver
    EXPECT_NE(SetCustomSpeed(-1, 56000), 0);
}

}  // namespace
}  // namespace kestrova
