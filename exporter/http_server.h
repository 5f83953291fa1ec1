#pragma once
// The HTTP library's server with the exporter's bounds on every connection (GuardedStream,
// ConnectionPool): one request per connection, answered within its bounds or cut.
#include <httplib.h>

#include "exporter/exporter_limits.h"
#include "exporter/exporter_metrics.h"

namespace exporter {

class ExporterHttpServer : public httplib::Server {
public:
    ExporterHttpServer(const ExporterLimits& limits, ExporterCounters& counters);

    // Binds and deepens the queue of connections waiting for accept. False when the address
    // cannot be bound.
    bool Bind(const std::string& address, int port);

private:
    bool process_and_close_socket(socket_t sock) override;

    ExporterCounters& counters_;
};

}  // namespace exporter
