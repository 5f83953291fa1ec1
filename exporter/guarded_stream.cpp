#include "exporter/guarded_stream.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "netconfig/address_text.h"
#include "platform/accepted_socket.h"
#include "platform/poller.h"

namespace exporter {

namespace {

std::string Canned(std::string_view statusLine, std::string_view text) {
    std::string out = "HTTP/1.1 ";
    out.append(statusLine)
        .append("\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: ");
    out.append(std::to_string(text.size())).append("\r\nConnection: close\r\n\r\n").append(text);
    return out;
}

bool ReadableWithin(platform::SocketHandle socket, unsigned timeoutMs) {
    return platform::WaitUntilReady(socket, platform::kPollReadable, timeoutMs);
}

bool WritableWithin(platform::SocketHandle socket, unsigned timeoutMs) {
    return platform::WaitUntilReady(socket, platform::kPollWritable, timeoutMs);
}

}  // namespace

std::string OverrunResponse(RequestOverrun overrun) {
    switch (overrun) {
        case RequestOverrun::kLine:
            return Canned("414 URI Too Long", "the request line is longer than 8 KiB\n");
        case RequestOverrun::kHeaders:
            return Canned("431 Request Header Fields Too Large",
                          "the request line and headers are longer than 8 KiB\n");
        case RequestOverrun::kBody:
            return Canned("413 Content Too Large", "the exporter takes no request body\n");
        case RequestOverrun::kSlow:
            return Canned("408 Request Timeout", "the request did not arrive within 3 seconds\n");
        case RequestOverrun::kNone: break;
    }
    return {};
}

std::string_view TooManyConnectionsResponse() {
    static const std::string response =
        Canned("503 Service Unavailable", "the exporter serves as many connections as it may\n");
    return response;
}

GuardedStream::GuardedStream(platform::SocketHandle socket)
    : socket_(socket),
      requestDeadline_(Clock::now() + std::chrono::milliseconds(kRequestDeadlineMs)) {
    platform::SetNonBlocking(socket_);
}

unsigned GuardedStream::MillisecondsLeft(Clock::time_point deadline) const {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<unsigned>(left.count()) : 0;
}

bool GuardedStream::is_readable() const {
    return bufferStart_ < bufferEnd_ ||
           (overrun_ == RequestOverrun::kNone &&
            ReadableWithin(socket_, MillisecondsLeft(requestDeadline_)));
}

bool GuardedStream::is_writable() const {
    const Clock::time_point deadline =
        writing_ ? responseDeadline_
                 : Clock::now() + std::chrono::milliseconds(kResponseDeadlineMs);
    return WritableWithin(socket_, MillisecondsLeft(deadline));
}

void GuardedStream::Deliver(const char* bytes, std::size_t count) {
    // Only line ends are looked at, to tell which bound a cut request broke; the library parses.
    for (std::size_t n = 0; n < count; ++n) {
        if (bytes[n] == '\r') continue;
        const bool lineFeed = bytes[n] == '\n';
        if (lineFeed && lastWasLineFeed_) headEnded_ = true;
        if (lineFeed) lineEnded_ = true;
        lastWasLineFeed_ = lineFeed;
    }
}

ssize_t GuardedStream::read(char* ptr, size_t size) {
    if (overrun_ != RequestOverrun::kNone) return -1;
    if (bufferStart_ == bufferEnd_) {
        if (received_ >= buffer_.size()) {
            overrun_ = headEnded_   ? RequestOverrun::kBody
                       : lineEnded_ ? RequestOverrun::kHeaders
                                    : RequestOverrun::kLine;
            return -1;
        }
        platform::IoResult got;
        for (;;) {
            if (!ReadableWithin(socket_, MillisecondsLeft(requestDeadline_))) {
                overrun_ = RequestOverrun::kSlow;
                return -1;
            }
            const std::size_t room = buffer_.size() - received_;
            got = platform::ReceiveStream(
                socket_, std::span(reinterpret_cast<std::uint8_t*>(buffer_.data()), room));
            if (got.status != platform::IoStatus::WouldBlock) break;
        }
        if (got.status == platform::IoStatus::Closed) return 0;
        if (got.status != platform::IoStatus::Done) return -1;
        bufferStart_ = 0;
        bufferEnd_ = got.length;
        received_ += got.length;
    }
    const std::size_t count = std::min(size, bufferEnd_ - bufferStart_);
    std::memcpy(ptr, buffer_.data() + bufferStart_, count);
    Deliver(ptr, count);
    bufferStart_ += count;
    return static_cast<ssize_t>(count);
}

bool GuardedStream::WriteDirect(std::string_view bytes) {
    if (!writing_) {
        writing_ = true;
        responseDeadline_ = Clock::now() + std::chrono::milliseconds(kResponseDeadlineMs);
    }
    auto rest = std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    while (!rest.empty()) {
        const platform::IoResult sent = platform::Send(socket_, rest);
        if (sent.status == platform::IoStatus::Done) {
            rest = rest.subspan(sent.length);
        } else if (sent.status != platform::IoStatus::WouldBlock ||
                   !WritableWithin(socket_, MillisecondsLeft(responseDeadline_))) {
            return false;
        }
    }
    return true;
}

void GuardedStream::EndAfterCut() {
    constexpr unsigned kLingerMs = 200;
    constexpr std::size_t kLingerBytes = 65536;
    platform::EndSending(socket_);
    const Clock::time_point until = Clock::now() + std::chrono::milliseconds(kLingerMs);
    std::size_t drained = 0;
    while (drained < kLingerBytes && ReadableWithin(socket_, MillisecondsLeft(until))) {
        const platform::IoResult got = platform::ReceiveStream(
            socket_, std::span(reinterpret_cast<std::uint8_t*>(buffer_.data()), buffer_.size()));
        if (got.status == platform::IoStatus::WouldBlock) continue;
        if (got.status != platform::IoStatus::Done) break;
        drained += got.length;
    }
}

ssize_t GuardedStream::write(const char* ptr, size_t size) {
    // After an overrun the exporter answers, not the library.
    if (overrun_ != RequestOverrun::kNone) return static_cast<ssize_t>(size);
    return WriteDirect({ptr, size}) ? static_cast<ssize_t>(size) : -1;
}

void GuardedStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    EndOf(platform::PeerAddressOf, ip, port);
}

void GuardedStream::get_local_ip_and_port(std::string& ip, int& port) const {
    EndOf(platform::LocalAddressOf, ip, port);
}

void GuardedStream::EndOf(bool (*query)(platform::SocketHandle, std::uint32_t&, std::uint16_t&),
                          std::string& ip, int& port) const {
    std::uint32_t address = 0;
    std::uint16_t number = 0;
    if (query(socket_, address, number)) {
        ip = netconfig::FormatIpAddress(address);
        port = number;
    }
}

}  // namespace exporter
