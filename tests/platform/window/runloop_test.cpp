// The run loop's timers: invalidation from callbacks, no catch-up bursts,
// and how run() ends.
// Timing bounds are loose on purpose: the machine may be busy.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/window/RunLoop.h"

namespace zorbel {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(RunLoopTimers, CallbackCanStopItselfAndOtherTimersAndStartNewOnes)
{
    RunLoop loop;
    int otherTicks = 0, newTicks = 0, controlTicks = 0;
    const int other = loop.addRepeatingTimer(0.004, [&] { ++otherTicks; });
    int control = 0;
    control = loop.addRepeatingTimer(0.02, [&] {
        ++controlTicks;
        loop.invalidateTimer(other);
        loop.addRepeatingTimer(0.005, [&] {
            if (++newTicks == 10)
                loop.quit();
        });
        loop.invalidateTimer(control);
    });
    loop.addRepeatingTimer(5.0, [&] { loop.quit(); });  // should the new timer never fire
    loop.run();
    EXPECT_EQ(controlTicks, 1);
    EXPECT_GE(otherTicks, 1);
    EXPECT_LE(otherTicks, 6);  // stopped at 20 ms
    EXPECT_EQ(newTicks, 10);
    EXPECT_FALSE(loop.isTimerValid(other));
    EXPECT_FALSE(loop.isTimerValid(control));
}

TEST(RunLoopTimers, LateLoopSkipsAheadInsteadOfBursting)
{
    RunLoop loop;
    std::vector<double> times;
    times.reserve(64);
    const auto start = Clock::now();
    double slowEnd = 0.0;
    loop.addRepeatingTimer(0.01, [&] {
        times.push_back(secondsSince(start));
        if (times.size() == 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(120));  // twelve intervals late
            slowEnd = secondsSince(start);
        }
    });
    loop.addRepeatingTimer(0.25, [&] { loop.quit(); });
    loop.run();
    ASSERT_GT(slowEnd, 0.0);
    int soonAfter = 0;
    for (double t : times)
        if (t >= slowEnd && t < slowEnd + 0.005)
            ++soonAfter;
    EXPECT_LE(soonAfter, 2) << "missed ticks were fired in a burst";
    int after = 0;
    for (double t : times)
        if (t >= slowEnd)
            ++after;
    EXPECT_GE(after, 6);  // and the timer goes on at its pace
}

TEST(RunLoopEnding, QuitEventEndsRunAfterTheHandlerSawIt)
{
    RunLoop loop;
    int events = 0;
    bool safetyFired = false;
    loop.setEventHandler([&](const InputEvent& e) { events += e.type == InputEvent::Quit; });
    loop.addRepeatingTimer(0.02, [&] { RunLoop::postQuitEvent(); });
    loop.addRepeatingTimer(2.0, [&] {
        safetyFired = true;
        loop.quit();
    });
    const auto start = Clock::now();
    loop.run();
    EXPECT_FALSE(safetyFired);
    EXPECT_GE(events, 1);
    EXPECT_LT(secondsSince(start), 1.0);
    EXPECT_FALSE(loop.isRunning());
}

}  // namespace
}  // namespace zorbel
