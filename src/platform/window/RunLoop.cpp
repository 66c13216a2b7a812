#include "platform/window/RunLoop.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "platform/log/log.h"
#include "platform/window/inputEvent.h"

namespace zorbel {

namespace {

uint64_t now()
{
    return SDL_GetPerformanceCounter();
}

// SDL's event wait has whole-millisecond timeouts and may overshoot by about
// a millisecond, so it ends this early; the rest, at most kPreciseSleepMs,
// is slept precisely without looking at events.
constexpr double kWakeEarlyMs = 2.0;
constexpr double kPreciseSleepMs = 3.0;
// With no timers the loop still wakes this often to notice quit().
constexpr int kIdleWaitMs = 100;

}  // namespace

RunLoop::RunLoop()
{
    timers_.reserve(8);
    added_.reserve(4);
}

RunLoop::~RunLoop() = default;

int RunLoop::addRepeatingTimer(double intervalSeconds, Callback fn)
{
    if (!(intervalSeconds > 0.0) || !std::isfinite(intervalSeconds) || !fn) {
        logLine("runloop: refused a timer (interval %g s%s)", intervalSeconds, fn ? "" : ", no callback");
        return 0;
    }
    const double ticks = intervalSeconds * static_cast<double>(SDL_GetPerformanceFrequency());
    const uint64_t interval = ticks < 1.0 ? 1 : static_cast<uint64_t>(std::llround(std::min(ticks, 1e18)));
    Timer timer{nextId_++, interval, now() + interval, true, std::move(fn)};
    const int id = timer.id;
    (dispatchingTimers_ ? added_ : timers_).push_back(std::move(timer));
    return id;
}

void RunLoop::invalidateTimer(int id)
{
    for (Timer& t : timers_) {
        if (t.id == id && t.valid) {
            t.valid = false;
            timersInvalidated_ = true;
        }
    }
    for (Timer& t : added_) {
        if (t.id == id && t.valid) {
            t.valid = false;
            timersInvalidated_ = true;
        }
    }
    if (!dispatchingTimers_)
        applyPendingChanges();
}

bool RunLoop::isTimerValid(int id) const
{
    for (const Timer& t : timers_)
        if (t.id == id)
            return t.valid;
    for (const Timer& t : added_)
        if (t.id == id)
            return t.valid;
    return false;
}

void RunLoop::setEventHandler(EventHandler handler)
{
    if (inEventHandler_) {
        pendingEventHandler_ = std::move(handler);
        eventHandlerPending_ = true;
    } else {
        eventHandler_ = std::move(handler);
    }
}

void RunLoop::setRefreshHandler(Callback handler)
{
    if (inRefreshHandler_) {
        pendingRefreshHandler_ = std::move(handler);
        refreshHandlerPending_ = true;
    } else {
        refreshHandler_ = std::move(handler);
    }
}

void RunLoop::setNeedsRefresh()
{
    needsRefresh_ = true;
}

void RunLoop::quit()
{
    quit_ = true;
}

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

void RunLoop::applyPendingChanges()
{
    if (timersInvalidated_) {
        timers_.erase(std::remove_if(timers_.begin(), timers_.end(), [](const Timer& t) { return !t.valid; }),
                      timers_.end());
        timersInvalidated_ = false;
    }
    for (Timer& t : added_) {
        if (t.valid)
            timers_.push_back(std::move(t));
    }
    added_.clear();
}

bool RunLoop::fireDueTimers(uint64_t at)
{
    bool fired = false;
    dispatchingTimers_ = true;
    // timers_ does not change size while dispatching (additions wait in
    // added_, removals only mark), so references stay valid.
    for (size_t i = 0; i < timers_.size() && !quit_; ++i) {
        Timer& t = timers_[i];
        if (!t.valid || at < t.nextDue)
            continue;
        t.nextDue += t.interval;
        if (at >= t.nextDue + 2 * t.interval) {
            // More than two intervals late: drop the missed ticks.
            t.nextDue = at + t.interval;
        }
        t.fn();
        fired = true;
    }
    dispatchingTimers_ = false;
    applyPendingChanges();
    return fired;
}

uint64_t RunLoop::earliestDue() const
{
    uint64_t due = UINT64_MAX;
    for (const Timer& t : timers_)
        if (t.valid)
            due = std::min(due, t.nextDue);
    return due;
}

void RunLoop::dispatchEvent(const SDL_Event& event)
{
    const InputEvent e = translateEvent(event, window_);
    if (eventHandler_ && e.type != InputEvent::None) {
        inEventHandler_ = true;
        eventHandler_(e);
        inEventHandler_ = false;
        if (eventHandlerPending_) {
            eventHandler_ = std::move(pendingEventHandler_);
            pendingEventHandler_ = nullptr;
            eventHandlerPending_ = false;
        }
    }
    if (e.type == InputEvent::Quit)
        quit_ = true;
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
    const double ticksPerMs = static_cast<double>(SDL_GetPerformanceFrequency()) / 1000.0;
    SDL_Event event;

    while (!quit_) {
        bool activity = needsRefresh_;
        needsRefresh_ = false;
        while (!quit_ && SDL_PollEvent(&event)) {
            dispatchEvent(event);
            activity = true;
        }
        if (!quit_ && fireDueTimers(now()))
            activity = true;
        if (activity && !quit_ && refreshHandler_) {
            inRefreshHandler_ = true;
            refreshHandler_();
            inRefreshHandler_ = false;
            if (refreshHandlerPending_) {
                refreshHandler_ = std::move(pendingRefreshHandler_);
                pendingRefreshHandler_ = nullptr;
                refreshHandlerPending_ = false;
            }
        }
        if (quit_)
            continue;

        // Sleep until the next timer is due or an event arrives.
        const uint64_t due = earliestDue();
        const uint64_t t = now();
        if (due != UINT64_MAX && due <= t)
            continue;
        const double remainingMs = due == UINT64_MAX ? kIdleWaitMs : static_cast<double>(due - t) / ticksPerMs;
        if (remainingMs > kPreciseSleepMs) {
            const int waitMs = static_cast<int>(std::min(remainingMs - kWakeEarlyMs, static_cast<double>(kIdleWaitMs)));
            if (SDL_WaitEventTimeout(&event, waitMs) == 1) {
                dispatchEvent(event);
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
