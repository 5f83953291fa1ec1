#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A named guard that only one process of the user can hold at a time, like a named mutex:
// an advisory lock on a per-user lock file (on Windows the named mutex itself, "Local\" to the
// user's session, beside a file that carries the published line), dropped by the system when the
// holder exits or crashes. Held until the object is destroyed.
//
// The lock file lives only in a folder of this user's that nobody else may write, so another
// local user can neither take the name first nor plant a file or link in its place.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another process holds the guard, or when the lock file cannot be made
    // (treated the same as a running copy).
    bool Acquire(const std::string& name);
    void Release();
    bool Held() const { return handle_ != kNotHeld; }

    // Replaces the one line of text that the holder shows to whoever asks (see ReadHolder).
    // False when the guard is not held or the text cannot be written.
    bool Publish(std::string_view note);

    // Whether some holder has the guard of that name right now. note gets the holder's
    // published line, or nullopt while it has not finished publishing one.
    static bool ReadHolder(const std::string& name, std::optional<std::string>& note);

    // The private folder of lock files: $XDG_RUNTIME_DIR when it is a folder this user owns
    // and nobody else may write, else ~/.cache/vantrel (made 0700 when missing, and refused
    // when it is not private); on Windows %LOCALAPPDATA%\vantrel. The empty text when there is
    // no such folder.
    static std::string LockFolder();
    // LockFolder()/NAME.lock, or the empty text without a folder.
    static std::string LockFilePath(const std::string& name);

private:
    static constexpr std::intptr_t kNotHeld = -1;
    // The lock file's descriptor, or on Windows the mutex's handle.
    std::intptr_t handle_ = kNotHeld;
    std::string name_;  // on Windows the note's file is found again by the name
};

}  // namespace platform
