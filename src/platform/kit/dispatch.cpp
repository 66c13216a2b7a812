// Touch dispatch: each touch goes to the view it began on, and views removed
// while an event is handled live on until the event is done.
#include "platform/kit/kit.h"
#include "platform/kit/responder.h"
#include "platform/kit/screenImpl.h"
#include "platform/log/log.h"

#include <algorithm>

namespace zorbel {

namespace {

int g_dispatchDepth = 0;  // events being dispatched (they may nest)

std::vector<std::shared_ptr<void>>& releasePool()
{
    static std::vector<std::shared_ptr<void>> pool;
    return pool;
}

// Marks an event being dispatched; the outermost one empties the pool at its end.
struct DispatchScope {
    DispatchScope() { ++g_dispatchDepth; }
    ~DispatchScope()
    {
        if (--g_dispatchDepth > 0)
            return;
        // Moved out first: a destructor run here may release more objects.
        while (!releasePool().empty()) {
            auto batch = std::move(releasePool());
            releasePool().clear();
        }
    }
};

// The top-most view of a tree that takes input: the last such subview,
// depth first. A notice over everything lets the keys through too.
View* topMost(View& v)
{
    const auto& subviews = v.subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
        if ((*it)->isUserInteractionEnabled())
            return topMost(**it);
    return &v;
}

bool isInTree(const View* view, const View* root)
{
    while (view && view != root)
        view = view->superview();
    return view == root;
}

}  // namespace

EventScope::EventScope()
{
    ++g_dispatchDepth;
}

EventScope::~EventScope()
{
    DispatchScope closing;  // the outermost scope's end empties the pool
    --g_dispatchDepth;
}

void releaseAfterDispatch(std::shared_ptr<void> object)
{
    if (g_dispatchDepth > 0 && object)
        releasePool().push_back(std::move(object));
    // Otherwise `object` is released on return.
}

void Screen::dispatch(TouchPhase phase, const std::vector<Touch>& touches)
{
    DispatchScope scope;
    auto& tracked = impl_->touches;
    auto trackedOf = [&](int64_t id) {
        return std::find_if(tracked.begin(), tracked.end(), [id](const Impl::Tracked& t) { return t.id == id; });
    };

    // Strong references to the views being delivered to, so none can vanish mid-event.
    struct Delivery {
        std::shared_ptr<View> view;
        std::vector<Touch> touches;
    };
    std::vector<Delivery> deliveries;

    for (const Touch& touch : touches) {
        std::shared_ptr<View> target;
        auto it = trackedOf(touch.id);
        if (phase == TouchPhase::Began) {
            if (it != tracked.end()) {
                logLine("kit: touch %lld began twice; following it anew", static_cast<long long>(touch.id));
                tracked.erase(it);
            }
            View* hit = root_->hitTest(touch.screenLocation);
            target = hit ? hit->weak_from_this().lock() : nullptr;
            if (!target)
                continue;
            // A view without multiple touch follows one finger at a time.
            const bool busy = std::any_of(tracked.begin(), tracked.end(),
                                          [&](const Impl::Tracked& t) { return t.view.lock() == target; });
            if (busy && !target->isMultipleTouchEnabled())
                continue;
            tracked.push_back({touch.id, target});
        } else {
            if (it == tracked.end())
                continue;  // began on no view
            target = it->view.lock();
            if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled)
                tracked.erase(it);
            if (!target)
                continue;
        }
        auto d =
            std::find_if(deliveries.begin(), deliveries.end(), [&](const Delivery& x) { return x.view == target; });
        if (d == deliveries.end())
            deliveries.push_back({std::move(target), {touch}});
        else
            d->touches.push_back(touch);
    }

    for (const Delivery& d : deliveries) {
        // A view taken out of the screen (perhaps by an earlier delivery) receives no more touches.
        if (isInTree(d.view.get(), root_.get()))
            deliverTouches(*d.view, phase, d.touches);
    }
}

bool Screen::dispatchWheel(Point at, float steps, bool shift)
{
    DispatchScope scope;
    View* hit = root_->hitTest(at);
    const std::shared_ptr<View> target = hit ? hit->shared_from_this() : nullptr;
    return target && target->scrollWheel(at, steps, shift);
}

bool Screen::dispatchKey(Key key, bool shift)
{
    DispatchScope scope;
    const std::shared_ptr<View> target = topMost(*root_)->shared_from_this();
    return target->keyDown(key, shift);
}

}  // namespace zorbel
