#include "platform/instance_lock.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

std::string InstanceLock::LockFilePath(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime != nullptr && *runtime != '\0' ? runtime : "/tmp";
    return folder + "/" + name + "." + std::to_string(getuid()) + ".lock";
}

bool InstanceLock::Acquire(const std::string& name) {
    Release();
    // Never through a link: another user could plant one in a shared /tmp.
    const int fd = open(LockFilePath(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release() {
    if (fd_ < 0) return;
    close(fd_);  // closing drops the lock
    fd_ = -1;
}

InstanceLock::~InstanceLock() { Release(); }

}  // namespace platform
