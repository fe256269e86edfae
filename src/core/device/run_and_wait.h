#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace kestrova {

// Splits a parameter text into arguments by the Windows command-line rules: blanks and tabs
// separate arguments except inside quotation marks; 2n backslashes before a quotation mark give
// n backslashes and the mark opens or closes quoting; 2n+1 give n backslashes and a literal
// mark; other backslashes are literal; a doubled mark inside quoting is a literal mark.
std::vector<std::string> SplitCommandLine(const std::string& text);

struct RunOutcome {
    enum class State {
        NotStarted,    // `error` holds the system's error code
        Exited,        // `code` holds the exit status
        Signalled,     // `code` holds the signal that ended it
        StillRunning,  // the time limit passed; the program is left running as `pid` (not to be waited for)
    };
    State state = State::NotStarted;
    int code = 0;
    int error = 0;
    pid_t pid = 0;
};

inline constexpr std::chrono::milliseconds kRunAndWaitLimit{150000};
inline constexpr std::chrono::milliseconds kRunAndWaitPoll{10};

// Called about every 10 ms while waiting, with the time waited so far.
using WaitTick = std::function<void(std::chrono::milliseconds elapsed)>;

// Starts `program` with the arguments of `parameters` (split as above; the tool's working
// directory and environment) and waits until it ends or `limit` has passed, looking every 10 ms.
// `hide` asks for the program's window to be hidden; programs here open their own windows, so it
// changes nothing. A program left running is reaped as soon as it ends.
RunOutcome RunAndWait(const std::string& program, const std::string& parameters, bool hide,
                      std::chrono::milliseconds limit = kRunAndWaitLimit, const WaitTick& tick = {});

// Starts `program` as RunAndWait does but does not wait: NotStarted with the error, or
// StillRunning with its pid. It is reaped once it ends.
RunOutcome StartProgram(const std::string& program, const std::string& parameters);

}  // namespace kestrova
