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

}  // namespace kestrova
