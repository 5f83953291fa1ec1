// Running a program of this project from a test built for Windows: CreateProcessW with its
// output and error read through pipes, bounded in time like the Linux RunProgram.
#include <windows.h>

#include <thread>

#include "platform/windows/wide_text.h"
#include "sim/harness/child_process.h"
#include "sim/harness/modsim_process.h"

namespace harness {

namespace {

constexpr DWORD kEndAfterTerminateMs = 5000;

// One argument as the C runtime of the program will split it again: quoted, with a quote
// escaped and the backslashes before a quote or the closing quote doubled.
std::wstring QuotedArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

// A build path as the build names it. Under Wine that is a Linux path, which Windows would
// take as one on the current drive: Wine's Z: drive is the Linux root.
std::wstring ProgramPath(const std::string& path) {
    return platform::windows::Widen(!path.empty() && path[0] == '/' ? "Z:" + path : path);
}

// Windows console programs end their lines with CR LF; the tests read them as Linux prints them.
std::string WithLinuxLineEnds(const std::string& text) {
    std::string lines;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') lines += text[i];
    return lines;
}

void ReadUntilClosed(HANDLE pipe, std::string& text) {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
}

}  // namespace

std::string CliPath() { return VANTREL_CLI_PATH; }

ProgramResult RunProgram(const std::vector<std::string>& command, unsigned timeoutMs) {
    ProgramResult result;
    if (command.empty()) return result;
    std::wstring line = QuotedArgument(ProgramPath(command[0]));
    for (std::size_t i = 1; i < command.size(); ++i)
        line += L" " + QuotedArgument(platform::windows::Widen(command[i]));

    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE output[2] = {nullptr, nullptr};  // read end, write end
    HANDLE error[2] = {nullptr, nullptr};
    HANDLE nothing = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 &inherited, OPEN_EXISTING, 0, nullptr);
    const bool piped = nothing != INVALID_HANDLE_VALUE &&
                       CreatePipe(&output[0], &output[1], &inherited, 0) &&
                       CreatePipe(&error[0], &error[1], &inherited, 0) &&
                       SetHandleInformation(output[0], HANDLE_FLAG_INHERIT, 0) &&
                       SetHandleInformation(error[0], HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nothing;
    startup.hStdOutput = output[1];
    startup.hStdError = error[1];
    PROCESS_INFORMATION process{};
    result.started =
        piped && CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                nullptr, nullptr, &startup, &process);
    // Only the child holds the write ends now, so the reads end when it does.
    for (HANDLE handle : {nothing, output[1], error[1]})
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    if (result.started) {
        std::thread outputReader(ReadUntilClosed, output[0], std::ref(result.out));
        std::thread errorReader(ReadUntilClosed, error[0], std::ref(result.err));
        if (WaitForSingleObject(process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            result.timedOut = true;
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, kEndAfterTerminateMs);
        }
        outputReader.join();
        errorReader.join();
        DWORD exitCode = 0;
        if (!result.timedOut && GetExitCodeProcess(process.hProcess, &exitCode))
            result.exitCode = static_cast<int>(exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        result.out = WithLinuxLineEnds(result.out);
        result.err = WithLinuxLineEnds(result.err);
    }
    for (HANDLE handle : {output[0], error[0]})
        if (handle != nullptr) CloseHandle(handle);
    return result;
}

}  // namespace harness
