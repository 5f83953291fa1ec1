#pragma once
// The record of every datagram the simulator receives, one line each, so tests can assert on
// the bytes on the wire: "<ms since start> <from a.b.c.d:port> <to a.b.c.d:port> <HEX>".
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace sim {

struct Endpoint {
    std::uint32_t address = 0;  // network byte order
    std::uint16_t port = 0;
};

// tag goes before the hex digits: "tcp:" for bytes received on a TCP connection, and events
// such as "tcp-accepted" carry no bytes.
std::string FormatCaptureLine(std::uint32_t elapsedMs, Endpoint from, Endpoint to,
                              std::span<const std::uint8_t> bytes, std::string_view tag = {});

class CaptureLog {
public:
    CaptureLog() = default;
    CaptureLog(const CaptureLog&) = delete;
    CaptureLog& operator=(const CaptureLog&) = delete;
    ~CaptureLog();

    // Appends to `path`, creating it. False, with `error` set, when it cannot be opened.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return file_ != nullptr; }
    // Each line is flushed at once, so a reader sees it as soon as the datagram was handled.
    void Record(std::uint32_t elapsedMs, Endpoint from, Endpoint to,
                std::span<const std::uint8_t> bytes, std::string_view tag = {});

private:
    std::FILE* file_ = nullptr;
};

}  // namespace sim
