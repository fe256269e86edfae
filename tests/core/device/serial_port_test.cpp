#include "core/device/serial_port.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "core/device/fake_comm_device.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::FakeComm;
using testing::Pty;
using namespace comm_flags;

const std::string kAlreadyOpen = "Port already assigned (open) (Error: -1) ";

std::string FailureText(const std::function<void()>& action, int* code = nullptr) {
    try {
        action();
    } catch (const ECommError& error) {
        if (code) *code = error.Code();
        return error.what();
    }
    return "";
}

TEST(SerialPortValues, DefaultsNotSeenOnTheLine) {
    TComm comm;
    EXPECT_EQ(comm.DeviceName(), "Com2");
    EXPECT_EQ(comm.ReadTimeout(), 1000u);
    EXPECT_EQ(comm.WriteTimeout(), 1000u);
    EXPECT_EQ(comm.WriteBufSize(), 2048u);
    EXPECT_TRUE(comm.Options().Empty());
    EXPECT_FALSE(comm.IsOpen());
}

class SerialPortOnPty : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(pty.name.empty());
        comm.SetDeviceName(pty.name);
    }
    std::uint32_t Flags() { return comm.ControlBlock().flags; }
    Pty pty;
    TComm comm;
};

TEST_F(SerialPortOnPty, OpenAppliesTheDefaultLineAndLaterChangesAtOnce) {
    comm.Open();
    ASSERT_TRUE(comm.IsOpen());
    termios settings = pty.Settings();
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B9600));
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(settings.c_lflag & (ICANON | ECHO));  // a binary line
    EXPECT_EQ(settings.c_cc[VMIN], 0);                 // reads return at once
    EXPECT_EQ(settings.c_cc[VTIME], 0);
    EXPECT_EQ(comm.ControlBlock().xonLim, 1024);  // a quarter of the read buffer
    EXPECT_EQ(comm.ControlBlock().xoffLim, 1024);

    comm.SetBaudRate(TBaudrate::br14400);  // no termios constant: still applied
    EXPECT_EQ(comm.ControlBlock().baudRate, 14400u);
    comm.SetBaudRate(TBaudrate::br115200);
    comm.SetStopbits(TStopbits::sb20);  // a pseudo-terminal keeps 8 bits without parity only
    comm.EventChars().SetXonChar(0x12);
    settings = pty.Settings();
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B115200));
    EXPECT_EQ(settings.c_cflag & CIBAUD, 0u);  // the input speed is no longer 14400
    EXPECT_TRUE(settings.c_cflag & CSTOPB);
    EXPECT_EQ(settings.c_cc[VSTART], 0x12);

    comm.Close();
    comm.SetReadBufSize(1002);
    comm.Open();
    EXPECT_EQ(comm.ControlBlock().xonLim, 250);
    EXPECT_EQ(comm.ControlBlock().xoffLim, 250);
}

TEST_F(SerialPortOnPty, FlowControlRules) {
    pty.Change([](termios& t) {  // the driver's own flow control, which fcDefault keeps
        t.c_iflag |= IXON | IXOFF;
        t.c_cflag |= CRTSCTS;
    });
    const struct {
        TFlowControl flow;
        std::uint32_t flags;  // set in the control block afterwards
        tcflag_t software;    // IXON and IXOFF on the line
        bool hardware;        // CRTSCTS on the line
    } steps[] = {
        {TFlowControl::fcDefault, fOutX | fInX | fOutxCtsFlow, IXON | IXOFF, true},
        {TFlowControl::fcNone, fBinary, 0, false},
        {TFlowControl::fcSoftware, fOutX | fInX, IXON | IXOFF, false},
        {TFlowControl::fcCTS, fOutxCtsFlow | fRtsControlHandshake | fOutX, IXON | IXOFF, true},  // adds
        {TFlowControl::fcNone, fBinary, 0, false},
        {TFlowControl::fcDTR, fOutxDsrFlow | fDtrControlHandshake, 0, false},  // no termios switch: kept beside
    };
    comm.Open();
    for (const auto& step : steps) {
        SCOPED_TRACE(static_cast<int>(step.flow));
        comm.SetFlowControl(step.flow);
        EXPECT_EQ(Flags() & step.flags, step.flags);
        if (step.flow == TFlowControl::fcNone) {
            EXPECT_EQ(Flags(), fBinary);  // everything else cleared
        }
        EXPECT_EQ(pty.Settings().c_iflag & (IXON | IXOFF), step.software);
        EXPECT_EQ(static_cast<bool>(pty.Settings().c_cflag & CRTSCTS), step.hardware);
    }
}

