#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/device/comm_control_block.h"
#include "core/project/error.h"

namespace kestrova {

// ---- enumerations --------------------------------------------------------------------------

enum class TBaudrate {
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
    br1500000,
    br3000000,
};
enum class TParity { paNone, paOdd, paEven, paMark, paSpace };
enum class TStopbits { sb10, sb15, sb20 };
enum class TDatabits { da4, da5, da6, da7, da8 };
enum class TFlowControl { fcNone, fcCTS, fcDTR, fcSoftware, fcDefault };
enum class TCommOption { coParityCheck, coDsrSensitivity, coIgnoreXOff, coErrorChar, coNullStrip };
enum class TCommEventType { evBreak, evCts, evDsr, evError, evRing, evRlsd, evRxChar, evRxFlag, evTxEmpty };

// A set of enumeration members, as the component's properties hold them.
template <typename Enum, int Count>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<Enum> members) {
        for (Enum member : members) bits_ |= Bit(member);
    }
    static constexpr EnumSet All() {
        EnumSet set;
        set.bits_ = (1u << Count) - 1;
        return set;
    }
    constexpr bool Contains(Enum member) const { return (bits_ & Bit(member)) != 0; }
    constexpr void Include(Enum member) { bits_ |= Bit(member); }
    constexpr void Exclude(Enum member) { bits_ &= ~Bit(member); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr bool operator==(const EnumSet& other) const { return bits_ == other.bits_; }
    constexpr bool operator!=(const EnumSet& other) const { return bits_ != other.bits_; }

private:
    static constexpr std::uint32_t Bit(Enum member) { return 1u << static_cast<int>(member); }
    std::uint32_t bits_ = 0;
};

using TCommOptions = EnumSet<TCommOption, 5>;
using TCommEventTypes = EnumSet<TCommEventType, 9>;

// Driver values of the members.
std::uint32_t BaudrateValue(TBaudrate rate);             // bits per second
std::uint8_t ParityCode(TParity parity);                 // 0 to 4
std::uint8_t StopbitsCode(TStopbits stopbits);           // 0, 1, 2
std::uint8_t DatabitsSize(TDatabits databits);           // 4 to 8
std::uint32_t OptionFlag(TCommOption option);            // control-block flag
std::uint32_t EventMask(TCommEventType event);           // EV_* mask
std::uint32_t EventMask(const TCommEventTypes& events);  // union of the members' masks

// Line-event masks.
inline constexpr std::uint32_t EV_RXCHAR = 0x1, EV_RXFLAG = 0x2, EV_TXEMPTY = 0x4, EV_CTS = 0x8, EV_DSR = 0x10,
                               EV_RLSD = 0x20, EV_BREAK = 0x40, EV_ERR = 0x80, EV_RING = 0x100;
// Line-error flags of the error status.
inline constexpr std::uint32_t CE_RXOVER = 0x1, CE_OVERRUN = 0x2, CE_RXPARITY = 0x4, CE_FRAME = 0x8, CE_BREAK = 0x10;
// Escape codes of the escape function.
enum class EscapeCode {
    SETXOFF = 1,
    SETXON = 2,
    SETRTS = 3,
    CLRRTS = 4,
    SETDTR = 5,
    CLRDTR = 6,
    SETBREAK = 8,
    CLRBREAK = 9
};

// ---- the device ------------------------------------------------------------------------------

struct CommTimeouts {
    std::uint32_t readIntervalTimeout = 0;
    std::uint32_t readTotalTimeoutMultiplier = 0;
    std::uint32_t readTotalTimeoutConstant = 0;
    std::uint32_t writeTotalTimeoutMultiplier = 0;
    std::uint32_t writeTotalTimeoutConstant = 0;
};

struct CommStatus {
    std::uint32_t errors = 0;    // CE_* flags gathered since the last read
    std::uint32_t inQueue = 0;   // bytes waiting to be read
    std::uint32_t outQueue = 0;  // bytes waiting to be sent
};

