#include "platform/file_store.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "platform/bounded_read.h"
#include "platform/temporary_name.h"
#include "platform/windows/wide_text.h"

namespace platform {

namespace {

using windows::Narrow;
using windows::Widen;

// FILETIME counts 100 ns steps from 1601; the stamps count nanoseconds from 1970, as on Linux.
std::int64_t Nanoseconds(FILETIME time) {
    constexpr std::int64_t kFrom1601To1970 = 116444736000000000;
    const std::int64_t steps =
        (static_cast<std::int64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    return (steps - kFrom1601To1970) * 100;
}

FILETIME AsFileTime(LARGE_INTEGER value) {
    return FILETIME{value.LowPart, static_cast<DWORD>(value.HighPart)};
}

struct Handle {
    HANDLE value = INVALID_HANDLE_VALUE;
    explicit Handle(HANDLE opened) : value(opened) {}
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Open() const { return value != INVALID_HANDLE_VALUE; }
};

// Others may read, write, rename or delete the file while we look: it is theirs as much as ours.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HANDLE OpenForReading(const std::wstring& path, DWORD access) {
    // Backup semantics: a folder opens too, so it can be told apart from a file.
    return CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

FileStamp StampOf(HANDLE file) {
    FileStamp stamp;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO times{};
    if (!GetFileInformationByHandle(file, &info) ||
        !GetFileInformationByHandleEx(file, FileBasicInfo, &times, sizeof times)) {
        stamp.kind = FileKind::kError;
        return stamp;
    }
    const bool regular = GetFileType(file) == FILE_TYPE_DISK &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    stamp.kind = regular ? FileKind::kRegular : FileKind::kOther;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.size = (static_cast<std::int64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.mtimeNs = Nanoseconds(info.ftLastWriteTime);
    stamp.ctimeNs = Nanoseconds(AsFileTime(times.ChangeTime));
    return stamp;
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Where a write to path really lands: the target of a symbolic link, so the link survives.
bool ResolveWriteTarget(const std::wstring& path, std::wstring& target) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        target = path;
        return true;
    }
    const Handle file(OpenForReading(path, 0));
    if (!file.Open()) return false;  // a dangling link
    std::wstring resolved(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(file.value, resolved.data(),
                                             static_cast<DWORD>(resolved.size()), 0);
    if (length >= resolved.size()) {
        resolved.resize(length + 1);
        length = GetFinalPathNameByHandleW(file.value, resolved.data(),
                                           static_cast<DWORD>(resolved.size()), 0);
    }
    if (length == 0 || length >= resolved.size()) return false;
    resolved.resize(length);
    if (resolved.starts_with(L"\\\\?\\") && !resolved.starts_with(L"\\\\?\\UNC\\"))
        resolved.erase(0, 4);
    target = resolved;
    return true;
}

// As on Linux: the file is overwritten where it stands when the folder refuses a new file, with
// the room for the longer text reserved before the first byte changes.
bool RewriteInPlace(const std::wstring& target, std::string_view contents, FileStamp& newStamp) {
    const Handle file(CreateFileW(target.c_str(), GENERIC_WRITE | GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Open()) return false;
    LARGE_INTEGER oldSize{};
    if (!GetFileSizeEx(file.value, &oldSize)) return false;
    LARGE_INTEGER newSize{};
    newSize.QuadPart = static_cast<LONGLONG>(contents.size());
    auto cutAt = [&](LARGE_INTEGER size) {
        return SetFilePointerEx(file.value, size, nullptr, FILE_BEGIN) && SetEndOfFile(file.value);
    };
    if (newSize.QuadPart > oldSize.QuadPart && !cutAt(newSize)) {
        cutAt(oldSize);
        return false;
    }
    const LARGE_INTEGER start{};
    bool ok =
        SetFilePointerEx(file.value, start, nullptr, FILE_BEGIN) && WriteAll(file.value, contents);
    ok = ok && (newSize.QuadPart >= oldSize.QuadPart || cutAt(newSize)) &&
         FlushFileBuffers(file.value);
    if (ok) newStamp = StampOf(file.value);
    return ok;
}

// Ours (by name) whose writer is gone and that nobody touched for an hour are removed.
void RemoveStaleTemporaries(const std::wstring& target) {
    constexpr std::int64_t kStaleNs = 3600ll * 1000000000;
    const auto separator = target.find_last_of(L"\\/");
    const std::wstring folder =
        separator == std::wstring::npos ? L"." : target.substr(0, separator);
    const std::string targetName =
        Narrow(separator == std::wstring::npos ? target : target.substr(separator + 1));
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((target + L".tmp.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const unsigned long writer = temporary_name::WriterOf(Narrow(found.cFileName), targetName);
        if (writer == 0 || writer == GetCurrentProcessId()) continue;
        if (const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, writer)) {
            const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
            CloseHandle(process);
            if (running) continue;
        } else if (GetLastError() != ERROR_INVALID_PARAMETER) {
            continue;  // a process we may not look at keeps its file
        }
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            WallClockNs() - Nanoseconds(found.ftLastWriteTime) > kStaleNs)
            DeleteFileW((folder + L"\\" + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

FileStamp StatFile(const std::string& path) {
    FileStamp stamp;
    if (path.empty()) {
        stamp.kind = FileKind::kError;
        return stamp;
    }
    const Handle file(OpenForReading(Widen(path), FILE_READ_ATTRIBUTES));
    if (!file.Open()) {
        stamp.kind = Missing(GetLastError()) ? FileKind::kMissing : FileKind::kError;
        return stamp;
    }
    return StampOf(file.value);
}

FileRead ReadStatedFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                        FileStamp& stamp) {
    const Handle file(OpenForReading(Widen(path), GENERIC_READ));
    if (!file.Open()) return Missing(GetLastError()) ? FileRead::kMissing : FileRead::kUnreadable;
    stamp = StampOf(file.value);
    if (stamp.kind != FileKind::kRegular || static_cast<std::uint64_t>(stamp.size) > maxBytes)
        return FileRead::kUnreadable;
    return ReadWithin(static_cast<std::size_t>(stamp.size), maxBytes, contents,
                      [&file](char* into, std::size_t room) -> std::int64_t {
                          DWORD got = 0;
                          const auto most =
                              static_cast<DWORD>(std::min<std::size_t>(room, 1u << 30));
                          return ReadFile(file.value, into, most, &got, nullptr) ? got : -1;
                      });
}

bool ReplaceFileAtomically(const std::string& path, std::string_view contents,
                           FileStamp& newStamp) {
    std::wstring target;
    if (path.empty() || !ResolveWriteTarget(Widen(path), target)) return false;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool hadFile = attributes != INVALID_FILE_ATTRIBUTES;
    // Never replace a folder, nor a file the user made read-only.
    if (hadFile && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0)
        return false;

    static std::atomic<unsigned> counter{0};
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 16 && created == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = Widen(
            temporary_name::Beside(Narrow(target), GetCurrentProcessId(), counter.fetch_add(1)));
        created = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (created == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (created == INVALID_HANDLE_VALUE) {
        const bool folderRefused = GetLastError() == ERROR_ACCESS_DENIED;
        return hadFile && folderRefused && RewriteInPlace(target, contents, newStamp);
    }
    bool ok;
    {
        const Handle file(created);
        ok = WriteAll(file.value, contents) && FlushFileBuffers(file.value);
    }
    // ReplaceFileW keeps the old file's attributes and access list, as the Linux side keeps the
    // mode; a file that is not there yet is simply moved into place.
    ok = ok && ((hadFile && ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                         REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) ||
                MoveFileExW(temporary.c_str(), target.c_str(),
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    if (!ok) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    newStamp = StatFile(Narrow(target));
    RemoveStaleTemporaries(target);
    return true;
}

std::int64_t WallClockNs() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return Nanoseconds(now);
}

}  // namespace platform
