#pragma once
// Per-exchange times for the exchange benchmarks: Google Benchmark reports means, while the
// targets speak of the median and of the worst case.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace bench {

class ExchangeTimes {
public:
    // Returns the median in milliseconds, so a benchmark can relate it to another one.
    template <typename Exchange>
    double Measure(benchmark::State& state, Exchange exchange) {
        for (auto _ : state) {
            const auto start = std::chrono::steady_clock::now();
            const bool ok = exchange();
            const auto stop = std::chrono::steady_clock::now();
            state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
            times_.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
            if (!ok) failures_++;
        }
        return Report(state);
    }

private:
    double Report(benchmark::State& state) {
        if (times_.empty()) return 0;
        std::sort(times_.begin(), times_.end());
        const double median = times_[times_.size() / 2];
        state.counters["median_ms"] = median;
        state.counters["max_ms"] = times_.back();
        state.counters["min_ms"] = times_.front();
        state.counters["failed"] = static_cast<double>(failures_);
        times_.clear();
        failures_ = 0;
        return median;
    }

    std::vector<double> times_;
    long failures_ = 0;
};

}  // namespace bench
