#include "core/device/serial_port.h"

#include "core/device/termios_device.h"

namespace kestrova {

// ---- enumerations --------------------------------------------------------------------------

std::uint32_t BaudrateValue(TBaudrate rate) {
    static constexpr std::uint32_t kRates[] = {110,   300,   600,   1200,   2400,   4800,   9600,    14400,  19200,
                                               38400, 56000, 57600, 115200, 128000, 256000, 1500000, 3000000};
    return kRates[static_cast<int>(rate)];
}

std::uint8_t ParityCode(TParity parity) { return static_cast<std::uint8_t>(parity); }
std::uint8_t StopbitsCode(TStopbits stopbits) { return static_cast<std::uint8_t>(stopbits); }
std::uint8_t DatabitsSize(TDatabits databits) { return static_cast<std::uint8_t>(4 + static_cast<int>(databits)); }

std::uint32_t OptionFlag(TCommOption option) {
    using namespace comm_flags;
    static constexpr std::uint32_t kFlags[] = {fParity, fDsrSensitivity, fTXContinueOnXoff, fErrorChar, fNull};
    return kFlags[static_cast<int>(option)];
}

std::uint32_t EventMask(TCommEventType event) {
    static constexpr std::uint32_t kMasks[] = {EV_BREAK, EV_CTS,    EV_DSR,    EV_ERR,    EV_RING,
                                               EV_RLSD,  EV_RXCHAR, EV_RXFLAG, EV_TXEMPTY};
    return kMasks[static_cast<int>(event)];
}

std::uint32_t EventMask(const TCommEventTypes& events) {
    std::uint32_t mask = 0;
    for (int i = 0; i < 9; ++i) {
        const auto event = static_cast<TCommEventType>(i);
        if (events.Contains(event)) mask |= EventMask(event);
    }
    return mask;
}

// ---- errors ----------------------------------------------------------------------------------

ECommError::ECommError(const std::string& text, int code)
    : Error(text + " (Error: " + std::to_string(code) + ") "), code_(code) {}

// ---- event characters ------------------------------------------------------------------------

void TCommEventChars::Assign(const TCommEventChars& source) {
    xon_ = source.xon_;
    xoff_ = source.xoff_;
    error_ = source.error_;
    eof_ = source.eof_;
    evt_ = source.evt_;
    Changed();
}

void TCommEventChars::Set(char& field, char value) {
    field = value;
    Changed();
}

void TCommEventChars::Changed() {
    if (owner_) owner_->ApplyLineSettings();
}

// ---- hand-off --------------------------------------------------------------------------------

bool CommEventHandoff::Post(std::uint32_t mask, const std::function<void()>& requestDispatch) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) return false;
        pending_ = true;
        mask_ = mask;
    }
    if (requestDispatch) requestDispatch();
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !pending_ || stopping_; });
    return !pending_;
}

std::optional<std::uint32_t> CommEventHandoff::Pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!pending_) return std::nullopt;
    return mask_;
}

void CommEventHandoff::Done() {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = false;
    changed_.notify_all();
}

void CommEventHandoff::Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    changed_.notify_all();
}

void CommEventHandoff::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_ = false;
    stopping_ = false;
    mask_ = 0;
}

// ---- watcher ---------------------------------------------------------------------------------

TCommEventThread::TCommEventThread(CommDevice& device, const TCommEventTypes& events, CommEventHandoff& handoff,
                                   std::function<void()> requestDispatch)
    : device_(device), handoff_(handoff), requestDispatch_(std::move(requestDispatch)) {
    device_.SetMask(EventMask(events));
    thread_ = std::thread(&TCommEventThread::Execute, this);
}

TCommEventThread::~TCommEventThread() { Stop(); }

void TCommEventThread::Stop() {
    terminated_ = true;
    device_.CancelWait();
    handoff_.Stop();
    if (thread_.joinable()) thread_.join();
}

void TCommEventThread::Execute() {
    while (!terminated_) {
        const auto mask = device_.WaitEvent();
        if (!mask || terminated_) break;
        if (*mask != 0) handoff_.Post(*mask, requestDispatch_);
    }
    device_.Purge();
}

// ---- component -------------------------------------------------------------------------------

TCustomComm::TCustomComm() = default;

TCustomComm::~TCustomComm() { Close(); }

void TCustomComm::RefuseWhileOpen(bool changed) const {
    if (changed && IsOpen()) throw ECommError(kPortAlreadyOpen, -1);
}

void TCustomComm::SetDeviceName(const std::string& value) {
    RefuseWhileOpen(value != deviceName_);
    deviceName_ = value;
}

void TCustomComm::SetReadBufSize(std::uint32_t value) {
    RefuseWhileOpen(value != readBufSize_);
    readBufSize_ = value;
}

void TCustomComm::SetWriteBufSize(std::uint32_t value) {
    RefuseWhileOpen(value != writeBufSize_);
    writeBufSize_ = value;
}

void TCustomComm::SetMonitorEvents(const TCommEventTypes& value) {
    RefuseWhileOpen(value != monitorEvents_);
    monitorEvents_ = value;
}

void TCustomComm::SetBaudRate(TBaudrate value) {
    baudRate_ = value;
    ApplyLineSettings();
}

