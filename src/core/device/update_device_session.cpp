#include "core/device/update_device_session.h"

#include "core/device/serial_port_list.h"

namespace kestrova {

std::optional<std::string> UpdateDeviceSession::Connect(const std::string& portItem) {
    connected_ = false;
    ClosePort();
    if (portItem.empty()) return std::string(kPortCannotOpen);  // no port in the list
    try {
        comm_.SetDeviceName(PortDevicePath(portItem));
        comm_.Open();
        comm_.SetDTR(true);
    } catch (const std::exception&) {
        return std::string(kPortCannotOpen);
    }
    connected_ = true;
    return std::nullopt;
}

std::optional<std::string> UpdateDeviceSession::Next() {
    if (!connected_) return std::string(kSelectOnePort);
    ClosePort();
    return std::nullopt;
}

void UpdateDeviceSession::ClosePort() {
    try {
        comm_.Close();
    } catch (const std::exception&) {
    }
}

}  // namespace kestrova
