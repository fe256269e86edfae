#include "core/device/termios_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "core/device/line_settings.h"

namespace kestrova {

namespace {

// How often a watcher looks at the line counters and queues it cannot wait on directly.
constexpr int kTickMilliseconds = 20;

constexpr std::uint32_t kLineEvents = EV_CTS | EV_DSR | EV_RING | EV_RLSD | EV_BREAK | EV_ERR;

std::uint32_t CounterEvents(const serial_icounter_struct& before, const serial_icounter_struct& now) {
    std::uint32_t events = 0;
    if (now.cts != before.cts) events |= EV_CTS;
    if (now.dsr != before.dsr) events |= EV_DSR;
    if (now.rng != before.rng) events |= EV_RING;
    if (now.dcd != before.dcd) events |= EV_RLSD;
    if (now.brk != before.brk) events |= EV_BREAK;
    if (now.frame != before.frame || now.overrun != before.overrun || now.parity != before.parity ||
        now.buf_overrun != before.buf_overrun)
        events |= EV_ERR;
    return events;
}

std::uint32_t CounterErrors(const serial_icounter_struct& before, const serial_icounter_struct& now) {
    std::uint32_t errors = 0;
    if (now.buf_overrun != before.buf_overrun) errors |= CE_RXOVER;
    if (now.overrun != before.overrun) errors |= CE_OVERRUN;
    if (now.parity != before.parity) errors |= CE_RXPARITY;
    if (now.frame != before.frame) errors |= CE_FRAME;
    if (now.brk != before.brk) errors |= CE_BREAK;
    return errors;
}

std::uint32_t QueueCount(int fd, unsigned long request) {
    int count = 0;
    if (::ioctl(fd, request, &count) != 0 || count < 0) return 0;
    return static_cast<std::uint32_t>(count);
}

class TermiosDevice : public CommDevice {
public:
    TermiosDevice(int fd, int cancelFd, std::optional<LineSettings> original)
        : fd_(fd), cancelFd_(cancelFd), original_(original) {
        using namespace comm_flags;
        kept_.flags = fBinary | fDtrControlEnable | fRtsControlEnable;
        countersSupported_ = ::ioctl(fd_, TIOCGICOUNT, &waitCounters_) == 0;
        errorCounters_ = waitCounters_;
        lastInQueue_ = QueueCount(fd_, FIONREAD);
        lastOutQueue_ = QueueCount(fd_, TIOCOUTQ);
    }

    ~TermiosDevice() override {
        // The line is left as it was found (a console on this port stays usable).
        if (original_) SetLineSettings(fd_, *original_);
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        ::close(cancelFd_);
    }

    int GetState(CommControlBlock& block) override {
        termios settings{};
        if (::tcgetattr(fd_, &settings) != 0) return errno;
        block = ControlBlockFromTermios(settings, kept_);
        return 0;
    }

    int SetState(const CommControlBlock& block) override {
        termios settings{};
        if (::tcgetattr(fd_, &settings) != 0) return errno;
        if (const int error = ControlBlockToTermios(block, settings)) return error;
        if (::tcsetattr(fd_, TCSANOW, &settings) != 0) return errno;
        if (!HasStandardSpeed(block.baudRate))
            if (const int error = SetCustomSpeed(fd_, block.baudRate)) return error;
        kept_ = block;
        return 0;
    }

    int SetTimeouts(const CommTimeouts& timeouts) override {
        termios settings{};
        if (::tcgetattr(fd_, &settings) != 0) return errno;
        // Reads never block for a first byte; a total read time-out becomes the inter-byte wait.
        settings.c_cc[VMIN] = 0;
        const bool returnAtOnce = timeouts.readIntervalTimeout == 0xFFFFFFFFu &&
                                  timeouts.readTotalTimeoutMultiplier == 0 && timeouts.readTotalTimeoutConstant == 0;
        settings.c_cc[VTIME] =
            returnAtOnce ? 0 : static_cast<cc_t>(std::min<std::uint32_t>(255, timeouts.readTotalTimeoutConstant / 100));
        if (::tcsetattr(fd_, TCSANOW, &settings) != 0) return errno;
        return 0;
    }

    int Setup(std::uint32_t, std::uint32_t) override {
        // The terminal driver's queues have fixed sizes; only a terminal can take the request.
        termios settings{};
        if (::tcgetattr(fd_, &settings) != 0) return errno;
        return 0;
    }

    int Escape(EscapeCode code) override {
        int lines = 0;
        int result = 0;
        switch (code) {
            case EscapeCode::SETDTR:
                lines = TIOCM_DTR;
                result = ::ioctl(fd_, TIOCMBIS, &lines);
                break;
            case EscapeCode::CLRDTR:
                lines = TIOCM_DTR;
                result = ::ioctl(fd_, TIOCMBIC, &lines);
                break;
            case EscapeCode::SETRTS:
                lines = TIOCM_RTS;
                result = ::ioctl(fd_, TIOCMBIS, &lines);
                break;
            case EscapeCode::CLRRTS:
                lines = TIOCM_RTS;
                result = ::ioctl(fd_, TIOCMBIC, &lines);
                break;
            case EscapeCode::SETXOFF:
                result = ::tcflow(fd_, TCOOFF);
                break;
            case EscapeCode::SETXON:
                result = ::tcflow(fd_, TCOON);
                break;
            case EscapeCode::SETBREAK:
                result = ::ioctl(fd_, TIOCSBRK);
                break;
            case EscapeCode::CLRBREAK:
                result = ::ioctl(fd_, TIOCCBRK);
                break;
            default:
                return EINVAL;
        }
        return result == 0 ? 0 : errno;
    }

