#include "exporter/connection_pool.h"

namespace exporter {

namespace {
thread_local bool refusing = false;
}

ConnectionPool::ConnectionPool(std::size_t maxThreads, std::size_t maxWaiting)
    : maxThreads_(maxThreads), maxWaiting_(maxWaiting) {}

ConnectionPool::~ConnectionPool() { shutdown(); }

bool ConnectionPool::Refusing() { return refusing; }

void ConnectionPool::enqueue(std::function<void()> fn) {
    {
        std::unique_lock lock(mutex_);
        const std::size_t freeThreads = idle_ > jobs_.size() ? idle_ - jobs_.size() : 0;
        const bool canGrow = freeThreads == 0 && threads_.size() < maxThreads_;
        if (!stopping_ && (freeThreads > 0 || canGrow || jobs_.size() < maxWaiting_)) {
            jobs_.push_back(std::move(fn));
            if (canGrow) threads_.emplace_back([this] { Work(); });
            ready_.notify_one();
            return;
        }
    }
    refusing = true;
    fn();
    refusing = false;
}

void ConnectionPool::shutdown() {
    std::vector<std::thread> threads;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        threads.swap(threads_);
    }
    ready_.notify_all();
    for (std::thread& thread : threads) thread.join();
}

void ConnectionPool::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idle_;
        ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        --idle_;
        if (jobs_.empty()) return;  // stopping, nothing left
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

}  // namespace exporter
