#include "batch/FittingCrew.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>

namespace id::batchrun {
namespace {

// Round after round (no wake-up lost), the work runs once on every helper and on the caller,
// the caller's only after what it does alongside, and a round ends when the slowest has.
TEST(FittingCrew, EveryRoundRunsOnEveryThreadAndEndsWithTheSlowest) {
    for (const int helpers : {0, 1, 3}) {
        FittingCrew crew(helpers);
        for (int round = 0; round < 2000; ++round) {
            std::atomic<int> ran{0};
            bool alongside = false;
            const std::thread::id caller = std::this_thread::get_id();
            const std::function<void()> work = [&] {
                if (std::this_thread::get_id() == caller)
                    EXPECT_TRUE(alongside);
                else if (round % 500 == 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                ++ran;
            };
            crew.run(work, [&] { alongside = true; });
            ASSERT_EQ(ran.load(), helpers + 1) << helpers << " helpers, round " << round;
        }
    }
}

// A throw on any thread ends the round only when every helper is done with the work, and reaches
// the caller; the crew goes on with the next round.
TEST(FittingCrew, AThrowEndsTheRoundWhenAllAreDoneAndReachesTheCaller) {
    FittingCrew crew(2);
    const std::thread::id caller = std::this_thread::get_id();
    for (const bool onCaller : {true, false}) {
        std::atomic<int> finished{0};
        const std::function<void()> work = [&] {
            const bool mine = (std::this_thread::get_id() == caller) == onCaller;
            if (!mine)
                std::this_thread::sleep_for(std::chrono::milliseconds(30));
            ++finished;
            if (mine)
                throw std::runtime_error("fault");
        };
        EXPECT_THROW(crew.run(work, {}), std::runtime_error);
        EXPECT_EQ(finished.load(), 3) << (onCaller ? "the caller threw" : "helpers threw");
    }
    std::atomic<int> ran{0};
    crew.run([&] { ++ran; }, {});
    EXPECT_EQ(ran.load(), 3);
}

} // namespace
} // namespace id::batchrun
