// The run loop in the browser: the page's animation frames drive it. Each
// frame fires the timers that are due and then refreshes (composites).
// Events come from the page's callbacks, between frames. A hidden tab runs
// no frames; coming back, a timer that fell far behind takes one step and
// goes on from there, without a burst of the missed ones.
#include "platform/window/RunLoop.h"

#include "platform/log/log.h"

#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

namespace zorbel {

namespace {

// A timer due within this much of a frame fires in it: frames come a hair
// early or late, and a 1/60 s timer on a 60 Hz display must not skip one.
constexpr uint64_t kToleranceNs = 4000000;

// Set by wakeUp(): work was queued for the main thread.
bool g_woken = false;

// clang-format off
// Firefox still gives a hidden page an animation frame a second.
EM_JS(int, jsPageHidden, (), {
    return document.hidden ? 1 : 0;
});

EM_JS(void, jsQueueQuit, (), {
    if (Module.quit)
        Module.quit();
});
// clang-format on

}  // namespace

bool RunLoop::postQuitEvent()
{
    jsQueueQuit();
    return true;
}

void RunLoop::wakeUp()
{
    g_woken = true;  // the next frame refreshes, which runs the queued work
}

void RunLoop::run()
{
    if (running_) {
        logLine("runloop: run() is already running");
        return;
    }
    running_ = true;
    quit_ = false;
    emscripten_request_animation_frame_loop(
        [](double, void* self) -> EM_BOOL {
            RunLoop& loop = *static_cast<RunLoop*>(self);
            if (loop.quit_) {
                loop.running_ = false;
                return EM_FALSE;
            }
            if (jsPageHidden())
                return EM_TRUE;  // no frames while hidden, whatever the browser gives
            bool activity = loop.needsRefresh_ || g_woken;
            loop.needsRefresh_ = false;
            g_woken = false;
            if (loop.fireDueTimers(now() + kToleranceNs))
                activity = true;
            if (activity && !loop.quit_)
                loop.refresh();
            return EM_TRUE;
        },
        this);
}

}  // namespace zorbel
