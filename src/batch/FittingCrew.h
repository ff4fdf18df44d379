#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace id::batchrun {

// Threads kept for a whole run to fit its blocks of wells with the calling thread. Started for
// each block, a thread cost its start, a fresh stack and its end five hundred times a field.
class FittingCrew {
public:
    explicit FittingCrew(int helpers);
    ~FittingCrew();
    FittingCrew(const FittingCrew&) = delete;
    FittingCrew& operator=(const FittingCrew&) = delete;

    // work on every helper, and on the calling thread once it has done alongside; returns when
    // all have finished it, throwing what any of them threw.
    void run(const std::function<void()>& work, const std::function<void()>& alongside);

private:
    void serve();

    std::mutex mutex_;
    std::condition_variable started_;
    std::condition_variable finished_;
    const std::function<void()>* work_ = nullptr;
    std::uint64_t round_ = 0;
    int busy_ = 0;
    std::exception_ptr failure_;
    bool stopping_ = false;
    std::vector<std::thread> helpers_;
};

} // namespace id::batchrun
