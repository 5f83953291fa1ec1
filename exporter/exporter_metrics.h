#pragma once
// The text Prometheus reads: a probe's answer and the exporter's own metrics, in the text
// exposition format 0.0.4.
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "exporter/probe_runner.h"

namespace exporter {

inline constexpr const char* kMetricsContentType = "text/plain; version=0.0.4; charset=utf-8";

// A label value with backslash, double quote and line feed escaped.
std::string EscapeLabelValue(std::string_view value);

// vantrel_probe_success, vantrel_probe_duration_seconds and, when the device answered,
// vantrel_device_info with the MAC from the list.
std::string ProbeMetrics(const ProbeResult& result, std::string_view mac);

// What the exporter counts about itself; every field is read and written from many threads.
struct ExporterCounters {
    std::atomic<std::uint64_t> probesSucceeded{0};
    std::atomic<std::uint64_t> probesFailed{0};     // the device did not answer as it should
    std::atomic<std::uint64_t> probesRefused{0};    // 403: not listed, not allowed
    std::atomic<std::uint64_t> probesMalformed{0};  // 400
    std::atomic<std::uint64_t> probesBusy{0};       // 503: no exchange free in time
    std::atomic<std::uint64_t> connectionsRefused{0};
};

struct ExporterState {
    std::size_t probesInFlight = 0;
    std::size_t probesQueued = 0;
    std::size_t listedDevices = 0;
    std::uint64_t reloadErrors = 0;
    std::size_t residentBytes = 0;
};

std::string ExporterMetrics(const ExporterCounters& counters, const ExporterState& state,
                            std::string_view version);

}  // namespace exporter
