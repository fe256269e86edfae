#pragma once

#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/device/serial_port.h"

namespace kestrova::testing {

// A pseudo-terminal pair: the code under test opens the slave by name; the test reads and changes
// the line settings through the master (which reports the slave's) and writes bytes into it.
struct Pty {
    Pty() {
        char path[256] = {};
        if (::openpty(&master, &slave, path, nullptr, nullptr) == 0) name = path;
    }
    ~Pty() {
        if (master >= 0) ::close(master);
        if (slave >= 0) ::close(slave);
    }
    termios Settings() const {
        termios settings{};
        ::tcgetattr(master, &settings);
        return settings;
    }
    void Change(const std::function<void(termios&)>& change) {
        termios settings = Settings();
        change(settings);
        ::tcsetattr(master, TCSANOW, &settings);
    }
    int master = -1, slave = -1;
    std::string name;
};

// A serial device the test drives: line events are pushed by the test and returned by WaitEvent
// on the watcher's thread. Its state lives in a shared record that outlives the device, so a test
// can look at it after Close (the device object itself is gone, so a late use shows under ASan).
struct FakeLine {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::uint32_t> events;
    bool cancelled = false, waiting = false, purged = false;
    int devices = 0;  // devices alive
    int dispatchRequests = 0;
    std::uint32_t mask = 0, inQueue = 0, errors = 0;
    int escapeError = 0;
    std::vector<EscapeCode> escapes;
    CommControlBlock block;

    // Runs a change under the lock and wakes whoever waits for one.
    template <typename Change>
    auto Locked(Change change) {
        std::lock_guard<std::mutex> lock(mutex);
        changed.notify_all();
        return change();
    }
    void Push(std::uint32_t event) {
        Locked([&] { events.push_back(event); });
    }
    void NoteDispatchRequest() {
        Locked([&] { ++dispatchRequests; });
    }
    // Waits (generously) for a condition the watcher brings about.
    template <typename Condition>
    bool WaitFor(Condition condition) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30), condition);
    }
};

class FakeCommDevice : public CommDevice {
public:
    explicit FakeCommDevice(std::shared_ptr<FakeLine> line) : line_(std::move(line)) {
        line_->Locked([this] {
            ++line_->devices;
            line_->cancelled = line_->purged = false;
        });
    }
    ~FakeCommDevice() override {
        line_->Locked([this] { --line_->devices; });
    }
    int GetState(CommControlBlock& block) override {
        block = line_->block;
        return 0;
    }
    int SetState(const CommControlBlock& block) override {
        line_->block = block;
        return 0;
    }
    int SetTimeouts(const CommTimeouts&) override { return 0; }
    int Setup(std::uint32_t, std::uint32_t) override { return 0; }
    int Escape(EscapeCode code) override {
        line_->escapes.push_back(code);
        return line_->escapeError;
    }
    CommStatus ClearError() override {
        return line_->Locked([this] {
            CommStatus status;
            status.errors = std::exchange(line_->errors, 0);
            status.inQueue = line_->inQueue;
            return status;
        });
    }
    void SetMask(std::uint32_t mask) override {
        line_->Locked([&] { line_->mask = mask; });
    }
    std::optional<std::uint32_t> WaitEvent() override {
        std::unique_lock<std::mutex> lock(line_->mutex);
        line_->waiting = true;
        line_->changed.notify_all();
        line_->changed.wait(lock, [this] { return line_->cancelled || !line_->events.empty(); });
        line_->waiting = false;
        if (line_->cancelled) return std::nullopt;
        const std::uint32_t event = line_->events.front();
        line_->events.pop_front();
        return event & line_->mask;
    }
    void CancelWait() override {
        line_->Locked([this] { line_->cancelled = true; });
    }
    void Purge() override {
        line_->Locked([this] { line_->purged = true; });
    }

private:
    std::shared_ptr<FakeLine> line_;
};

// A component whose handle creation gives a fake device (or fails, when asked to).
class FakeComm : public TComm {
public:
    std::shared_ptr<FakeLine> line = std::make_shared<FakeLine>();
    int failOpenWith = 0;  // errno for "Error accessing specified device"
    int opens = 0;

protected:
    std::unique_ptr<CommDevice> CreateHandle() override {
        ++opens;
        if (failOpenWith) throw ECommError(kErrorAccessingDevice, failOpenWith);
        return std::make_unique<FakeCommDevice>(line);
    }
};

}  // namespace kestrova::testing
