#include "core/device/serial_port.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "core/device/fake_comm_device.h"
#include "support/temp_dir.h"

namespace kestrova {
namespace {

using testing::FakeComm;
using namespace comm_flags;

// A pseudo-terminal pair: the component opens the slave by name; the test looks at the line
// settings through the master (which reports the slave's settings) and writes bytes into it.
class Pty {
public:
    Pty() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) name_ = name;
    }
    ~Pty() {
        if (master_ >= 0) ::close(master_);
        if (slave_ >= 0) ::close(slave_);
    }
    const std::string& name() const { return name_; }
    int master() const { return master_; }
    termios Settings() const {
        termios settings{};
        ::tcgetattr(master_, &settings);
        return settings;
    }
    void Preset(tcflag_t iflagOn, tcflag_t cflagOn) {
        termios settings = Settings();
        settings.c_iflag |= iflagOn;
        settings.c_cflag |= cflagOn;
        ::tcsetattr(master_, TCSANOW, &settings);
    }

private:
    int master_ = -1, slave_ = -1;
    std::string name_;
};

std::string FailureText(const std::function<void()>& action, int* code = nullptr) {
    try {
        action();
    } catch (const ECommError& error) {
        if (code) *code = error.Code();
        return error.what();
    }
    return "";
}

// ---- enumerations and defaults ---------------------------------------------------------------

TEST(SerialPortValues, DriverValuesOfTheMembers) {
    EXPECT_EQ(BaudrateValue(TBaudrate::br110), 110u);
    EXPECT_EQ(BaudrateValue(TBaudrate::br14400), 14400u);
    EXPECT_EQ(BaudrateValue(TBaudrate::br56000), 56000u);
    EXPECT_EQ(BaudrateValue(TBaudrate::br3000000), 3000000u);
    EXPECT_EQ(ParityCode(TParity::paSpace), 4);
    EXPECT_EQ(StopbitsCode(TStopbits::sb15), 1);
    EXPECT_EQ(DatabitsSize(TDatabits::da4), 4);
    EXPECT_EQ(DatabitsSize(TDatabits::da8), 8);
    EXPECT_EQ(OptionFlag(TCommOption::coIgnoreXOff), 0x80u);
    EXPECT_EQ(OptionFlag(TCommOption::coNullStrip), 0x800u);
    EXPECT_EQ(EventMask(TCommEventType::evBreak), 0x40u);
    EXPECT_EQ(EventMask(TCommEventType::evRing), 0x100u);
    EXPECT_EQ(EventMask(TCommEventTypes::All()), 0x1FFu);
    EXPECT_EQ(EventMask(TCommEventTypes{TCommEventType::evRxChar, TCommEventType::evCts}), 0x9u);
}

TEST(SerialPortValues, DefaultsOfTheComponent) {
    TComm comm;
    EXPECT_EQ(comm.DeviceName(), "Com2");
    EXPECT_EQ(comm.ReadTimeout(), 1000u);
    EXPECT_EQ(comm.WriteTimeout(), 1000u);
    EXPECT_EQ(comm.ReadBufSize(), 4096u);
    EXPECT_EQ(comm.WriteBufSize(), 2048u);
    EXPECT_EQ(comm.MonitorEvents(), TCommEventTypes::All());
    EXPECT_EQ(comm.BaudRate(), TBaudrate::br9600);
    EXPECT_EQ(comm.Parity(), TParity::paNone);
    EXPECT_EQ(comm.Stopbits(), TStopbits::sb10);
    EXPECT_EQ(comm.Databits(), TDatabits::da8);
    EXPECT_TRUE(comm.Options().Empty());
    EXPECT_EQ(comm.FlowControl(), TFlowControl::fcDefault);
    EXPECT_EQ(comm.EventChars().XonChar(), 17);
    EXPECT_EQ(comm.EventChars().XoffChar(), 19);
    EXPECT_FALSE(comm.IsOpen());
}

// ---- open, settings and failures on a pseudo-terminal ----------------------------------------

TEST(SerialPortOnPty, OpenAppliesTheLineSettings) {
    Pty pty;
    ASSERT_FALSE(pty.name().empty());
    TComm comm;
    comm.SetDeviceName(pty.name());
    comm.SetBaudRate(TBaudrate::br19200);
    comm.SetStopbits(TStopbits::sb20);  // a pseudo-terminal keeps 8 bits without parity only
    comm.Open();
    ASSERT_TRUE(comm.IsOpen());

    termios settings = pty.Settings();
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B19200));
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(settings.c_cflag & PARENB);
    EXPECT_TRUE(settings.c_cflag & CSTOPB);
    EXPECT_FALSE(settings.c_lflag & ICANON);  // a binary line
    EXPECT_FALSE(settings.c_lflag & ECHO);
    EXPECT_EQ(settings.c_cc[VMIN], 0);  // reads return at once
    EXPECT_EQ(settings.c_cc[VTIME], 0);

    // A change while open is applied at once.
    comm.SetBaudRate(TBaudrate::br115200);
    comm.SetStopbits(TStopbits::sb10);
    comm.EventChars().SetXonChar(0x11 + 1);
    settings = pty.Settings();
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B115200));
    EXPECT_FALSE(settings.c_cflag & CSTOPB);
    EXPECT_EQ(settings.c_cc[VSTART], 0x12);
    EXPECT_EQ(comm.ControlBlock().xonChar, 0x12);
}

