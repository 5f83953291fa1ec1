#pragma once
// The exporter's pages: /probe, /sd, /metrics and the index page that links them.
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include <httplib.h>

#include "exporter/device_watch.h"
#include "exporter/exporter_metrics.h"
#include "exporter/probe_runner.h"
#include "exporter/target_access.h"

namespace exporter {

struct ExporterContext {
    DeviceWatch& devices;
    ProbeRunner& probes;
    ExporterCounters& counters;
    std::vector<AddressRange> allow;
    std::string version;
};

// How long a probe may wait: the exchange's bound, or less when Prometheus announces a shorter
// scrape timeout (the X-Prometheus-Scrape-Timeout-Seconds header, in seconds; empty when absent).
std::chrono::milliseconds ProbeWait(std::string_view scrapeTimeoutHeader);

void InstallRoutes(httplib::Server& server, ExporterContext& context);

}  // namespace exporter