TEST_F(SerialPortOnPty, OptionsSetAndClearTheirFlags) {
    comm.SetFlowControl(TFlowControl::fcNone);
    comm.SetOptions({TCommOption::coParityCheck, TCommOption::coDsrSensitivity, TCommOption::coIgnoreXOff,
                     TCommOption::coErrorChar, TCommOption::coNullStrip});
    comm.Open();
    EXPECT_EQ(Flags(), fBinary | fParity | fDsrSensitivity | fTXContinueOnXoff | fErrorChar | fNull);
    EXPECT_TRUE(pty.Settings().c_iflag & INPCK);

    comm.SetOptions({TCommOption::coNullStrip});
    EXPECT_EQ(Flags(), fBinary | fNull);
    EXPECT_FALSE(pty.Settings().c_iflag & INPCK);

    // With the driver's flags kept, options still clear what they own.
    comm.SetFlowControl(TFlowControl::fcDefault);
    comm.SetOptions({});
    EXPECT_EQ(Flags() & (fParity | fDsrSensitivity | fTXContinueOnXoff | fErrorChar | fNull), 0u);
}

TEST_F(SerialPortOnPty, OpenTwiceAndSettingsRefusedWhileOpen) {
    comm.Open();
    int code = 0;
    EXPECT_EQ(FailureText([&] { comm.Open(); }, &code), kAlreadyOpen);
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(comm.IsOpen());

    EXPECT_NO_THROW(comm.SetDeviceName(pty.name));  // the same value is accepted
    EXPECT_EQ(FailureText([&] { comm.SetDeviceName("/dev/null"); }), kAlreadyOpen);
    EXPECT_EQ(comm.DeviceName(), pty.name);
    EXPECT_EQ(FailureText([&] { comm.SetReadBufSize(100); }), kAlreadyOpen);
    EXPECT_EQ(FailureText([&] { comm.SetWriteBufSize(100); }), kAlreadyOpen);
    EXPECT_EQ(FailureText([&] { comm.SetMonitorEvents({TCommEventType::evCts}); }), kAlreadyOpen);
    EXPECT_NO_THROW(comm.SetReadBufSize(4096));

    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_NO_THROW(comm.Close());  // closed: nothing happens
    EXPECT_NO_THROW(comm.SetDeviceName("/dev/null"));
}

TEST_F(SerialPortOnPty, HeldExclusivelyAndDtrRefused) {
    EXPECT_EQ(FailureText([&] { comm.SetDTR(true); }), "Port not open, unable to complete operation (Error: -1) ");
    TComm second;
    second.SetDeviceName(pty.name);
    comm.Open();
    int code = 0;
    EXPECT_EQ(FailureText([&] { second.Open(); }, &code).rfind("Error accessing specified device (Error: ", 0), 0u);
    EXPECT_GT(code, 0);
    EXPECT_FALSE(second.IsOpen());

    EXPECT_EQ(FailureText([&] { comm.SetDTR(true); }, &code).rfind("EscapeCommFunction failure (Error: ", 0), 0u);
    EXPECT_EQ(code, ENOTTY);  // a pseudo-terminal has no modem lines
    EXPECT_EQ(FailureText([&] { comm.SetDatabits(TDatabits::da4); }, &code),
              "Error updating DataControlBlock (Error: " + std::to_string(EINVAL) + ") ");
    EXPECT_EQ(code, EINVAL);
    EXPECT_TRUE(comm.IsOpen());
    comm.Close();
    EXPECT_NO_THROW(second.Open());
}

