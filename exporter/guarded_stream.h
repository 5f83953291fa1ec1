#pragma once
// One HTTP connection as the HTTP library reads and writes it, with the exporter's bounds on
// what a client may cost: the request must arrive whole within kRequestDeadlineMs and within
// kMaxRequestHeadBytes, and the answer must be taken within kResponseDeadlineMs. A request that
// breaks a bound is answered by the exporter itself (414, 431, 413 or 408); the library's own
// answer to the cut request is dropped.
#include <array>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include <httplib.h>

#include "exporter/exporter_limits.h"
#include "platform/socket.h"

namespace exporter {

enum class RequestOverrun {
    kNone,
    kLine,     // no end of the request line within the bytes allowed: 414
    kHeaders,  // no end of the headers within them: 431
    kBody,     // a body beyond them: 413
    kSlow,     // not all there within the time allowed: 408
};

// The whole answer for an overrun (kNone has none), ending the connection.
std::string OverrunResponse(RequestOverrun overrun);

// The fixed answer to a connection refused before its request is read.
std::string_view TooManyConnectionsResponse();

class GuardedStream : public httplib::Stream {
public:
    explicit GuardedStream(platform::SocketHandle socket);

    RequestOverrun Overrun() const { return overrun_; }
    // Writes bytes of the exporter's own, past the library and whatever it was told.
    bool WriteDirect(std::string_view bytes);
    // After an answer to a request that was not read whole: ends sending and reads what the
    // client still sends, for a moment, so that closing does not reset the connection before
    // the client has read the answer.
    void EndAfterCut();

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return socket_; }

private:
    using Clock = std::chrono::steady_clock;
    unsigned MillisecondsLeft(Clock::time_point deadline) const;
    void Deliver(const char* bytes, std::size_t count);
    // The address and port of one end, as the library wants them.
    void EndOf(bool (*query)(platform::SocketHandle, std::uint32_t&, std::uint16_t&),
               std::string& ip, int& port) const;

    platform::SocketHandle socket_;
    Clock::time_point requestDeadline_;
    Clock::time_point responseDeadline_{};
    bool writing_ = false;
    std::array<char, kMaxRequestHeadBytes> buffer_{};
    std::size_t bufferStart_ = 0;
    std::size_t bufferEnd_ = 0;
    std::size_t received_ = 0;  // of this connection, at most kMaxRequestHeadBytes
    bool lineEnded_ = false;    // a line feed was delivered
    bool headEnded_ = false;    // an empty line was delivered
    bool lastWasLineFeed_ = false;
    RequestOverrun overrun_ = RequestOverrun::kNone;
};

}  // namespace exporter
