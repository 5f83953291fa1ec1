#include "exporter/probe_runner.h"

#include "netconfig/module_exchange.h"

namespace exporter {

ProbeRunner::ProbeRunner(std::uint32_t localAddress, std::size_t jobs, std::size_t queueLimit)
    : localAddress_(localAddress), queueLimit_(queueLimit) {
    workers_.reserve(jobs);
    for (std::size_t n = 0; n < jobs; ++n) workers_.emplace_back([this] { Work(); });
}

ProbeRunner::~ProbeRunner() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

std::size_t ProbeRunner::InFlight() const {
    const std::lock_guard lock(mutex_);
    return running_;
}

std::size_t ProbeRunner::Queued() const {
    const std::lock_guard lock(mutex_);
    return queue_.size();
}

ProbeResult ProbeRunner::Probe(std::uint32_t device, std::chrono::milliseconds wait) {
    const Clock::time_point asked = Clock::now();
    const Clock::time_point deadline = asked + wait;
    std::unique_lock lock(mutex_);
    std::shared_ptr<Pending> pending;
    if (const auto found = active_.find(device); found != active_.end()) {
        pending = found->second;
    } else {
        if (queue_.size() >= queueLimit_) return {};
        pending = std::make_shared<Pending>();
        pending->device = device;
        active_.emplace(device, pending);
        queue_.push_back(pending);
        queued_.notify_one();
    }
    ++pending->waiters;
    const bool ended = pending->finished.wait_until(lock, deadline, [&] { return pending->done; });
    --pending->waiters;
    ProbeResult result;
    if (ended) {
        result.outcome = ProbeOutcome::kChecked;
        result.check = pending->check;
    } else {
        result.outcome = pending->running ? ProbeOutcome::kUnfinished : ProbeOutcome::kBusy;
        result.check.address = device;
    }
    const Clock::time_point from = pending->running || pending->done ? pending->started : asked;
    const Clock::time_point to = ended ? std::min(Clock::now(), deadline) : deadline;
    result.seconds = std::chrono::duration<double>(to - from).count();
    if (!pending->running && !pending->done && pending->waiters == 0) {
        // Nobody waits for it any more: it leaves the queue without sending anything.
        std::erase(queue_, pending);
        active_.erase(device);
    }
    return result;
}

void ProbeRunner::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        const std::shared_ptr<Pending> pending = queue_.front();
        queue_.pop_front();
        pending->running = true;
        pending->started = Clock::now();
        ++running_;
        lock.unlock();
        netconfig::SwitcherCheck check;
        check.address = pending->device;
        const netconfig::ExchangeOutcome outcome =
            netconfig::ReadSwitcherOutcome(localAddress_, pending->device, check.switcher);
        check.online = outcome == netconfig::ExchangeOutcome::Answered;
        check.answered = check.online || outcome == netconfig::ExchangeOutcome::UnexpectedReply;
        lock.lock();
        --running_;
        pending->check = check;
        pending->done = true;
        pending->running = false;
        active_.erase(pending->device);
        pending->finished.notify_all();
    }
}

}  // namespace exporter
