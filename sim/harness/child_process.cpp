#include "sim/harness/child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace harness {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// In the child after fork: die with the parent, take the given descriptors as standard
// output and error, and become the program.
[[noreturn]] void BecomeProgram(const std::vector<std::string>& command, pid_t parent, int outputFd,
                                int errorFd) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing >= 0) dup2(nothing, STDIN_FILENO);
    dup2(outputFd, STDOUT_FILENO);
    dup2(errorFd, STDERR_FILENO);
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    std::fprintf(stderr, "cannot run %s: %s\n", argv[0], std::strerror(errno));
    _exit(127);
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// Waits for the child up to timeoutMs; kills it when it is still there. Its exit code.
int Reap(pid_t pid, unsigned timeoutMs, bool* timedOut = nullptr) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return ExitCodeOf(status);
        if (done < 0 && errno != EINTR) return -1;
        if (MillisecondsLeft(deadline) == 0) break;
        usleep(5000);
    }
    if (timedOut != nullptr) *timedOut = true;
    kill(pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return -1;
}

}  // namespace

std::vector<std::string> InNamespace(const std::string& ns, std::vector<std::string> command) {
    const char* ip = access("/usr/sbin/ip", X_OK) == 0 ? "/usr/sbin/ip"
                     : access("/sbin/ip", X_OK) == 0   ? "/sbin/ip"
                                                       : "ip";
    command.insert(command.begin(), {ip, "netns", "exec", ns});
    return command;
}

ProgramResult RunProgram(const std::vector<std::string>& command, unsigned timeoutMs) {
    ProgramResult result;
    int outputPipe[2];
    int errorPipe[2];
    if (command.empty() || pipe2(outputPipe, O_CLOEXEC) != 0) return result;
    if (pipe2(errorPipe, O_CLOEXEC) != 0) {
        close(outputPipe[0]);
        close(outputPipe[1]);
        return result;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) BecomeProgram(command, parent, outputPipe[1], errorPipe[1]);
    close(outputPipe[1]);
    close(errorPipe[1]);
    if (pid < 0) {
        close(outputPipe[0]);
        close(errorPipe[0]);
        return result;
    }
    result.started = true;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd streams[2] = {{outputPipe[0], POLLIN, 0}, {errorPipe[0], POLLIN, 0}};
    std::string* texts[2] = {&result.out, &result.err};
    while ((streams[0].fd >= 0 || streams[1].fd >= 0) && MillisecondsLeft(deadline) > 0) {
        if (poll(streams, 2, MillisecondsLeft(deadline)) < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (streams[i].fd < 0 || streams[i].revents == 0) continue;
            char chunk[4096];
            const ssize_t got = read(streams[i].fd, chunk, sizeof chunk);
            if (got > 0) {
                texts[i]->append(chunk, static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                close(streams[i].fd);
                streams[i].fd = -1;
            }
        }
    }
    for (const pollfd& stream : streams)
        if (stream.fd >= 0) close(stream.fd);
    const auto left = static_cast<unsigned>(MillisecondsLeft(deadline));
    result.exitCode = Reap(pid, left, &result.timedOut);
    return result;
}

ChildProcess::~ChildProcess() {
    Stop();
    if (!errorPath_.empty()) unlink(errorPath_.c_str());
}

bool ChildProcess::Start(const std::vector<std::string>& command, std::string& error) {
    if (Running() || command.empty()) {
        error = "nothing to start, or already running";
        return false;
    }
    char errorPath[] = "/tmp/vantrel-child-stderr-XXXXXX";
    const int errorFd = mkostemp(errorPath, O_CLOEXEC);
    int outputPipe[2];
    if (errorFd < 0 || pipe2(outputPipe, O_CLOEXEC) != 0) {
        error = std::string("cannot prepare the child's output: ") + std::strerror(errno);
        if (errorFd >= 0) {
            close(errorFd);
            unlink(errorPath);
        }
        return false;
    }
    if (!errorPath_.empty()) unlink(errorPath_.c_str());
    errorPath_ = errorPath;
    output_.clear();
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) BecomeProgram(command, parent, outputPipe[1], errorFd);
    close(outputPipe[1]);
    close(errorFd);
    if (pid < 0) {
        close(outputPipe[0]);
        error = std::string("cannot start a child: ") + std::strerror(errno);
        return false;
    }
    pid_ = pid;
    outputFd_ = outputPipe[0];
    return true;
}

bool ChildProcess::WaitForLine(const std::string& line, unsigned timeoutMs) {
    const std::string wanted = line + "\n";
    return WaitForOutput(
        [&](const std::string& output) {
            return output.compare(0, wanted.size(), wanted) == 0 ||
                   output.find("\n" + wanted) != std::string::npos;
        },
        timeoutMs);
}

bool ChildProcess::WaitForOutput(const std::function<bool(const std::string&)>& done,
                                 unsigned timeoutMs) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done(output_)) return true;
        const int left = MillisecondsLeft(deadline);
        if (outputFd_ < 0 || left == 0) return false;
        pollfd stream{outputFd_, POLLIN, 0};
        const int ready = poll(&stream, 1, left);
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        char chunk[1024];
        const ssize_t got = read(outputFd_, chunk, sizeof chunk);
        if (got > 0) {
            output_.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            close(outputFd_);
            outputFd_ = -1;
        }
    }
}

int ChildProcess::Stop(unsigned timeoutMs) {
    int code = -1;
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        code = Reap(pid_, timeoutMs);
        pid_ = -1;
    }
    // What the child wrote before it ended stays readable in OutputText.
    while (outputFd_ >= 0) {
        pollfd stream{outputFd_, POLLIN, 0};
        char chunk[1024];
        const ssize_t got = poll(&stream, 1, 0) > 0 ? read(outputFd_, chunk, sizeof chunk) : 0;
        if (got <= 0) break;
        output_.append(chunk, static_cast<std::size_t>(got));
    }
    if (outputFd_ >= 0) {
        close(outputFd_);
        outputFd_ = -1;
    }
    return code;
}

std::string ChildProcess::ErrorText() const {
    if (errorPath_.empty()) return {};
    std::ifstream file(errorPath_);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

}  // namespace harness
