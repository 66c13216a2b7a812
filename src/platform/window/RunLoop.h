// The main loop: one thread runs events, repeating timers and the refresh
// (compositing) handler. Timers are paced by a monotonic clock, not by the
// display: a 1/60 s timer fires 60 times a second on average whatever the
// screen's refresh rate. A loop that falls more than two intervals behind
// skips ahead instead of firing a burst of late ticks.
#pragma once

#include "platform/window/inputEvent.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace zorbel {

class AppWindow;

class RunLoop {
public:
    using Callback = std::function<void()>;
    using EventHandler = std::function<void(const InputEvent&)>;

    RunLoop();
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // First fire one interval from now. Returns the timer's id (> 0), or 0
    // for a non-positive or non-finite interval or an empty callback (logged).
    int addRepeatingTimer(double intervalSeconds, Callback fn);
    // Stops a timer; unknown ids are ignored. Safe inside any timer callback,
    // including the timer's own: the callback is destroyed after it returns.
    void invalidateTimer(int id);
    bool isTimerValid(int id) const;

    // Every event, translated once into the program's terms, goes to the
    // event handler (none of the None ones); Quit also ends run() after the
    // handler has seen it. Positions are taken in the window's screen points.
    void setEventHandler(EventHandler handler);
    void setEventWindow(const AppWindow* window) { window_ = window; }
    // An event the platform's own callbacks bring (the browser's): handled at
    // once, as run() handles those it translates, and the refresh follows.
    void post(const InputEvent& e);

    // Called after a round of events and timers in which anything happened (an
    // event, a timer firing, or setNeedsRefresh): the place to composite.
    void setRefreshHandler(Callback handler);
    void setNeedsRefresh();

    // Runs until quit() or a Quit event. On the desktop it starts SDL's
    // event subsystem for its duration; not reentrant. In the browser it
    // starts the frame callbacks and returns: the page's events and frames
    // run the loop from then on.
    void run();
    // Ends run() once the current callback returns.
    void quit();
    bool isRunning() const { return running_; }

    // Queues a Quit event, as closing the window does (any thread). False if
    // the event queue is not running.
    static bool postQuitEvent();
    // Wakes the loop from another thread, so that the refresh handler runs.
    static void wakeUp();

private:
    struct Timer {
        int id;
        uint64_t interval;  // nanoseconds
        uint64_t nextDue;
        bool valid;
        Callback fn;
    };

    static uint64_t now();  // nanoseconds on a monotonic clock
    bool fireDueTimers(uint64_t now);
    // One translated event to the handler; a Quit ends run().
    void deliver(const InputEvent& e);
    void refresh();  // the refresh handler, once
    void applyPendingChanges();
    uint64_t earliestDue() const;  // UINT64_MAX with no timers

    std::vector<Timer> timers_;
    std::vector<Timer> added_;  // made inside callbacks, joined after dispatch
    bool dispatchingTimers_ = false;
    bool timersInvalidated_ = false;

    const AppWindow* window_ = nullptr;
    EventHandler eventHandler_;
    Callback refreshHandler_;
    // A handler replaced from inside itself is swapped in after it returns.
    bool inEventHandler_ = false, inRefreshHandler_ = false;
    bool eventHandlerPending_ = false, refreshHandlerPending_ = false;
    EventHandler pendingEventHandler_;
    Callback pendingRefreshHandler_;

    int nextId_ = 1;
    bool running_ = false;
    bool quit_ = false;
    bool needsRefresh_ = false;
};

}  // namespace zorbel
