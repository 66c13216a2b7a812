// The run loop's timers and handlers, the same on every platform; how it
// waits for events and time is its platform's (runLoopSdl.cpp,
// runLoopWeb.cpp).
#include "platform/window/RunLoop.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "platform/log/log.h"

namespace zorbel {

uint64_t RunLoop::now()
{
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

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
    const double ticks = intervalSeconds * 1e9;
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

void RunLoop::deliver(const InputEvent& e)
{
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

void RunLoop::post(const InputEvent& e)
{
    deliver(e);
    needsRefresh_ = true;
}

void RunLoop::refresh()
{
    if (!refreshHandler_)
        return;
    inRefreshHandler_ = true;
    refreshHandler_();
    inRefreshHandler_ = false;
    if (refreshHandlerPending_) {
        refreshHandler_ = std::move(pendingRefreshHandler_);
        pendingRefreshHandler_ = nullptr;
        refreshHandlerPending_ = false;
    }
}

}  // namespace zorbel
