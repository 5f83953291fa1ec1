#include "platform/append_file.h"

#include <windows.h>

#include "platform/windows/wide_text.h"

namespace platform {

// No sharing for writers while it is open (readers may look): another writer that plays by the
// same rule fails to open it, as flock refuses it on Linux.
bool AppendExclusive(const std::string& path, std::string_view text) {
    if (path.empty()) return false;
    const HANDLE file = CreateFileW(windows::Widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = true;
    std::size_t done = 0;
    while (done < text.size()) {
        DWORD count = 0;
        if (!WriteFile(file, text.data() + done, static_cast<DWORD>(text.size() - done), &count,
                       nullptr) ||
            count == 0) {
            written = false;
            break;
        }
        done += count;
    }
    CloseHandle(file);
    return written;
}

}  // namespace platform
