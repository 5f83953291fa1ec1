#include "platform/file_store.h"

#include "platform/bounded_read.h"

#include <algorithm>

namespace platform {

FileRead ReadWithin(std::size_t expectedBytes, std::size_t maxBytes, std::string& contents,
                    const ReadSome& readSome) {
    // One byte past the limit tells a file that grew too large while we read it.
    const std::size_t limit = maxBytes + 1;
    contents.resize(std::min(limit, expectedBytes + 1));
    std::size_t filled = 0;
    bool failed = false;
    for (;;) {
        if (filled == contents.size()) {
            if (contents.size() >= limit) break;
            contents.resize(std::min(limit, contents.size() + 65536));
        }
        const std::int64_t got = readSome(contents.data() + filled, contents.size() - filled);
        if (got < 0) failed = true;
        if (got <= 0) break;
        filled += static_cast<std::size_t>(got);
    }
    contents.resize(filled);
    if (failed || filled > maxBytes) {
        contents.clear();
        return FileRead::kUnreadable;
    }
    return FileRead::kOk;
}

FileRead ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                         FileStamp& stamp) {
    contents.clear();
    stamp = StatFile(path);
    if (stamp.kind == FileKind::kMissing) return FileRead::kMissing;
    if (stamp.kind != FileKind::kRegular) return FileRead::kUnreadable;
    return ReadStatedFile(path, maxBytes, contents, stamp);
}

}  // namespace platform
