#pragma once
// ReadRegularFile in two parts: the system's, which opens the file, and every system's, which
// reads a file that may grow while it is read, never past a limit.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_store.h"

namespace platform {

// Stores up to `room` bytes at `into`: how many, 0 at the end of the file, negative on a failure.
using ReadSome = std::function<std::int64_t(char* into, std::size_t room)>;

// Reads to the end through readSome, starting with room for expectedBytes. kUnreadable, with
// contents empty, on a failure or when the file holds more than maxBytes.
FileRead ReadWithin(std::size_t expectedBytes, std::size_t maxBytes, std::string& contents,
                    const ReadSome& readSome);

// The system's part, once StatFile found a regular file at path: opens it, checks it again
// (updating stamp) and reads it with ReadWithin.
FileRead ReadStatedFile(const std::string& path, std::size_t maxBytes, std::string& contents,
                        FileStamp& stamp);

}  // namespace platform
