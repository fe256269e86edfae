#pragma once

#include <optional>
#include <string>

#include "core/device/serial_port.h"

namespace kestrova {

inline constexpr const char* kPortCannotOpen = "Error!! Com Port cannot be open.";
inline constexpr const char* kSelectOnePort = "Select one port.";

// The port test of the update dialog: "Connect" opens the chosen port and raises DTR, "Next"
// needs a connected port and closes it again so the updater can take it.
class UpdateDeviceSession {
public:
    explicit UpdateDeviceSession(TCustomComm& comm) : comm_(comm) {}

    // The dialog is shown: not connected.
    void Reset() { connected_ = false; }
    // Closes the port, opens the item's device and raises DTR. The error box text on failure;
    // a port that opened before DTR failed stays open until the next Connect, Next or close.
    std::optional<std::string> Connect(const std::string& portItem);
    // The error box text when not connected; otherwise closes the port.
    std::optional<std::string> Next();
    // Closes the port; a failure is of no interest here.
    void ClosePort();
    bool Connected() const { return connected_; }

private:
    TCustomComm& comm_;
    bool connected_ = false;
};

}  // namespace kestrova
