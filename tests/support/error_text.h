#pragma once

#include "core/project/error.h"

#include <string>

namespace kestrova::testing {

// The message of the Error the action throws, or "" when it throws none.
template <class Action>
std::string ErrorText(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.what();
    }
    return "";
}

}  // namespace kestrova::testing
