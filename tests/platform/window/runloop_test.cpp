// The run loop's timers: pacing by the clock, invalidation from callbacks,
// no catch-up bursts, low CPU use while waiting, and the ways run() ends.
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

TEST(RunLoopTimers, RateHoldsOverASecondWhileTheLoopSleeps)
{
    RunLoop loop;
    int ticks = 0;
    loop.addRepeatingTimer(0.01, [&] { ++ticks; });
    loop.addRepeatingTimer(1.0, [&] { loop.quit(); });
    const std::clock_t cpuStart = std::clock();
    const auto start = Clock::now();
    loop.run();
    const double wall = secondsSince(start);
    const double cpu = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    // 100 expected; jitter of a tick or two, never a systematic drift of 10%.
    EXPECT_GE(ticks, 85);
    EXPECT_LE(ticks, 105);
    EXPECT_GT(wall, 0.95);
    EXPECT_LT(wall, 2.0);
    // Waiting must sleep, not spin: a busy loop would use about 100%.
    EXPECT_LT(cpu, 0.3 * wall) << "cpu " << cpu << " s over " << wall << " s";
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

TEST(RunLoopTimers, RefusesBadIntervals)
{
    RunLoop loop;
    EXPECT_EQ(loop.addRepeatingTimer(0.0, [] {}), 0);
    EXPECT_EQ(loop.addRepeatingTimer(-1.0, [] {}), 0);
    EXPECT_EQ(loop.addRepeatingTimer(NAN, [] {}), 0);
    EXPECT_EQ(loop.addRepeatingTimer(INFINITY, [] {}), 0);
    EXPECT_EQ(loop.addRepeatingTimer(0.1, nullptr), 0);
    loop.invalidateTimer(12345);  // unknown: ignored
    loop.invalidateTimer(0);
    const int a = loop.addRepeatingTimer(0.1, [] {});
    const int b = loop.addRepeatingTimer(0.1, [] {});
    EXPECT_GT(a, 0);
    EXPECT_NE(a, b);
    loop.invalidateTimer(a);
    EXPECT_FALSE(loop.isTimerValid(a));
    EXPECT_TRUE(loop.isTimerValid(b));
}

TEST(RunLoopEnding, RefreshFollowsTimerTicks)
{
    RunLoop loop;
    int ticks = 0, refreshes = 0;
    loop.addRepeatingTimer(0.01, [&] { ++ticks; });
    loop.setRefreshHandler([&] {
        ++refreshes;
        if (refreshes == 5)
            loop.quit();
    });
    loop.addRepeatingTimer(2.0, [&] { loop.quit(); });  // safety
    loop.run();
    EXPECT_EQ(refreshes, 5);
    EXPECT_GE(ticks, 1);
    EXPECT_LE(ticks, 6);
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

TEST(RunLoopEnding, RunsAgainAfterQuit)
{
    RunLoop loop;
    int ticks = 0;
    loop.addRepeatingTimer(0.01, [&] {
        if (++ticks % 3 == 0)
            loop.quit();
    });
    loop.run();
    EXPECT_EQ(ticks, 3);
    loop.run();
    EXPECT_EQ(ticks, 6);
}

}  // namespace
}  // namespace zorbel
