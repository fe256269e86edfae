#pragma once

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "core/device/serial_port.h"

namespace kestrova::testing {

// A serial device the test drives: line events are pushed by the test and returned by WaitEvent
// on the watcher's thread. Its state lives in a shared record that outlives the device, so a test
// can look at it after Close (the device object itself is gone, so a late use shows under ASan).
struct FakeLine {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::uint32_t> events;
    bool cancelled = false;
    bool waiting = false;
    bool purged = false;
    int devices = 0;  // devices alive
    int dispatchRequests = 0;
    std::uint32_t mask = 0;
    std::uint32_t inQueue = 0;
    std::uint32_t errors = 0;
    int escapeError = 0;
    std::vector<EscapeCode> escapes;
    CommControlBlock block;

    void Push(std::uint32_t event) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(event);
        changed.notify_all();
    }
    void NoteDispatchRequest() {
        std::lock_guard<std::mutex> lock(mutex);
        ++dispatchRequests;
        changed.notify_all();
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
        std::lock_guard<std::mutex> lock(line_->mutex);
        ++line_->devices;
        line_->cancelled = false;
        line_->purged = false;
    }
    ~FakeCommDevice() override {
        std::lock_guard<std::mutex> lock(line_->mutex);
        --line_->devices;
        line_->changed.notify_all();
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
        std::lock_guard<std::mutex> lock(line_->mutex);
        CommStatus status;
        status.errors = line_->errors;
        status.inQueue = line_->inQueue;
        line_->errors = 0;
        return status;
    }
    void SetMask(std::uint32_t mask) override {
        std::lock_guard<std::mutex> lock(line_->mutex);
        line_->mask = mask;
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
        std::lock_guard<std::mutex> lock(line_->mutex);
        line_->cancelled = true;
        line_->changed.notify_all();
    }
    void Purge() override {
        std::lock_guard<std::mutex> lock(line_->mutex);
        line_->purged = true;
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
