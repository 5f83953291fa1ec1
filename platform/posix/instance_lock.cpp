#include "platform/instance_lock.h"
#include "platform/instance_note.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

namespace {

// The folder, opened, when it is a real folder (not a link) that this user owns and nobody
// else may write; -1 otherwise. Checked on the open folder itself, so it cannot be swapped
// between the check and the use.
int OpenPrivateFolder(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_uid != geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return {};
}

// Opens the lock folder (see LockFolder) and names it in path; -1 when there is none. The
// fallback folder is made only when create is set: a reader has nothing to find in a new one.
int OpenLockFolder(bool create, std::string& path) {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime != '\0') {
        if (const int fd = OpenPrivateFolder(runtime); fd >= 0) {
            path = runtime;
            return fd;
        }
    }
    const std::string home = HomeFolder();
    if (home.empty() || home.front() != '/') return -1;
    const std::string cache = home + "/.cache";
    const std::string folder = cache + "/vantrel";
    if (create) {
        // Either may exist already; the check below decides.
        mkdir(cache.c_str(), 0700);
        mkdir(folder.c_str(), 0700);
    }
    const int fd = OpenPrivateFolder(folder);
    if (fd >= 0) path = folder;
    return fd;
}

// Opens NAME.lock inside the lock folder with these flags; -1 when the name could leave the
// folder, there is no folder, or the file cannot be opened.
int OpenLockFile(const std::string& name, int flags, bool createFolder) {
    if (name.empty() || name.find('/') != std::string::npos) return -1;
    std::string folder;
    const int dir = OpenLockFolder(createFolder, folder);
    if (dir < 0) return -1;
    // Never through a link, even in a private folder.
    const int fd = openat(dir, (name + ".lock").c_str(), flags | O_CLOEXEC | O_NOFOLLOW, 0600);
    close(dir);
    return fd;
}

// Open-file-description locks: like flock they belong to the open file, not to the process,
// and unlike flock another process can ask whether one is held without taking it.
struct flock WholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

std::string ReadSmallFile(int fd) {
    std::string text;
    char chunk[4096];
    while (text.size() <= kMostNoteBytes) {
        const ssize_t got = pread(fd, chunk, sizeof chunk, static_cast<off_t>(text.size()));
        if (got <= 0) break;
        text.append(chunk, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace

std::string InstanceLock::LockFolder() {
    std::string folder;
    const int dir = OpenLockFolder(true, folder);
    if (dir < 0) return {};
    close(dir);
    return folder;
}

std::string InstanceLock::LockFilePath(const std::string& name) {
    const std::string folder = LockFolder();
    return folder.empty() ? folder : folder + "/" + name + ".lock";
}

bool InstanceLock::Acquire(const std::string& name) {
    Release();
    const int fd = OpenLockFile(name, O_RDWR | O_CREAT, true);
    if (fd < 0) return false;
    struct flock lock = WholeFile(F_WRLCK);
    if (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        close(fd);
        return false;
    }
    handle_ = fd;
    // Whatever an earlier holder published is not this holder's word; until this one publishes,
    // a reader sees no whole line and knows nothing yet.
    if (ftruncate(fd, 0) != 0) {
        Release();
        return false;
    }
    return true;
}

bool InstanceLock::Publish(std::string_view note) {
    if (handle_ == kNotHeld) return false;
    const std::string line = NoteLine(note);
    if (ftruncate(static_cast<int>(handle_), 0) != 0) return false;
    return pwrite(static_cast<int>(handle_), line.data(), line.size(), 0) ==
           static_cast<ssize_t>(line.size());
}

bool InstanceLock::ReadHolder(const std::string& name, std::optional<std::string>& note) {
    note.reset();
    // Non-blocking, so a reader never hangs on something that is not a plain file.
    const int fd = OpenLockFile(name, O_RDONLY | O_NONBLOCK, false);
    if (fd < 0) return false;  // no lock file: nobody ever held it here
    struct flock probe = WholeFile(F_RDLCK);
    // A lock that cannot be asked about counts as held: the caller then stays careful.
    const bool held = fcntl(fd, F_OFD_GETLK, &probe) != 0 || probe.l_type != F_UNLCK;
    if (held) {
        note = NoteOfLine(ReadSmallFile(fd));
    }
    close(fd);
    return held;
}

void InstanceLock::Release() {
    if (handle_ == kNotHeld) return;
    close(static_cast<int>(handle_));  // closing drops the lock
    handle_ = kNotHeld;
}

InstanceLock::~InstanceLock() { Release(); }

}  // namespace platform
