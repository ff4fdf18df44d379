#include "batch/FittingCrew.h"

#include <exception>
#include <utility>

namespace id::batchrun {

FittingCrew::FittingCrew(int helpers) {
    for (int i = 0; i < helpers; ++i)
        helpers_.emplace_back([this] { serve(); });
}

FittingCrew::~FittingCrew() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    started_.notify_all();
    for (std::thread& t : helpers_)
        t.join();
}

void FittingCrew::serve() {
    std::uint64_t seen = 0;
    for (;;) {
        const std::function<void()>* work = nullptr;
        {
            std::unique_lock lock(mutex_);
            started_.wait(lock, [&] { return stopping_ || round_ != seen; });
            if (stopping_)
                return;
            seen = round_;
            work = work_;
        }
        std::exception_ptr failure;
        try {
            (*work)();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(mutex_);
            if (failure && !failure_)
                failure_ = failure;
            --busy_;
        }
        finished_.notify_one();
    }
}

void FittingCrew::run(const std::function<void()>& work, const std::function<void()>& alongside) {
    {
        const std::lock_guard lock(mutex_);
        work_ = &work;
        busy_ = static_cast<int>(helpers_.size());
        ++round_;
    }
    started_.notify_all();
    // The helpers use the caller's work and what it refers to: whatever happens here, the round
    // ends only when they are done with it.
    std::exception_ptr failure;
    try {
        if (alongside)
            alongside();
        work();
    } catch (...) {
        failure = std::current_exception();
    }
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return busy_ == 0; });
    std::exception_ptr helpers = std::exchange(failure_, nullptr);
    if (!failure)
        failure = std::move(helpers);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace id::batchrun
