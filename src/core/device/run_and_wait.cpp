#include "core/device/run_and_wait.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace kestrova {

namespace {

// A program left running past its limit is waited for on a thread of its own, so it is
// reaped as soon as it ends and never lingers as a zombie.
void Abandon(pid_t pid) {
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// Starts the program with the arguments of the parameter text; 0 or the system's error code.
int Spawn(const std::string& program, const std::string& parameters, pid_t& pid) {
    std::vector<std::string> arguments = SplitCommandLine(parameters);
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return ::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& text) {
    std::vector<std::string> arguments;
    const size_t size = text.size();
    size_t i = 0;
    for (;;) {
        while (i < size && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= size) break;
        std::string argument;
        bool quoted = false;
        while (i < size) {
            const char c = text[i];
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                size_t end = i;
                while (end < size && text[end] == '\\') ++end;
                const size_t count = end - i;
                if (end < size && text[end] == '"') {
                    argument.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        argument += '"';
                        i = end + 1;
                    } else {
                        i = end;  // the mark opens or closes quoting
                    }
                } else {
                    argument.append(count, '\\');
                    i = end;
                }
            } else if (c == '"') {
                if (quoted && i + 1 < size && text[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += c;
                ++i;
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

RunOutcome RunAndWait(const std::string& program, const std::string& parameters, bool hide,
                      std::chrono::milliseconds limit, const WaitTick& tick) {
    (void)hide;

    RunOutcome outcome;
    pid_t pid = 0;
    if (const int error = Spawn(program, parameters, pid)) {
        outcome.error = error;
        return outcome;
    }

    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        int status = 0;
        const pid_t result = ::waitpid(pid, &status, WNOHANG);
        if (result == pid) {
            if (WIFSIGNALED(status)) {
                outcome.state = RunOutcome::State::Signalled;
                outcome.code = WTERMSIG(status);
            } else {
                outcome.state = RunOutcome::State::Exited;
                outcome.code = WEXITSTATUS(status);
            }
            return outcome;
        }
        if (result < 0 && errno != EINTR) {  // reaped elsewhere: it has ended, its status is gone
            outcome.state = RunOutcome::State::Exited;
            return outcome;
        }
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        if (elapsed >= limit) {
            Abandon(pid);
            outcome.state = RunOutcome::State::StillRunning;
            outcome.pid = pid;
            return outcome;
        }
        if (tick) tick(elapsed);
        std::this_thread::sleep_for(kRunAndWaitPoll);
    }
}

RunOutcome StartProgram(const std::string& program, const std::string& parameters) {
    RunOutcome outcome;
    pid_t pid = 0;
    if (const int error = Spawn(program, parameters, pid)) {
        outcome.error = error;
        return outcome;
    }
    outcome.state = RunOutcome::State::StillRunning;
    outcome.pid = pid;
    std::thread reaper([pid] {  // reaps it whenever it ends
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    });
    reaper.detach();
    return outcome;
}

}  // namespace kestrova
