// Speeds without a termios constant go through the kernel's termios2 interface. Its header
// clashes with the C library's termios, so this file includes nothing else of the system.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "core/device/line_settings.h"

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace kestrova {

int SetCustomSpeed(int fd, std::uint32_t baudRate) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) return errno;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = baudRate;
    settings.c_ospeed = baudRate;
    if (ioctl(fd, TCSETS2, &settings) != 0) return errno;
    return 0;
}

static_assert(sizeof(termios2) <= sizeof(LineSettings::raw), "LineSettings holds a termios2");

int GetLineSettings(int fd, LineSettings& saved) {
    struct termios2 settings {};
    if (ioctl(fd, TCGETS2, &settings) != 0) return errno;
    std::memcpy(saved.raw, &settings, sizeof settings);
    return 0;
}

int SetLineSettings(int fd, const LineSettings& saved) {
    struct termios2 settings {};
    std::memcpy(&settings, saved.raw, sizeof settings);
    if (ioctl(fd, TCSETS2, &settings) != 0) return errno;
    return 0;
}

}  // namespace kestrova