TEST(SerialPortOnPty, XonAndXoffLimitsAreAQuarterOfTheReadBuffer) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.name());
    comm.Open();
    EXPECT_EQ(comm.ControlBlock().xonLim, 1024);
    EXPECT_EQ(comm.ControlBlock().xoffLim, 1024);
    comm.Close();
    comm.SetReadBufSize(1002);
    comm.Open();
    EXPECT_EQ(comm.ControlBlock().xonLim, 250);
    EXPECT_EQ(comm.ControlBlock().xoffLim, 250);
}

TEST(SerialPortOnPty, FlowControlRules) {
    Pty pty;
    pty.Preset(IXON | IXOFF, CRTSCTS);  // the driver's own flow control
    TComm comm;
    comm.SetDeviceName(pty.name());
    comm.Open();  // fcDefault keeps it
    termios settings = pty.Settings();
    EXPECT_TRUE(settings.c_iflag & IXON);
    EXPECT_TRUE(settings.c_iflag & IXOFF);
    EXPECT_TRUE(settings.c_cflag & CRTSCTS);
    EXPECT_EQ(comm.ControlBlock().flags & (fOutX | fInX | fOutxCtsFlow), fOutX | fInX | fOutxCtsFlow);

    comm.SetFlowControl(TFlowControl::fcNone);  // everything but fBinary cleared
    EXPECT_EQ(comm.ControlBlock().flags, fBinary);
    settings = pty.Settings();
    EXPECT_FALSE(settings.c_iflag & (IXON | IXOFF));
    EXPECT_FALSE(settings.c_cflag & CRTSCTS);

    comm.SetFlowControl(TFlowControl::fcSoftware);
    EXPECT_EQ(comm.ControlBlock().flags & (fOutX | fInX), fOutX | fInX);
    settings = pty.Settings();
    EXPECT_TRUE(settings.c_iflag & IXON);
    EXPECT_TRUE(settings.c_iflag & IXOFF);

    comm.SetFlowControl(TFlowControl::fcCTS);  // adds, keeps the software flags read back
    EXPECT_EQ(comm.ControlBlock().flags & (fOutxCtsFlow | fRtsControlHandshake), fOutxCtsFlow | fRtsControlHandshake);
    EXPECT_TRUE(comm.ControlBlock().flags & fOutX);
    EXPECT_TRUE(pty.Settings().c_cflag & CRTSCTS);

    comm.SetFlowControl(TFlowControl::fcNone);
    comm.SetFlowControl(TFlowControl::fcDTR);  // kept beside termios, which has no such switch
    EXPECT_EQ(comm.ControlBlock().flags & (fOutxDsrFlow | fDtrControlHandshake), fOutxDsrFlow | fDtrControlHandshake);
}

TEST(SerialPortOnPty, OptionsSetAndClearTheirFlags) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.name());
    comm.SetFlowControl(TFlowControl::fcNone);
    comm.SetOptions({TCommOption::coParityCheck, TCommOption::coDsrSensitivity, TCommOption::coIgnoreXOff,
                     TCommOption::coErrorChar, TCommOption::coNullStrip});
    comm.Open();
    EXPECT_EQ(comm.ControlBlock().flags, fBinary | fParity | fDsrSensitivity | fTXContinueOnXoff | fErrorChar | fNull);
    EXPECT_TRUE(pty.Settings().c_iflag & INPCK);

    comm.SetOptions({TCommOption::coNullStrip});
    EXPECT_EQ(comm.ControlBlock().flags, fBinary | fNull);
    EXPECT_FALSE(pty.Settings().c_iflag & INPCK);

    // With the driver's flags kept, options still clear what they own.
    comm.SetFlowControl(TFlowControl::fcDefault);
    comm.SetOptions({});
    EXPECT_EQ(comm.ControlBlock().flags & (fParity | fDsrSensitivity | fTXContinueOnXoff | fErrorChar | fNull), 0u);
}

