#pragma once
// Every bound the exporter keeps, in one place: how many probes and connections it takes at once
// and how long and how large a request may be.
#include <cstddef>
#include <cstdint>

namespace exporter {

// Not given to another exporter by Prometheus's list of default port allocations.
constexpr std::uint16_t kDefaultPort = 9110;

// Request line and headers together; past this a request gets 414 (line) or 431 (headers).
constexpr std::size_t kMaxRequestHeadBytes = 8192;
// A client must have sent its whole request within this time, or it is cut (408).
constexpr unsigned kRequestDeadlineMs = 3000;
// A client that takes its answer slower than this is cut.
constexpr unsigned kResponseDeadlineMs = 5000;
// Connections the kernel holds for accept in a burst.
constexpr int kListenBacklog = 4096;

// One probe: the exchange's own bound (Check's 3000 ms) plus its last polling step. A scrape
// timeout that Prometheus announces below this shortens the wait, less kScrapeTimeoutMarginMs
// for the answer to travel back.
constexpr unsigned kProbeWaitMs = 3080;
constexpr unsigned kScrapeTimeoutMarginMs = 150;
constexpr unsigned kMinProbeWaitMs = 50;

struct ExporterLimits {
    std::size_t jobs = 0;                // exchanges at once
    std::size_t queuedProbes = 0;        // probes waiting for an exchange; past them 503
    std::size_t connections = 0;         // connections served at once; past them 503 at once
    std::size_t waitingConnections = 0;  // accepted connections waiting for a free server thread
};

// Everything follows from --jobs: a Prometheus that sends every probe of its targets at once
// gets them queued, not refused, up to eight times as many targets as exchanges.
inline ExporterLimits LimitsForJobs(std::size_t jobs) {
    ExporterLimits limits;
    limits.jobs = jobs;
    limits.queuedProbes = 8 * jobs;
    limits.connections = jobs + limits.queuedProbes + 64;
    limits.waitingConnections = 64;
    return limits;
}

}  // namespace exporter
