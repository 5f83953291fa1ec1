#include "sim/capture_log.h"

#include <cerrno>
#include <cstring>

#include "netconfig/address_text.h"

namespace sim {

namespace {
std::string FormatEndpoint(Endpoint endpoint) {
    return netconfig::FormatIpAddress(endpoint.address) + ":" + std::to_string(endpoint.port);
}
}  // namespace

std::string FormatCaptureLine(std::uint32_t elapsedMs, Endpoint from, Endpoint to,
                              std::span<const std::uint8_t> bytes, std::string_view tag) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line =
        std::to_string(elapsedMs) + " " + FormatEndpoint(from) + " " + FormatEndpoint(to) + " ";
    line += tag;
    line.reserve(line.size() + bytes.size() * 2 + 1);
    for (const std::uint8_t byte : bytes) {
        line.push_back(kDigits[byte >> 4]);
        line.push_back(kDigits[byte & 0x0F]);
    }
    line.push_back('\n');
    return line;
}

CaptureLog::~CaptureLog() {
    if (file_ != nullptr) std::fclose(file_);
}

bool CaptureLog::Open(const std::string& path, std::string& error) {
    file_ = std::fopen(path.c_str(), "a");
    if (file_ == nullptr) {
        error = "cannot open the capture file \"" + path + "\": " + std::strerror(errno);
        return false;
    }
    return true;
}

void CaptureLog::Record(std::uint32_t elapsedMs, Endpoint from, Endpoint to,
                        std::span<const std::uint8_t> bytes, std::string_view tag) {
    if (file_ == nullptr) return;
    const std::string line = FormatCaptureLine(elapsedMs, from, to, bytes, tag);
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace sim