TEST(SerialPortOnPty, SpeedsWithoutATermiosConstantAreApplied) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.name());
    comm.SetBaudRate(TBaudrate::br14400);
    comm.Open();
    EXPECT_EQ(comm.ControlBlock().baudRate, 14400u);
    comm.SetBaudRate(TBaudrate::br9600);
    EXPECT_EQ(cfgetospeed(&static_cast<const termios&>(pty.Settings())), static_cast<speed_t>(B9600));
}

TEST(SerialPortOnPty, OpenTwiceAndSettingsRefusedWhileOpen) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.name());
    comm.Open();
    int code = 0;
    EXPECT_EQ(FailureText([&] { comm.Open(); }, &code), "Port already assigned (open) (Error: -1) ");
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(comm.IsOpen());

    EXPECT_NO_THROW(comm.SetDeviceName(pty.name()));  // the same value is accepted
    EXPECT_EQ(FailureText([&] { comm.SetDeviceName("/dev/null"); }), "Port already assigned (open) (Error: -1) ");
    EXPECT_EQ(comm.DeviceName(), pty.name());
    EXPECT_EQ(FailureText([&] { comm.SetReadBufSize(100); }), "Port already assigned (open) (Error: -1) ");
    EXPECT_EQ(FailureText([&] { comm.SetWriteBufSize(100); }), "Port already assigned (open) (Error: -1) ");
    EXPECT_EQ(FailureText([&] { comm.SetMonitorEvents({TCommEventType::evCts}); }),
              "Port already assigned (open) (Error: -1) ");
    EXPECT_NO_THROW(comm.SetReadBufSize(4096));

    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_NO_THROW(comm.Close());  // closed: nothing happens
    EXPECT_NO_THROW(comm.SetDeviceName("/dev/null"));
}

TEST(SerialPortOnPty, ThePortIsHeldExclusively) {
    Pty pty;
    TComm first, second;
    first.SetDeviceName(pty.name());
    second.SetDeviceName(pty.name());
    first.Open();
    int code = 0;
    EXPECT_EQ(FailureText([&] { second.Open(); }, &code).rfind("Error accessing specified device (Error: ", 0), 0u);
    EXPECT_GT(code, 0);
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_NO_THROW(second.Open());
}

TEST(SerialPortFailures, MissingPathGivesTheSystemErrorCode) {
    TComm comm;
    comm.SetDeviceName("/dev/no-such-port-here");
    int code = 0;
    EXPECT_EQ(FailureText([&] { comm.Open(); }, &code),
              "Error accessing specified device (Error: " + std::to_string(ENOENT) + ") ");
    EXPECT_EQ(code, ENOENT);
    EXPECT_FALSE(comm.IsOpen());
}

TEST(SerialPortFailures, OrdinaryFileIsNotADevice) {
    testing::TempDir dir;
    testing::WriteText(dir / "file", "x");
    TComm comm;
    comm.SetDeviceName(dir / "file");
    int code = 0;
    EXPECT_EQ(FailureText([&] { comm.Open(); }, &code), "Invalid device handle, access denied (Error: -1) ");
    EXPECT_EQ(code, -1);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_NO_THROW(comm.Close());
}

TEST(SerialPortFailures, CharacterDeviceThatIsNoTerminalStaysOpenForTheCaller) {
    TComm comm;
    comm.SetDeviceName("/dev/null");
    int code = 0;
    EXPECT_EQ(FailureText([&] { comm.Open(); }, &code),
              "Error updating CommTimeouts (Error: " + std::to_string(ENOTTY) + ") ");
    EXPECT_TRUE(comm.IsOpen());
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
}

TEST(SerialPortFailures, DtrOnAPtyAndOnAClosedPort) {
    TComm comm;
    EXPECT_EQ(FailureText([&] { comm.SetDTR(true); }), "Port not open, unable to complete operation (Error: -1) ");
    Pty pty;
    comm.SetDeviceName(pty.name());
    comm.Open();
    int code = 0;
    EXPECT_EQ(FailureText([&] { comm.SetDTR(true); }, &code).rfind("EscapeCommFunction failure (Error: ", 0), 0u);
    EXPECT_EQ(code, ENOTTY);  // a pseudo-terminal has no modem lines
    EXPECT_TRUE(comm.IsOpen());
}

TEST(SerialPortFailures, ByteSizeTheLineCannotTakeIsRefused) {
    Pty pty;
    TComm comm;
    comm.SetDeviceName(pty.name());
    comm.Open();
    int code = 0;
    EXPECT_EQ(FailureText([&] { comm.SetDatabits(TDatabits::da4); }, &code),
              "Error updating DataControlBlock (Error: " + std::to_string(EINVAL) + ") ");
    EXPECT_EQ(code, EINVAL);
}

// ---- the watcher and the dispatch --------------------------------------------------------------

