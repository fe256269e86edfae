#pragma once

#include <stdexcept>
#include <string>

namespace kestrova {

// A failure the user must read: its message is the text shown, as it stands.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text of errno as the system gives it ("No such file or directory").
std::string SystemReason(int errorNumber);

// A value a message echoes (a cell, a name read from a file): at most kMaxEchoedCharacters
// characters, a longer one cut there and followed by "...", so that one absurd value cannot
// fill a message box or a terminal. Characters are UTF-8 sequences, never split.
inline constexpr size_t kMaxEchoedCharacters = 80;
std::string EchoedText(const std::string& value);

}  // namespace kestrova
