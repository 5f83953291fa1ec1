#include "platform/paths.h"

#include <windows.h>

#include <cstdlib>

#include "platform/windows/wide_text.h"

namespace platform {

using windows::Narrow;
using windows::Widen;

std::string ExecutablePath() {
    std::wstring buffer(MAX_PATH, L'\0');
    // A longer path than the buffer is cut and reported as a full buffer: grow until it fits.
    for (int attempt = 0; attempt < 6; ++attempt) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return Narrow(std::wstring_view(buffer.data(), length));
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

bool IsFolder(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder's access list decides, which only the system can read: a file is made and removed
// at once to ask it.
bool FolderWritable(const std::string& folder) {
    if (!IsFolder(folder)) return false;
    const std::wstring probe =
        Widen(folder) + L"\\.vantrel-write-probe-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

// An elevated process, which as root on Linux may write every folder.
bool RunsAsAdministrator() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD length = 0;
    const bool elevated =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &length) &&
        elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

std::string EnvironmentValue(const char* name) {
    const wchar_t* value = _wgetenv(Widen(name).c_str());
    return value == nullptr ? std::string() : Narrow(value);
}

std::string HomeFolder() { return EnvironmentValue("USERPROFILE"); }

std::string ConfigHomeFolder() { return EnvironmentValue("APPDATA"); }

// A new folder under the user's profile inherits its access list, which admits only the user
// (and the system's administrators), so no mode needs to be set.
bool MakePrivateFolder(const std::string& folder) {
    if (folder.empty()) return false;
    const std::wstring wide = Widen(folder);
    // Each prefix ending before a separator, then the whole path; a drive ("C:") or a share's
    // root ("\\server\share") is no folder to make.
    for (std::size_t end = wide.find_first_of(L"\\/", 1);;
         end = wide.find_first_of(L"\\/", end + 1)) {
        const std::wstring prefix = wide.substr(0, end);
        const bool root =
            prefix.size() <= 2 || prefix.back() == L':' || prefix.starts_with(L"\\\\");
        if (!root && !CreateDirectoryW(prefix.c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (end == std::wstring::npos) break;
    }
    return IsFolder(folder);
}

}  // namespace platform
