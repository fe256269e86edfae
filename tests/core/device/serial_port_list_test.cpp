#include "core/device/serial_port_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/temp_dir.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

// A tty class directory as the kernel shows it: entries with a device bound to a driver, a UART
// type for serial-core ports, and virtual terminals without a device.
class FakeTtyClass {
public:
    FakeTtyClass() { fs::create_directories(dir.path() + "/drivers/port"); }
    void Port(const std::string& name, const std::string& uartType = "") {
        fs::create_directories(dir / name + "/device");
        fs::create_directory_symlink(dir.path() + "/drivers/port", dir / name + "/device/driver");
        if (!uartType.empty()) testing::WriteText(dir / name + "/type", uartType + "\n");
    }
    void Terminal(const std::string& name) { fs::create_directories(dir / name); }
    std::string path() const { return dir.path(); }

private:
    testing::TempDir dir;
};

TEST(SerialPortList, PresentPortsInAscendingOrder) {
    FakeTtyClass tty;
    tty.Port("ttyUSB10");
    tty.Port("ttyS1", "4");
    tty.Port("ttyUSB2");
    tty.Port("ttyS0", "0");  // no UART answered
    tty.Port("ttyS3");       // a serial-core port without a type
    tty.Port("ttyS10", "4");
    tty.Port("ttyACM0");
    tty.Port("ttyS2", "4");
    tty.Terminal("tty1");
    tty.Terminal("console");
    EXPECT_EQ(ListSerialPorts(tty.path()),
              (std::vector<std::string>{"ttyACM0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB2", "ttyUSB10"}));
    EXPECT_TRUE(ListSerialPorts(tty.path() + "/missing").empty());
}

TEST(SerialPortList, NamesWithAndWithoutANumber) {
    std::vector<std::string> names{"ttyS10", "ttyS9", "ttyAMA0", "ttyS", "rfcomm0"};
    std::sort(names.begin(), names.end(), PortNameLess);
    EXPECT_EQ(names, (std::vector<std::string>{"rfcomm0", "ttyAMA0", "ttyS", "ttyS9", "ttyS10"}));
}

}  // namespace
}  // namespace kestrova
