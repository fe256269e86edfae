#pragma once

#include <string>
#include <vector>

namespace kestrova {

// The serial ports present, as list items (device names such as ttyUSB0), in ascending order:
// every entry of the tty class directory whose device is bound to a driver, serial-core ports
// (ttyS) only when a UART was found for them.
std::vector<std::string> ListSerialPorts(const std::string& classDirectory = "/sys/class/tty");

// Ascending port order: by name, then by port number ("ttyS2" before "ttyS10").
bool PortNameLess(const std::string& left, const std::string& right);

// The device path of a list item.
std::string PortDevicePath(const std::string& item);

}  // namespace kestrova
