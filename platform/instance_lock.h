#pragma once
#include <string>

namespace platform {

// A named guard that only one process of the user can hold at a time, like a named mutex:
// an advisory lock on a per-user lock file, dropped by the system when the holder exits or
// crashes. Held until the object is destroyed.
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
    bool Held() const { return fd_ >= 0; }

    // Where the lock file of that name lives: $XDG_RUNTIME_DIR, else /tmp, with the user id.
    static std::string LockFilePath(const std::string& name);

private:
    int fd_ = -1;
};

}  // namespace platform
