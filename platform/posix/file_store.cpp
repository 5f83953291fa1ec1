#include "platform/file_store.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/bounded_read.h"
#include "platform/temporary_name.h"

namespace platform {

namespace {

std::int64_t Nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileStamp StampOf(const struct stat& info) {
    FileStamp stamp;
    stamp.kind = S_ISREG(info.st_mode) ? FileKind::kRegular : FileKind::kOther;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.mtimeNs = Nanoseconds(info.st_mtim);
    stamp.ctimeNs = Nanoseconds(info.st_ctim);
    return stamp;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Where a write to path really lands: the target of a symbolic link, so the link survives.
bool ResolveWriteTarget(const std::string& path, std::string& target) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
        target = path;
        return true;
    }
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return false;  // a dangling link
    target = resolved;
    return true;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A name beside target that no other writer (thread or process) picks at the same time:
// "<target>.tmp.<process id>.<counter>".
int CreateTemporaryBeside(const std::string& target, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 16; ++attempt) {
        temporary = temporary_name::Beside(target, static_cast<unsigned long>(getpid()),
                                           counter.fetch_add(1));
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// For a folder that refuses the temporary file of an atomic replacement while the file itself
// may be written: the file is overwritten where it stands. Room for the longer text is reserved
// before the first byte changes, so a full disk (or a size limit) fails with the old file
// untouched; only a crash or an input/output error in the middle can leave a mix of both.
bool RewriteInPlace(const std::string& target, std::string_view contents, FileStamp& newStamp) {
    const int fd = open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat old {};
    bool ok = fstat(fd, &old) == 0 && S_ISREG(old.st_mode);
    const auto newSize = static_cast<off_t>(contents.size());
    if (ok && newSize > old.st_size && posix_fallocate(fd, 0, newSize) != 0) {
        (void)!ftruncate(fd, old.st_size);  // drops what a partial reservation added
        ok = false;
    }
    for (off_t at = 0; ok && at < newSize;) {
        const ssize_t put =
            pwrite(fd, contents.data() + at, static_cast<std::size_t>(newSize - at), at);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0)
            ok = false;
        else
            at += put;
    }
    ok = ok && (newSize >= old.st_size || ftruncate(fd, newSize) == 0) && fsync(fd) == 0;
    struct stat written {};
    if (ok && fstat(fd, &written) == 0) newStamp = StampOf(written);
    close(fd);
    return ok;
}

// A writer killed between making its temporary file and renaming it leaves the file behind.
// Ours (by name) whose writer is gone and that nobody touched for an hour are removed; a live
// process of that id, or one we may not signal, keeps its file.
void RemoveStaleTemporaries(const std::string& target) {
    constexpr std::int64_t kStaleNs = 3600ll * 1000000000;
    const auto slash = target.rfind('/');
    const std::string folder = FolderOf(target);
    const std::string targetName = slash == std::string::npos ? target : target.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
        const auto writer = static_cast<pid_t>(temporary_name::WriterOf(entry->d_name, targetName));
        if (writer == 0 || writer == getpid() || kill(writer, 0) == 0 || errno != ESRCH) continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat info {};
        if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            WallClockNs() - Nanoseconds(info.st_mtim) > kStaleNs)
            unlink(path.c_str());
    }
    closedir(dir);
}

void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // makes the rename itself durable; the file is already whole either way
    close(fd);
}

// One read call, restarted after a signal.
std::int64_t ReadRestarted(int fd, char* into, std::size_t room) {
    ssize_t got;
    do {
        got = read(fd, into, room);
    } while (got < 0 && errno == EINTR);
    return got;
}

}  // namespace

FileStamp StatFile(const std::string& path) {
    FileStamp stamp;
    struct stat info {};
    if (path.empty()) {
        stamp.kind = FileKind::kError;
    } else if (stat(path.c_str(), &info) == 0) {
        stamp = StampOf(info);
    } else {
        stamp.kind = errno == ENOENT ? FileKind::kMissing : FileKind::kError;
    }
    return stamp;
}

FileRead ReadStatedFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                        FileStamp& stamp) {
    // O_NONBLOCK: if a FIFO took the file's place since the stat, opening it must not hang.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kUnreadable;
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        if (fstat(fd, &info) == 0) stamp = StampOf(info);
        close(fd);
        return FileRead::kUnreadable;
    }
    stamp = StampOf(info);
    const FileRead read =
        ReadWithin(static_cast<std::size_t>(info.st_size), maxBytes, contents,
                   [fd](char* into, std::size_t room) { return ReadRestarted(fd, into, room); });
    close(fd);
    return read;
}

bool ReplaceFileAtomically(const std::string& path, std::string_view contents,
                           FileStamp& newStamp) {
    std::string target;
    if (path.empty() || !ResolveWriteTarget(path, target)) return false;
    struct stat old {};
    const bool hadFile = stat(target.c_str(), &old) == 0;
    if (hadFile && !S_ISREG(old.st_mode)) return false;  // never replace a folder or a device
    // A file the user made read-only stays as it is, although the folder would allow a rename.
    // access() lets root write anything, so for root "read-only" is a mode without write bits.
    if (hadFile &&
        (access(target.c_str(), W_OK) != 0 || (geteuid() == 0 && (old.st_mode & 0222) == 0)))
        return false;

    std::string temporary;
    const int fd = CreateTemporaryBeside(target, temporary);
    if (fd < 0) {
        const bool folderRefused = errno == EACCES || errno == EPERM;
        return hadFile && folderRefused && RewriteInPlace(target, contents, newStamp);
    }
    bool ok = true;
    if (hadFile) {
        ok = fchmod(fd, old.st_mode & 07777) == 0;
        // Keeps the owner when root edits another user's file; a plain user cannot and need not.
        if (ok && geteuid() == 0) (void)!fchown(fd, old.st_uid, old.st_gid);
    }
    ok = ok && WriteAll(fd, contents) && fsync(fd) == 0;
    ok = ok && rename(temporary.c_str(), target.c_str()) == 0;
    struct stat written {};
    if (ok && fstat(fd, &written) == 0) newStamp = StampOf(written);
    close(fd);
    if (!ok) {
        unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    RemoveStaleTemporaries(target);
    return true;
}

std::int64_t WallClockNs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return Nanoseconds(now);
}

}  // namespace platform
