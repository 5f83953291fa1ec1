#pragma once
// Whole-file reads and atomic whole-file replacement, for small text files that other processes
// may edit at any time (the settings file).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

enum class FileKind : std::uint8_t {
    kMissing,  // nothing at the path
    kRegular,
    kOther,  // a directory, a device, a FIFO, a socket
    kError,  // the path cannot be looked at (no right to search a folder, an empty path)
};

// What tells one version of a file from another without reading it. Two versions written within
// one tick of the file system's clock can share a stamp; callers that care compare the stamp's
// mtime with the time of their read (see WallClockNs).
struct FileStamp {
    FileKind kind = FileKind::kMissing;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    std::int64_t ctimeNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// Follows symbolic links, like every read.
FileStamp StatFile(const std::string& path);

enum class FileRead : std::uint8_t { kOk, kMissing, kUnreadable };

// Reads the regular file at path whole into contents. Anything else (a directory, a FIFO, a file
// without read permission, one larger than maxBytes) is kUnreadable, and never blocks. stamp is
// the version that was read (taken before reading, so a change during the read shows as a newer
// stamp next time).
FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                         FileStamp& stamp);

// Writes contents to a new file beside path, flushes it to the disk and renames it over path, so
// that a crash, a kill or a full disk leaves either the old file or the new one, never a part.
// The file keeps the old file's permissions (a new file gets the usual ones under the umask). A
// symbolic link at path is kept: its target is replaced. On failure the new file is removed, the
// old one is untouched and the result is false. newStamp is the stamp of the file written.
//
// When the folder refuses the new file (no right to write it) but the existing file may be
// written, the file is rewritten in place instead (write, flush to the disk, cut to length). That
// path gives a weaker guarantee: a full disk still leaves the old file untouched (the room is
// reserved first), but a crash or a kill in the middle of the write can leave a mix of old and new
// text. A read-only file, a missing file in such a folder, or anything but a regular file at the
// path is never written (false).
//
// A writer killed before its rename leaves its new file ("<file>.tmp.<process id>.<n>") behind;
// each replacement removes such files of the same target whose process is gone and that have
// not changed for an hour.
bool ReplaceFileAtomically(const std::string& path, std::string_view contents, FileStamp& newStamp);

// The wall clock in nanoseconds, the clock file time stamps are taken from.
std::int64_t WallClockNs();

}  // namespace platform