void TCustomComm::SetParity(TParity value) {
    parity_ = value;
    ApplyLineSettings();
}

void TCustomComm::SetStopbits(TStopbits value) {
    stopbits_ = value;
    ApplyLineSettings();
}

void TCustomComm::SetDatabits(TDatabits value) {
    databits_ = value;
    ApplyLineSettings();
}

void TCustomComm::SetOptions(const TCommOptions& value) {
    options_ = value;
    ApplyLineSettings();
}

void TCustomComm::SetFlowControl(TFlowControl value) {
    flowControl_ = value;
    ApplyLineSettings();
}

std::unique_ptr<CommDevice> TCustomComm::CreateHandle() { return OpenTermiosDevice(deviceName_); }

void TCustomComm::Open() {
    if (IsOpen()) throw ECommError(kPortAlreadyOpen, -1);
    device_ = CreateHandle();
    if (!device_) throw ECommError(kInvalidDeviceHandle, -1);

    handoff_.Reset();
    watcher_ = std::make_unique<TCommEventThread>(*device_, monitorEvents_, handoff_, requestDispatch_);

    CommTimeouts timeouts;
    timeouts.readIntervalTimeout = 0xFFFFFFFFu;  // a read returns at once with what has arrived
    if (const int error = device_->SetTimeouts(timeouts)) throw ECommError(kErrorTimeouts, error);

    ApplyLineSettings();

    if (const int error = device_->Setup(readBufSize_, writeBufSize_)) throw ECommError(kErrorBuffers, error);
}

void TCustomComm::Close() {
    if (!IsOpen()) return;
    if (watcher_) watcher_->Stop();  // the device is released only after the watcher has ended
    watcher_.reset();
    handoff_.Reset();
    device_.reset();
}

void TCustomComm::ApplyLineSettings() {
    using namespace comm_flags;
    if (!IsOpen()) return;

    CommControlBlock block;
    if (const int error = device_->GetState(block)) throw ECommError(kErrorControlBlock, error);

    block.baudRate = BaudrateValue(baudRate_);
    block.parity = ParityCode(parity_);
    block.stopBits = StopbitsCode(stopbits_);
    block.byteSize = DatabitsSize(databits_);
    block.xonChar = eventChars_.XonChar();
    block.xoffChar = eventChars_.XoffChar();
    block.errorChar = eventChars_.ErrorChar();
    block.eofChar = eventChars_.EofChar();
    block.evtChar = eventChars_.EvtChar();

    block.xonLim = static_cast<std::uint16_t>(readBufSize_ / 4);
    block.xoffLim = static_cast<std::uint16_t>(readBufSize_ / 4);

    switch (flowControl_) {
        case TFlowControl::fcNone:
            block.flags = fBinary;
            break;
        case TFlowControl::fcCTS:
            block.flags |= fOutxCtsFlow | fRtsControlHandshake;
            break;
        case TFlowControl::fcDTR:
            block.flags |= fOutxDsrFlow | fDtrControlHandshake;
            break;
        case TFlowControl::fcSoftware:
            block.flags |= fOutX | fInX;
            break;
        case TFlowControl::fcDefault:
            break;
    }

    for (int i = 0; i < 5; ++i) {
        const auto option = static_cast<TCommOption>(i);
        if (options_.Contains(option))
            block.flags |= OptionFlag(option);
        else
            block.flags &= ~OptionFlag(option);
    }

    if (const int error = device_->SetState(block)) throw ECommError(kErrorControlBlock, error);
    controlBlock_ = block;
}

void TCustomComm::EscapeComm(EscapeCode code) {
    if (!IsOpen()) throw ECommError(kPortNotOpen, -1);
    if (const int error = device_->Escape(code)) throw ECommError(kErrorEscape, error);
}

void TCustomComm::SetDTR(bool raise) { EscapeComm(raise ? EscapeCode::SETDTR : EscapeCode::CLRDTR); }

bool TCustomComm::DeliverPendingEvents() {
    const auto mask = handoff_.Pending();
    if (!mask) return false;
    if (IsOpen()) Dispatch(*mask);
    handoff_.Done();
    return true;
}

void TCustomComm::Dispatch(std::uint32_t mask) {
    const CommStatus status = device_->ClearError();
    if ((mask & EV_BREAK) && OnBreak) OnBreak(*this);
    if ((mask & EV_CTS) && OnCts) OnCts(*this);
    if ((mask & EV_DSR) && OnDsr) OnDsr(*this);
    if ((mask & EV_ERR) && OnError) OnError(*this, static_cast<int>(status.errors));
    if ((mask & EV_RING) && OnRing) OnRing(*this);
    if ((mask & EV_RLSD) && OnRlsd) OnRlsd(*this);
    if ((mask & EV_RXCHAR) && status.inQueue > 0 && OnRxChar) OnRxChar(*this, static_cast<int>(status.inQueue));
    if ((mask & EV_RXFLAG) && OnRxFlag) OnRxFlag(*this);
    if ((mask & EV_TXEMPTY) && OnTxEmpty) OnTxEmpty(*this);
}

}  // namespace kestrova
