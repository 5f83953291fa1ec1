#include "exporter/http_server.h"

#include "exporter/connection_pool.h"
#include "exporter/guarded_stream.h"
#include "platform/accepted_socket.h"

namespace exporter {

ExporterHttpServer::ExporterHttpServer(const ExporterLimits& limits, ExporterCounters& counters)
    : counters_(counters) {
    new_task_queue = [limits] {
        return new ConnectionPool(limits.connections, limits.waitingConnections);
    };
    // The library's own choice on Linux, SO_REUSEPORT, would let a second exporter listen on
    // the same port beside this one and take half its connections.
    set_socket_options([](socket_t listener) { platform::SetListenerAddressUse(listener); });
    // The exporter takes no request bodies; GuardedStream bounds what is read anyway.
    set_payload_max_length(0);
}

bool ExporterHttpServer::Bind(const std::string& address, int port) {
    if (!bind_to_port(address, port)) return false;
    platform::SetListenBacklog(svr_sock_.load(), kListenBacklog);
    return true;
}

bool ExporterHttpServer::process_and_close_socket(socket_t sock) {
    GuardedStream stream(sock);
    bool ok = false;
    if (ConnectionPool::Refusing()) {
        ++counters_.connectionsRefused;
        stream.WriteDirect(TooManyConnectionsResponse());
    } else {
        bool closed = false;
        ok = process_request(stream, true, closed, nullptr);
        if (stream.Overrun() != RequestOverrun::kNone) {
            stream.WriteDirect(OverrunResponse(stream.Overrun()));
            stream.EndAfterCut();
            ok = false;
        }
    }
    platform::ShutdownAndClose(sock);
    return ok;
}

}  // namespace exporter
