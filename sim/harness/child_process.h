#pragma once
// Starting a program of this project as a child for a test or a benchmark, and always getting
// rid of it again: the child dies with its parent, every wait is bounded, and a child that does
// not stop when asked is killed.
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace harness {

// The ip command's "netns exec" prefix that runs a program inside a test network namespace.
std::vector<std::string> InNamespace(const std::string& ns, std::vector<std::string> command);

struct ProgramResult {
    bool started = false;
    bool timedOut = false;
    int exitCode = -1;  // -1 when killed by a signal
    std::string out;
    std::string err;
};

// Runs command[0] with the rest as its arguments, feeding it nothing, and collects its output.
// Killed after timeoutMs.
ProgramResult RunProgram(const std::vector<std::string>& command, unsigned timeoutMs);

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // Standard output comes back through a pipe (read it with WaitForLine); standard error goes
    // to a file that ErrorText reads.
    bool Start(const std::vector<std::string>& command, std::string& error);
    // Reads standard output until a line equal to `line` arrives. False on time-out or when
    // the child closes its output first.
    bool WaitForLine(const std::string& line, unsigned timeoutMs);
    // Reads standard output until done(all output so far) holds; false as WaitForLine.
    bool WaitForOutput(const std::function<bool(const std::string&)>& done, unsigned timeoutMs);
    // SIGTERM, up to timeoutMs for it to end, then SIGKILL; what it wrote until then is kept.
    // The exit code, -1 after a signal.
    int Stop(unsigned timeoutMs = 3000);
    bool Running() const { return pid_ > 0; }
    // For reading the child's /proc entries; -1 once it has ended.
    pid_t Pid() const { return pid_; }
    std::string ErrorText() const;
    const std::string& OutputText() const { return output_; }

private:
    pid_t pid_ = -1;
    int outputFd_ = -1;
    std::string errorPath_;
    std::string output_;
};

}  // namespace harness
