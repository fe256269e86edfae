#include "core/device/update_device_session.h"

#include <gtest/gtest.h>

#include "core/device/fake_comm_device.h"

namespace kestrova {
namespace {

using testing::FakeComm;

const std::optional<std::string> kCannotOpen("Error!! Com Port cannot be open.");
const std::optional<std::string> kSelectOne("Select one port.");

// Next before Connect and Connect twice on one port are shown through the window's tests.
TEST(UpdateDeviceSession, SwitchingPortsClosesTheFirstThenNextClosesTheSecond) {
    FakeComm comm;
    UpdateDeviceSession session(comm);
    EXPECT_EQ(session.Connect(""), kCannotOpen);  // no port in the list
    EXPECT_EQ(comm.opens, 0);
    EXPECT_EQ(session.Connect("ttyS0"), std::nullopt);
    EXPECT_EQ(session.Connect("ttyUSB1"), std::nullopt);
    EXPECT_EQ(comm.line->devices, 1);  // the first device was closed before the second open
    EXPECT_EQ(comm.DeviceName(), "/dev/ttyUSB1");
    EXPECT_EQ(comm.line->escapes, std::vector<EscapeCode>(2, EscapeCode::SETDTR));
    EXPECT_EQ(session.Next(), std::nullopt);
    EXPECT_FALSE(comm.IsOpen());  // closed so that the updater can take it
    session.Reset();
    EXPECT_FALSE(session.Connected());
}

TEST(UpdateDeviceSession, FailedOpenClearsTheFlag) {
    FakeComm comm;
    UpdateDeviceSession session(comm);
    ASSERT_EQ(session.Connect("ttyS0"), std::nullopt);
    comm.failOpenWith = EBUSY;
    EXPECT_EQ(session.Connect("ttyS1"), kCannotOpen);
    EXPECT_FALSE(session.Connected());
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(session.Next(), kSelectOne);
}

TEST(UpdateDeviceSession, DtrRefusedLeavesThePortOpenUntilClosed) {
    FakeComm comm;
    comm.line->escapeError = ENOTTY;
    UpdateDeviceSession session(comm);
    EXPECT_EQ(session.Connect("pts/4"), kCannotOpen);
    EXPECT_FALSE(session.Connected());
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(session.Next(), kSelectOne);
    session.ClosePort();
    EXPECT_FALSE(comm.IsOpen());
}

}  // namespace
}  // namespace kestrova
