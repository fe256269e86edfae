#pragma once

namespace kestrova {

// The whole line state of a terminal as its driver holds it, speeds without a constant
// included (the kernel's termios2, kept as bytes: its header clashes with the C library's).
struct LineSettings {
    alignas(8) unsigned char raw[64] = {};
};

// 0 or errno.
int GetLineSettings(int fd, LineSettings& saved);
int SetLineSettings(int fd, const LineSettings& saved);

}  // namespace kestrova
