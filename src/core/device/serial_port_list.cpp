#include "core/device/serial_port_list.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <tuple>

namespace kestrova {

namespace {

// "ttyUSB12" -> ("ttyUSB", 12, true); a name without a trailing number has no number.
std::tuple<std::string, unsigned long long, bool> SplitPortName(const std::string& name) {
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
    const std::string number = name.substr(digits);
    if (number.empty() || number.size() > 18) return {name, 0, false};
    return {name.substr(0, digits), std::stoull(number), true};
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Serial-core ports report their UART type; 0 means no UART answered at that address.
bool HasUart(const std::string& entry) {
    std::ifstream in(entry + "/type");
    long type = 0;
    return in >> type && type != 0;
}

}  // namespace

bool PortNameLess(const std::string& left, const std::string& right) {
    const auto [leftName, leftNumber, leftHasNumber] = SplitPortName(left);
    const auto [rightName, rightNumber, rightHasNumber] = SplitPortName(right);
    if (leftName != rightName) return leftName < rightName;
    if (leftHasNumber != rightHasNumber) return !leftHasNumber;
    if (leftNumber != rightNumber) return leftNumber < rightNumber;
    return left < right;
}

std::vector<std::string> ListSerialPorts(const std::string& classDirectory) {
    std::vector<std::string> ports;
    DIR* directory = ::opendir(classDirectory.c_str());
    if (!directory) return ports;
    while (const dirent* item = ::readdir(directory)) {
        const std::string name = item->d_name;
        if (name == "." || name == "..") continue;
        const std::string entry = classDirectory + "/" + name;
        if (!Exists(entry + "/device/driver")) continue;
        if (name.rfind("ttyS", 0) == 0 && !HasUart(entry)) continue;
        ports.push_back(name);
    }
    ::closedir(directory);
    std::sort(ports.begin(), ports.end(), PortNameLess);
    return ports;
}

std::string PortDevicePath(const std::string& item) { return "/dev/" + item; }

}  // namespace kestrova
