#pragma once
// The threads that serve the HTTP library's connections: made as they are needed up to a cap,
// with a short queue of accepted connections waiting for one. Past that a connection is still
// run, at once on the accepting thread, but marked refused (Refusing()), and the server answers
// it 503 without reading it: ten thousand clients at once cost a bounded number of threads.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include <httplib.h>

namespace exporter {

class ConnectionPool : public httplib::TaskQueue {
public:
    ConnectionPool(std::size_t maxThreads, std::size_t maxWaiting);
    ~ConnectionPool() override;

    void enqueue(std::function<void()> fn) override;
    void shutdown() override;

    // True while this thread runs a connection that the pool refused.
    static bool Refusing();

private:
    void Work();

    const std::size_t maxThreads_;
    const std::size_t maxWaiting_;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> jobs_;
    std::vector<std::thread> threads_;
    std::size_t idle_ = 0;
    bool stopping_ = false;
};

}  // namespace exporter
