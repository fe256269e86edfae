#pragma once

#include <memory>
#include <string>

#include "core/device/serial_port.h"

namespace kestrova {

// Opens a serial device for the component: read and write, exclusive (TIOCEXCL and an advisory
// lock, so a port another program holds is refused), non-blocking, not inherited by programs the
// tool starts. Throws ECommError "Error accessing specified device" with errno when the open
// fails, and "Invalid device handle, access denied" (-1) when the path is not a character device.
std::unique_ptr<CommDevice> OpenTermiosDevice(const std::string& path);

// Sets a line speed that has no termios constant (0 or errno).
int SetCustomSpeed(int fd, std::uint32_t baudRate);

}  // namespace kestrova
