#pragma once
// Runs the probes: at most `jobs` exchanges at once on threads of its own, a bounded queue of
// probes waiting for one, and a caller that waits no longer than its scrape allows. Probes of one
// device that overlap share one exchange: two exchanges with one device at once would share its
// local ports, and the reply would reach only one of them.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "netconfig/parallel_check.h"

namespace exporter {

enum class ProbeOutcome {
    kChecked,     // the exchange ended: result says how
    kUnfinished,  // the exchange was still running when the wait ran out: the device did not answer
                  // in time
    kBusy,        // the queue was full, or no exchange became free within the wait
};

struct ProbeResult {
    ProbeOutcome outcome = ProbeOutcome::kBusy;
    netconfig::SwitcherCheck check;
    double seconds = 0;  // from the exchange's start (or the request, when it never started)
};

class ProbeRunner {
public:
    ProbeRunner(std::uint32_t localAddress, std::size_t jobs, std::size_t queueLimit);
    ~ProbeRunner();
    ProbeRunner(const ProbeRunner&) = delete;
    ProbeRunner& operator=(const ProbeRunner&) = delete;

    // Checks one device, waiting at most `wait` for the answer.
    ProbeResult Probe(std::uint32_t device, std::chrono::milliseconds wait);

    // Exchanges running now, and probes waiting for one.
    std::size_t InFlight() const;
    std::size_t Queued() const;

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        std::uint32_t device = 0;
        std::size_t waiters = 0;  // callers still waiting; 0 while queued: skipped
        bool running = false;
        bool done = false;
        Clock::time_point started;
        netconfig::SwitcherCheck check;
        std::condition_variable finished;
    };

    void Work();

    const std::uint32_t localAddress_;
    const std::size_t queueLimit_;
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<std::shared_ptr<Pending>> queue_;
    std::unordered_map<std::uint32_t, std::shared_ptr<Pending>> active_;  // queued or running
    std::size_t running_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace exporter
