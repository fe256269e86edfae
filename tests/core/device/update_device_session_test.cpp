#include "core/device/update_device_session.h"

#include <gtest/gtest.h>

#include "core/device/fake_comm_device.h"

namespace kestrova {
namespace {

using testing::FakeComm;

TEST(UpdateDeviceSession, ConnectOpensTheItemsDeviceAndRaisesDtr) {
    FakeComm comm;
    UpdateDeviceSession session(comm);
    EXPECT_EQ(session.Connect("ttyUSB0"), std::nullopt);
    EXPECT_TRUE(session.Connected());
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(comm.DeviceName(), "/dev/ttyUSB0");
    EXPECT_EQ(comm.line->escapes, std::vector<EscapeCode>{EscapeCode::SETDTR});
}

TEST(UpdateDeviceSession, ConnectTwiceReopensAndCanSwitchPorts) {
    FakeComm comm;
    UpdateDeviceSession session(comm);
    ASSERT_EQ(session.Connect("ttyS0"), std::nullopt);
    EXPECT_EQ(session.Connect("ttyS0"), std::nullopt);
    EXPECT_EQ(comm.opens, 2);
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(comm.line->devices, 1);  // the first device was closed before the second open
    EXPECT_EQ(session.Connect("ttyS1"), std::nullopt);
    EXPECT_EQ(comm.DeviceName(), "/dev/ttyS1");
    EXPECT_TRUE(session.Connected());
}

TEST(UpdateDeviceSession, FailedConnectClearsTheFlag) {
    FakeComm comm;
    UpdateDeviceSession session(comm);
    ASSERT_EQ(session.Connect("ttyS0"), std::nullopt);
    comm.failOpenWith = EBUSY;
    EXPECT_EQ(session.Connect("ttyS1"), std::optional<std::string>("Error!! Com Port cannot be open."));
    EXPECT_FALSE(session.Connected());
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(session.Next(), std::optional<std::string>("Select one port."));
}

TEST(UpdateDeviceSession, DtrRefusedLeavesThePortOpenUntilNext) {
    FakeComm comm;
    comm.line->escapeError = ENOTTY;
    UpdateDeviceSession session(comm);
    EXPECT_EQ(session.Connect("pts/4"), std::optional<std::string>("Error!! Com Port cannot be open."));
    EXPECT_FALSE(session.Connected());
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(session.Next(), std::optional<std::string>("Select one port."));
    session.ClosePort();
    EXPECT_FALSE(comm.IsOpen());
}

TEST(UpdateDeviceSession, NoPortInTheList) {
    FakeComm comm;
    UpdateDeviceSession session(comm);
    EXPECT_EQ(session.Connect(""), std::optional<std::string>("Error!! Com Port cannot be open."));
    EXPECT_EQ(comm.opens, 0);
}

TEST(UpdateDeviceSession, NextBeforeConnectThenAfter) {
    FakeComm comm;
    UpdateDeviceSession session(comm);
    EXPECT_EQ(session.Next(), std::optional<std::string>("Select one port."));
    ASSERT_EQ(session.Connect("ttyS0"), std::nullopt);
    EXPECT_EQ(session.Next(), std::nullopt);
    EXPECT_FALSE(comm.IsOpen());  // closed so that the updater can take it
    session.Reset();
    EXPECT_FALSE(session.Connected());
}

}  // namespace
}  // namespace kestrova
