// The run loop on SDL: it sleeps until the next timer is due or an event
// arrives, and translates each SDL event once.
#include "platform/window/RunLoop.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/log/log.h"
#include "platform/window/inputEvent.h"

namespace zorbel {

namespace {

// SDL's event wait has whole-millisecond timeouts and may overshoot by about
// a millisecond, so it ends this early; the rest, at most kPreciseSleepMs,
// is slept precisely without looking at events.
constexpr double kWakeEarlyMs = 2.0;
constexpr double kPreciseSleepMs = 3.0;
// With no timers the loop still wakes this often to notice quit().
constexpr int kIdleWaitMs = 100;
constexpr double kTicksPerMs = 1e6;

}  // namespace

bool RunLoop::postQuitEvent()
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_QUIT;
    if (SDL_PushEvent(&event) < 0) {
        logLine("runloop: cannot queue quit: %s", SDL_GetError());
        return false;
    }
    return true;
}

void RunLoop::wakeUp()
{
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_USEREVENT;
    SDL_PushEvent(&event);  // thread-safe; a full queue wakes the loop anyway
}

void RunLoop::run()
{
    if (running_) {
        logLine("runloop: run() is already running");
        return;
    }
    if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
        logLine("runloop: cannot start SDL events: %s", SDL_GetError());
        return;
    }
    running_ = true;
    quit_ = false;
    SDL_Event event;

    while (!quit_) {
        bool activity = needsRefresh_;
        needsRefresh_ = false;
        while (!quit_ && SDL_PollEvent(&event)) {
            deliver(translateEvent(event, window_));
            activity = true;
        }
        if (!quit_ && fireDueTimers(now()))
            activity = true;
        if (activity && !quit_)
            refresh();
        if (quit_)
            continue;

        // Sleep until the next timer is due or an event arrives.
        const uint64_t due = earliestDue();
        const uint64_t t = now();
        if (due != UINT64_MAX && due <= t)
            continue;
        const double remainingMs = due == UINT64_MAX ? kIdleWaitMs : static_cast<double>(due - t) / kTicksPerMs;
        if (remainingMs > kPreciseSleepMs) {
            const int waitMs = static_cast<int>(std::min(remainingMs - kWakeEarlyMs, static_cast<double>(kIdleWaitMs)));
            if (SDL_WaitEventTimeout(&event, waitMs) == 1) {
                deliver(translateEvent(event, window_));
                needsRefresh_ = true;
            }
        } else {
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int64_t>(remainingMs * 1000.0)));
        }
    }

    running_ = false;
    SDL_QuitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER);
}

}  // namespace zorbel