TEST(SerialPortFailures, OpenFailuresNameTheStepAndTheCode) {
    testing::TempDir dir;
    testing::WriteText(dir / "file", "x");
    const struct {
        std::string path, text;
        int code;
        bool leftOpen;  // a descriptor that is no terminal stays open for the caller to close
    } cases[] = {
        {"/dev/no-such-port-here", "Error accessing specified device", ENOENT, false},
        {dir / "file", "Invalid device handle, access denied", -1, false},
        {"/dev/null", "Error updating CommTimeouts", ENOTTY, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        TComm comm;
        comm.SetDeviceName(c.path);
        int code = 0;
        EXPECT_EQ(FailureText([&] { comm.Open(); }, &code), c.text + " (Error: " + std::to_string(c.code) + ") ");
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(comm.IsOpen(), c.leftOpen);
        EXPECT_NO_THROW(comm.Close());
        EXPECT_FALSE(comm.IsOpen());
    }
}

// ---- the watcher and the dispatch --------------------------------------------------------------

class SerialPortWatcher : public ::testing::Test {
protected:
    void SetUp() override {
        auto note = [this](const std::string& name) {
            calls.push_back(name);
            threads.push_back(std::this_thread::get_id());
        };
        comm.OnBreak = [note](TCustomComm&) { note("Break"); };
        comm.OnCts = [note](TCustomComm&) { note("Cts"); };
        comm.OnDsr = [note](TCustomComm&) { note("Dsr"); };
        comm.OnError = [note](TCustomComm&, int errors) { note("Error " + std::to_string(errors)); };
        comm.OnRing = [note](TCustomComm&) { note("Ring"); };
        comm.OnRlsd = [note](TCustomComm&) { note("Rlsd"); };
        comm.OnRxChar = [note](TCustomComm&, int count) { note("RxChar " + std::to_string(count)); };
        comm.OnRxFlag = [note](TCustomComm&) { note("RxFlag"); };
        comm.OnTxEmpty = [note](TCustomComm&) { note("TxEmpty"); };
        comm.SetDispatchRequest([line = comm.line] { line->NoteDispatchRequest(); });
    }
    // Waits for the watcher's request, then runs the dispatch here, as the window's thread would.
    bool DeliverNext(int requestsSoFar) {
        auto& line = *comm.line;
        return line.WaitFor([&] { return line.dispatchRequests > requestsSoFar; }) && comm.DeliverPendingEvents();
    }
    FakeComm comm;
    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;
};

TEST_F(SerialPortWatcher, EventsReachTheHandlersInOrderOnTheDispatchingThread) {
    comm.Open();
    EXPECT_EQ(comm.line->mask, 0x1FFu);  // every event is monitored by default
    comm.line->inQueue = 3;
    comm.line->errors = CE_FRAME;
    comm.line->Push(0x1FF);
    ASSERT_TRUE(DeliverNext(0));
    EXPECT_EQ(calls, (std::vector<std::string>{"Break", "Cts", "Dsr", "Error 8", "Ring", "Rlsd", "RxChar 3", "RxFlag",
                                               "TxEmpty"}));
    for (const auto& id : threads) EXPECT_EQ(id, std::this_thread::get_id());

    calls.clear();
    comm.line->inQueue = 0;  // OnRxChar only with bytes waiting
    comm.line->Push(EV_CTS | EV_RXCHAR | EV_TXEMPTY);
    ASSERT_TRUE(DeliverNext(1));
    EXPECT_EQ(calls, (std::vector<std::string>{"Cts", "TxEmpty"}));
    EXPECT_FALSE(comm.DeliverPendingEvents());  // nothing more waits
}

TEST_F(SerialPortWatcher, CloseWhileAWaitIsPendingReturnsAndReleasesTheDevice) {
    comm.Open();
    ASSERT_TRUE(comm.line->WaitFor([&] { return comm.line->waiting; }));
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_TRUE(comm.line->purged);
    EXPECT_EQ(comm.line->devices, 0);
    comm.Open();  // and the port opens again with a fresh watcher
    comm.line->inQueue = 1;
    comm.line->Push(EV_RXCHAR);
    ASSERT_TRUE(DeliverNext(0));
    EXPECT_EQ(calls, (std::vector<std::string>{"RxChar 1"}));
}

TEST_F(SerialPortWatcher, CloseWhileAnEventWaitsForItsDispatch) {
    comm.Open();
    comm.line->Push(EV_CTS);
    ASSERT_TRUE(comm.line->WaitFor([&] { return comm.line->dispatchRequests > 0; }));
    comm.Close();  // the watcher is blocked handing the event over; it must still end
    EXPECT_EQ(comm.line->devices, 0);
    EXPECT_FALSE(comm.DeliverPendingEvents());
    EXPECT_TRUE(calls.empty());
}

TEST_F(SerialPortWatcher, AHandlerMayCloseThePort) {
    comm.OnCts = [](TCustomComm& port) { port.Close(); };
    comm.Open();
    comm.line->Push(EV_CTS | EV_TXEMPTY);
    ASSERT_TRUE(DeliverNext(0));
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.line->devices, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"TxEmpty"}));
}

TEST_F(SerialPortWatcher, MonitoredEventsOnlyAndDestroyingAnOpenComponentStopsTheWatcher) {
    auto line = comm.line;
    {
        FakeComm other;
        other.line = line;
        other.SetMonitorEvents({TCommEventType::evCts, TCommEventType::evDsr});
        other.Open();
        ASSERT_TRUE(line->WaitFor([&] { return line->waiting; }));
        EXPECT_EQ(line->mask, EV_CTS | EV_DSR);  // only monitored events are waited for
    }
    EXPECT_EQ(line->devices, 0);
}

TEST(SerialPortWatcherOnPty, ArrivingBytesAreDispatchedAndCloseEndsThePoll) {
    Pty pty;
    TComm comm;
    auto requests = std::make_shared<testing::FakeLine>();  // used only for its counter and wait
    comm.SetDispatchRequest([requests] { requests->NoteDispatchRequest(); });
    std::vector<int> counts;
    comm.OnRxChar = [&](TCustomComm&, int count) { counts.push_back(count); };
    comm.SetDeviceName(pty.name);
    comm.SetFlowControl(TFlowControl::fcNone);
    comm.Open();

    ASSERT_EQ(::write(pty.master, "ab", 2), 2);
    ASSERT_TRUE(requests->WaitFor([&] { return requests->dispatchRequests > 0; }));
    EXPECT_TRUE(comm.DeliverPendingEvents());
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_GE(counts[0], 1);
    EXPECT_LE(counts[0], 2);
    comm.Close();  // the watcher sits in poll (bytes unread); close must end it
    EXPECT_FALSE(comm.IsOpen());
}

}  // namespace
}  // namespace kestrova