// An open serial device, as the component drives it. Operations returning int give 0 or the
// system error code. All run on the owner's thread except SetMask/WaitEvent/Purge (the watcher,
// never at the same time as each other) and CancelWait (any thread). Destroying closes it.
class CommDevice {
public:
    virtual ~CommDevice() = default;
    virtual int GetState(CommControlBlock& block) = 0;
    virtual int SetState(const CommControlBlock& block) = 0;
    virtual int SetTimeouts(const CommTimeouts& timeouts) = 0;
    virtual int Setup(std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    virtual int Escape(EscapeCode code) = 0;
    virtual CommStatus ClearError() = 0;

    virtual void SetMask(std::uint32_t mask) = 0;
    // Blocks until one of the masked line events happens; nothing once CancelWait was called.
    virtual std::optional<std::uint32_t> WaitEvent() = 0;
    // Ends a pending WaitEvent and makes every later one return at once.
    virtual void CancelWait() = 0;
    virtual void Purge() = 0;
};

// ---- errors ----------------------------------------------------------------------------------

class ECommError : public Error {
public:
    ECommError(const std::string& text, int code);
    int Code() const { return code_; }

private:
    int code_;
};

// Failure texts.
inline constexpr const char* kPortAlreadyOpen = "Port already assigned (open)";
inline constexpr const char* kErrorAccessingDevice = "Error accessing specified device";
inline constexpr const char* kInvalidDeviceHandle = "Invalid device handle, access denied";
inline constexpr const char* kErrorBuffers = "Error initializing Read/Write Buffers";
inline constexpr const char* kErrorControlBlock = "Error updating DataControlBlock";
inline constexpr const char* kErrorTimeouts = "Error updating CommTimeouts";
inline constexpr const char* kErrorEscape = "EscapeCommFunction failure";
inline constexpr const char* kPortNotOpen = "Port not open, unable to complete operation";

// ---- the component ---------------------------------------------------------------------------

class TCustomComm;

// The five special characters of the line settings; a change re-applies them on an open port.
class TCommEventChars {
public:
    explicit TCommEventChars(TCustomComm* owner = nullptr) : owner_(owner) {}
    TCommEventChars(const TCommEventChars&) = delete;
    TCommEventChars& operator=(const TCommEventChars&) = delete;

    char XonChar() const { return xon_; }
    char XoffChar() const { return xoff_; }
    char ErrorChar() const { return error_; }
    char EofChar() const { return eof_; }
    char EvtChar() const { return evt_; }
    void SetXonChar(char value) { Set(xon_, value); }
    void SetXoffChar(char value) { Set(xoff_, value); }
    void SetErrorChar(char value) { Set(error_, value); }
    void SetEofChar(char value) { Set(eof_, value); }
    void SetEvtChar(char value) { Set(evt_, value); }
    // Copies all five characters.
    void Assign(const TCommEventChars& source);

private:
    void Set(char& field, char value);
    void Changed();

    TCustomComm* owner_;
    char xon_ = 17, xoff_ = 19, error_ = 0, eof_ = 0, evt_ = 0;
};

// Hands a line event from the watcher to the owner's thread and waits until it was dispatched.
class CommEventHandoff {
public:
    // Watcher side: true once dispatched, false when the watcher is told to stop first.
    bool Post(std::uint32_t mask, const std::function<void()>& requestDispatch);
    // Owner side: the waiting mask, if any (it stays waiting until Done).
    std::optional<std::uint32_t> Pending();
    void Done();
    void Stop();
    void Reset();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool pending_ = false;
    bool stopping_ = false;
    std::uint32_t mask_ = 0;
};

// The watcher of an open port: waits for its line events on a thread of its own and hands each
// to the component. It is owned by the component, which stops and joins it before the device is
// closed, so it never outlives the device.
class TCommEventThread {
public:
    TCommEventThread(CommDevice& device, const TCommEventTypes& events, CommEventHandoff& handoff,
                     std::function<void()> requestDispatch);
    ~TCommEventThread();
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;

    // Ends a pending wait and the loop; returns once the thread has ended (the device purged).
    void Stop();

private:
    void Execute();