    CommStatus ClearError() override {
        CommStatus status;
        status.inQueue = QueueCount(fd_, FIONREAD);
        status.outQueue = QueueCount(fd_, TIOCOUTQ);
        serial_icounter_struct now{};
        if (countersSupported_ && ::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
            status.errors = CounterErrors(errorCounters_, now);
            errorCounters_ = now;
        }
        return status;
    }

    void SetMask(std::uint32_t mask) override { mask_ = mask; }

    // Waits with poll on the device and the cancel event. Arriving bytes wake it at once; the
    // line counters (what TIOCMIWAIT waits on, but it cannot be cancelled) and bytes left unread
    // are looked at on a short tick. A device that hangs up is no longer waited on.
    std::optional<std::uint32_t> WaitEvent() override {
        for (;;) {
            const std::uint32_t mask = mask_;
            const bool wantsRx = (mask & EV_RXCHAR) != 0;
            const bool wantsTx = (mask & EV_TXEMPTY) != 0;
            const bool wantsLines = countersSupported_ && (mask & kLineEvents) != 0;

            pollfd fds[2] = {{cancelFd_, POLLIN, 0}, {fd_, 0, 0}};
            nfds_t count = 1;
            int timeout = -1;
            if (!gone_) {
                count = 2;
                if (wantsRx && lastInQueue_ == 0) fds[1].events |= POLLIN;
                if (wantsLines || (wantsRx && lastInQueue_ > 0) || (wantsTx && lastOutQueue_ > 0))
                    timeout = kTickMilliseconds;
            }
            const int ready = ::poll(fds, count, timeout);
            if (ready < 0) {
                if (errno == EINTR) continue;
                gone_ = true;
                continue;
            }
            if (fds[0].revents != 0) return std::nullopt;
            if (gone_) continue;
            if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
                gone_ = true;
                continue;
            }

            // A device that reports data but has no input queue (not a terminal) is waited
            // on no more, so the watcher does not spin on it.
            int waiting = 0;
            if ((fds[1].revents & POLLIN) && ::ioctl(fd_, FIONREAD, &waiting) != 0) {
                gone_ = true;
                continue;
            }
            std::uint32_t found = 0;
            const std::uint32_t inQueue = QueueCount(fd_, FIONREAD);
            if (inQueue > lastInQueue_) found |= EV_RXCHAR;
            lastInQueue_ = inQueue;
            if (wantsTx) {
                const std::uint32_t outQueue = QueueCount(fd_, TIOCOUTQ);
                if (lastOutQueue_ > 0 && outQueue == 0) found |= EV_TXEMPTY;
                lastOutQueue_ = outQueue;
            }
            serial_icounter_struct now{};
            if (countersSupported_ && ::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
                found |= CounterEvents(waitCounters_, now);
                waitCounters_ = now;
            }
            found &= mask;
            if (found != 0) return found;
        }
    }

    void CancelWait() override {
        const std::uint64_t one = 1;
        while (::write(cancelFd_, &one, sizeof one) < 0 && errno == EINTR) {
        }
    }

    void Purge() override { ::tcflush(fd_, TCIOFLUSH); }

private:
    const int fd_;
    const int cancelFd_;
    const std::optional<LineSettings> original_;  // the line settings at the open
    CommControlBlock kept_;                   // owner: the settings termios cannot hold
    serial_icounter_struct errorCounters_{};  // owner: counters at the last ClearError
    std::atomic<std::uint32_t> mask_{0};
    // watcher state
    bool countersSupported_ = false;
    bool gone_ = false;
    serial_icounter_struct waitCounters_{};
    std::uint32_t lastInQueue_ = 0;
    std::uint32_t lastOutQueue_ = 0;
};

}  // namespace

std::unique_ptr<CommDevice> OpenTermiosDevice(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) throw ECommError(kErrorAccessingDevice, errno);

    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        ::close(fd);
        throw ECommError(kInvalidDeviceHandle, -1);
    }
    // Terminals are held exclusively; other character devices fail at the first line setting.
    std::optional<LineSettings> original;
    if (::isatty(fd)) {
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            const int error = errno;
            ::close(fd);
            throw ECommError(kErrorAccessingDevice, error);
        }
#ifdef TIOCGEXCL
        // The driver lets root open a terminal another program holds exclusively; refuse it
        // as it refuses everyone else.
        int held = 0;
        if (::ioctl(fd, TIOCGEXCL, &held) == 0 && held != 0) {
            ::close(fd);
            throw ECommError(kErrorAccessingDevice, EBUSY);
        }
#endif
        ::ioctl(fd, TIOCEXCL);
        LineSettings settings;
        if (GetLineSettings(fd, settings) == 0) original = settings;
    }

    const int cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancelFd < 0) {
        const int error = errno;
        ::close(fd);
        throw ECommError(kErrorAccessingDevice, error);
    }
    return std::make_unique<TermiosDevice>(fd, cancelFd, original);
}

}  // namespace kestrova