struct Recorder {
    std::vector<std::string> calls;
    std::vector<std::thread::id> threads;

    void Attach(TCustomComm& comm) {
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
    }
};

// Waits for the watcher's request, then runs the dispatch here, as the window's thread would.
bool DeliverNext(FakeComm& comm, int requestsSoFar) {
    auto& line = *comm.line;
    if (!line.WaitFor([&] { return line.dispatchRequests > requestsSoFar; })) return false;
    return comm.DeliverPendingEvents();
}

class SerialPortWatcher : public ::testing::Test {
protected:
    void SetUp() override {
        recorder.Attach(comm);
        comm.SetDispatchRequest([line = comm.line] { line->NoteDispatchRequest(); });
    }
    FakeComm comm;
    Recorder recorder;
};

TEST_F(SerialPortWatcher, EventsReachTheHandlersInOrderOnTheDispatchingThread) {
    comm.Open();
    comm.line->inQueue = 3;
    comm.line->errors = CE_FRAME;
    comm.line->Push(0x1FF);
    ASSERT_TRUE(DeliverNext(comm, 0));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"Break", "Cts", "Dsr", "Error 8", "Ring", "Rlsd", "RxChar 3",
                                                        "RxFlag", "TxEmpty"}));
    for (const auto& id : recorder.threads) EXPECT_EQ(id, std::this_thread::get_id());

    recorder.calls.clear();
    comm.line->Push(EV_CTS | EV_TXEMPTY);
    ASSERT_TRUE(DeliverNext(comm, 1));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"Cts", "TxEmpty"}));
    EXPECT_FALSE(comm.DeliverPendingEvents());  // nothing more waits
}

TEST_F(SerialPortWatcher, RxCharOnlyWithBytesWaiting) {
    comm.Open();
    comm.line->inQueue = 0;
    comm.line->Push(EV_RXCHAR | EV_RING);
    ASSERT_TRUE(DeliverNext(comm, 0));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"Ring"}));
}

TEST_F(SerialPortWatcher, OnlyMonitoredEventsAreWaitedFor) {
    comm.SetMonitorEvents({TCommEventType::evCts, TCommEventType::evDsr});
    comm.Open();
    EXPECT_EQ(comm.line->mask, EV_CTS | EV_DSR);
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
    ASSERT_TRUE(DeliverNext(comm, 0));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"RxChar 1"}));
}

TEST_F(SerialPortWatcher, CloseWhileAnEventWaitsForItsDispatch) {
    comm.Open();
    comm.line->Push(EV_CTS);
    ASSERT_TRUE(comm.line->WaitFor([&] { return comm.line->dispatchRequests > 0; }));
    comm.Close();  // the watcher is blocked handing the event over; it must still end
    EXPECT_EQ(comm.line->devices, 0);
    EXPECT_FALSE(comm.DeliverPendingEvents());
    EXPECT_TRUE(recorder.calls.empty());
}

TEST_F(SerialPortWatcher, AHandlerMayCloseThePort) {
    comm.OnCts = [](TCustomComm& port) { port.Close(); };
    comm.Open();
    comm.line->Push(EV_CTS | EV_TXEMPTY);
    ASSERT_TRUE(DeliverNext(comm, 0));
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.line->devices, 0);
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"TxEmpty"}));
}

TEST_F(SerialPortWatcher, DestroyingAnOpenComponentStopsTheWatcher) {
    auto line = comm.line;
    {
        FakeComm other;
        other.line = line;
        other.Open();
        ASSERT_TRUE(line->WaitFor([&] { return line->waiting; }));
    }
    EXPECT_EQ(line->devices, 0);
}

TEST(SerialPortWatcherOnPty, ArrivingBytesAreDispatchedAndCloseEndsThePoll) {
    Pty pty;
    TComm comm;
    std::mutex mutex;
    std::condition_variable changed;
    int requests = 0;
    comm.SetDispatchRequest([&] {
        std::lock_guard<std::mutex> lock(mutex);
        ++requests;
        changed.notify_all();
    });
    std::vector<int> counts;
    comm.OnRxChar = [&](TCustomComm&, int count) { counts.push_back(count); };
    comm.SetDeviceName(pty.name());
    comm.SetFlowControl(TFlowControl::fcNone);
    comm.Open();

    ASSERT_EQ(::write(pty.master(), "ab", 2), 2);
    {
        std::unique_lock<std::mutex> lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return requests > 0; }));
    }
    EXPECT_TRUE(comm.DeliverPendingEvents());
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_GE(counts[0], 1);
    EXPECT_LE(counts[0], 2);
    comm.Close();  // the watcher sits in poll (bytes unread); close must end it
    EXPECT_FALSE(comm.IsOpen());
}

}  // namespace
}  // namespace kestrova
