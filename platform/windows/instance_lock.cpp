#include "platform/instance_lock.h"
#include "platform/instance_note.h"

#include <windows.h>

#include "platform/file_store.h"
#include "platform/paths.h"
#include "platform/windows/wide_text.h"

namespace platform {

namespace {

bool ValidName(const std::string& name) {
    return !name.empty() && name.find_first_of("\\/:") == std::string::npos;
}

// "Local\": the user's own session, so another user's sessions neither see nor take the name.
std::wstring MutexName(const std::string& name) {
    return L"Local\\vantrel-" + windows::Widen(name);
}

HANDLE AsHandle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }

}  // namespace

// %LOCALAPPDATA%\vantrel: under the user's profile, whose access list admits only the user.
std::string InstanceLock::LockFolder() {
    const std::string local = EnvironmentValue("LOCALAPPDATA");
    if (local.empty()) return {};
    const std::string folder = local + "\\vantrel";
    return MakePrivateFolder(folder) ? folder : std::string();
}

std::string InstanceLock::LockFilePath(const std::string& name) {
    const std::string folder = LockFolder();
    return folder.empty() || !ValidName(name) ? std::string() : folder + "\\" + name + ".lock";
}

bool InstanceLock::Acquire(const std::string& name) {
    Release();
    if (!ValidName(name)) return false;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(name).c_str());
    if (mutex == nullptr) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
    name_ = name;
    // Whatever an earlier holder published is not this holder's word; until this one publishes,
    // a reader sees no whole line and knows nothing yet.
    const std::string path = LockFilePath(name);
    FileStamp stamp;
    if (path.empty() || !ReplaceFileAtomically(path, "", stamp)) {
        Release();
        return false;
    }
    return true;
}

bool InstanceLock::Publish(std::string_view note) {
    if (handle_ == kNotHeld) return false;
    FileStamp stamp;
    const std::string path = LockFilePath(name_);
    return !path.empty() && ReplaceFileAtomically(path, NoteLine(note), stamp);
}

bool InstanceLock::ReadHolder(const std::string& name, std::optional<std::string>& note) {
    note.reset();
    if (!ValidName(name)) return false;
    const HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, MutexName(name).c_str());
    // A mutex that exists but may not be opened belongs to a holder all the same.
    const bool held = mutex != nullptr || GetLastError() == ERROR_ACCESS_DENIED;
    if (mutex != nullptr) CloseHandle(mutex);
    if (!held) return false;
    std::string text;
    FileStamp stamp;
    const std::string path = LockFilePath(name);
    if (!path.empty() && ReadRegularFile(path, kMostNoteBytes, text, stamp) == FileRead::kOk)
        note = NoteOfLine(std::move(text));
    return true;
}

void InstanceLock::Release() {
    if (handle_ == kNotHeld) return;
    CloseHandle(AsHandle(handle_));  // the last handle closed removes the name
    handle_ = kNotHeld;
}

InstanceLock::~InstanceLock() { Release(); }

}  // namespace platform