    CommDevice& device_;
    CommEventHandoff& handoff_;
    std::function<void()> requestDispatch_;
    std::atomic<bool> terminated_{false};
    std::thread thread_;
};

// A serial port: opens the device by name, applies line settings, buffer sizes and time-outs,
// raises or drops DTR, and watches the line events while open. Used from one thread (the owner's);
// events are dispatched on that thread, by DeliverPendingEvents.
class TCustomComm {
public:
    TCustomComm();
    virtual ~TCustomComm();
    TCustomComm(const TCustomComm&) = delete;
    TCustomComm& operator=(const TCustomComm&) = delete;

    void Open();
    void Close();
    bool IsOpen() const { return device_ != nullptr; }
    void SetDTR(bool raise);
    void EscapeComm(EscapeCode code);

    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& value);
    std::uint32_t ReadTimeout() const { return readTimeout_; }
    void SetReadTimeout(std::uint32_t value) { readTimeout_ = value; }
    std::uint32_t WriteTimeout() const { return writeTimeout_; }
    void SetWriteTimeout(std::uint32_t value) { writeTimeout_ = value; }
    std::uint32_t ReadBufSize() const { return readBufSize_; }
    void SetReadBufSize(std::uint32_t value);
    std::uint32_t WriteBufSize() const { return writeBufSize_; }
    void SetWriteBufSize(std::uint32_t value);
    const TCommEventTypes& MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(const TCommEventTypes& value);
    TBaudrate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudrate value);
    TParity Parity() const { return parity_; }
    void SetParity(TParity value);
    TStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TStopbits value);
    TDatabits Databits() const { return databits_; }
    void SetDatabits(TDatabits value);
    TCommEventChars& EventChars() { return eventChars_; }
    void SetEventChars(const TCommEventChars& value) { eventChars_.Assign(value); }
    const TCommOptions& Options() const { return options_; }
    void SetOptions(const TCommOptions& value);
    TFlowControl FlowControl() const { return flowControl_; }
    void SetFlowControl(TFlowControl value);

    // Events, called on the owner's thread in the order of their bits.
    std::function<void(TCustomComm&)> OnBreak, OnCts, OnDsr, OnRing, OnRlsd, OnRxFlag, OnTxEmpty;
    std::function<void(TCustomComm&, int errors)> OnError;
    std::function<void(TCustomComm&, int bytesWaiting)> OnRxChar;

    // Called on the watcher's thread when a line event waits: the owner must then run
    // DeliverPendingEvents on its own thread. Set before Open.
    void SetDispatchRequest(std::function<void()> request) { requestDispatch_ = std::move(request); }
    // Runs the dispatch of the waiting line event, if any; returns whether there was one.
    bool DeliverPendingEvents();

    // The control block as last applied to the open device.
    const CommControlBlock& ControlBlock() const { return controlBlock_; }
    // Re-applies the line settings (nothing when closed).
    void ApplyLineSettings();

protected:
    // Opens DeviceName as an exclusive, non-blocking character device (throws ECommError).
    virtual std::unique_ptr<CommDevice> CreateHandle();
    void Dispatch(std::uint32_t mask);

private:
    void RefuseWhileOpen(bool changed) const;

    std::unique_ptr<CommDevice> device_;
    std::string deviceName_ = "Com2";
    std::uint32_t readTimeout_ = 1000;
    std::uint32_t writeTimeout_ = 1000;
    std::uint32_t readBufSize_ = 4096;
    std::uint32_t writeBufSize_ = 2048;
    TCommEventTypes monitorEvents_ = TCommEventTypes::All();
    TBaudrate baudRate_ = TBaudrate::br9600;
    TParity parity_ = TParity::paNone;
    TStopbits stopbits_ = TStopbits::sb10;
    TDatabits databits_ = TDatabits::da8;
    TCommEventChars eventChars_{this};
    TCommOptions options_;
    TFlowControl flowControl_ = TFlowControl::fcDefault;
    CommControlBlock controlBlock_;
    CommEventHandoff handoff_;
    std::unique_ptr<TCommEventThread> watcher_;
    std::function<void()> requestDispatch_;
};

// The component as placed on a window: publishes the properties and events; no behaviour added.
class TComm : public TCustomComm {
public:
    using TCustomComm::TCustomComm;
};

}  // namespace kestrova
