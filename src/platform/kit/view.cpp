// The view tree: frames, subviews, hit testing, coordinate conversion and the
// default responder chain.
#include "platform/kit/kit.h"
#include "platform/kit/responder.h"
#include "platform/kit/rootView.h"
#include "platform/log/log.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

bool isFinite(Rect r)
{
    return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height);
}

}  // namespace

Point Touch::locationInView(const View* view) const
{
    return view ? view->convertFromScreen(screenLocation) : screenLocation;
}

View::View(Rect frame)
{
    setFrame(frame);
}

View::~View()
{
    // Subviews may be kept alive elsewhere; they no longer have a superview.
    for (auto& sub : subviews_)
        sub->superview_ = nullptr;
}

void View::setFrame(Rect frame)
{
    if (!isFinite(frame) || frame.width < 0 || frame.height < 0) {
        logLine("kit: ignoring bad frame (%g, %g, %g, %g)", frame.x, frame.y, frame.width, frame.height);
        return;
    }
    frame_ = frame;
    setNeedsDisplay();
}

void View::setBackgroundColor(Color c)
{
    background_ = c;
    setNeedsDisplay();
}

void View::setAlpha(float a)
{
    if (std::isnan(a)) {
        logLine("kit: ignoring alpha NaN");
        return;
    }
    alpha_ = std::clamp(a, 0.0f, 1.0f);
    setNeedsDisplay();
}

void View::addSubview(std::shared_ptr<View> view)
{
    if (!view) {
        logLine("kit: ignoring addSubview(null)");
        return;
    }
    for (View* v = this; v; v = v->superview_) {
        if (v == view.get()) {
            logLine("kit: a view cannot be added to itself or to one of its subviews");
            return;
        }
    }
    if (View* old = view->superview_) {  // move it: detach without releasing
        view->setNeedsDisplay();
        old->willRemoveSubview(view.get());
        auto& siblings = old->subviews_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), view), siblings.end());
    }
    view->superview_ = this;
    View* added = view.get();
    subviews_.push_back(std::move(view));
    setNeedsDisplay();
    added->didMoveToSuperview();
}

void View::removeFromSuperview()
{
    View* parent = superview_;
    if (!parent)
        return;
    setNeedsDisplay();
    parent->willRemoveSubview(this);
    auto& siblings = parent->subviews_;
    auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto& v) { return v.get() == this; });
    if (it == siblings.end())
        return;  // willRemoveSubview moved it already
    std::shared_ptr<View> keep = std::move(*it);
    siblings.erase(it);
    superview_ = nullptr;
    didMoveToSuperview();
    // Last statement: this may destroy the view when no event is being dispatched.
    releaseAfterDispatch(std::move(keep));
}

void View::willRemoveSubview(View*) {}

void View::didMoveToSuperview() {}

void View::setNeedsDisplay()
{
    View* top = this;
    while (top->superview_)
        top = top->superview_;
    if (auto* root = dynamic_cast<RootView*>(top))
        root->dirty = true;
}

void View::drawRect(GraphicsContext&, Rect) {}

View* View::hitTest(Point p)
{
    if (!interactive_ || alpha_ <= 0.01f || !bounds().contains(p))
        return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        const Rect f = (*it)->frame_;
        if (View* hit = (*it)->hitTest({p.x - f.x, p.y - f.y}))
            return hit;
    }
    return this;
}

Point View::convertToScreen(Point p) const
{
    for (const View* v = this; v; v = v->superview_)
        p = {p.x + v->frame_.x, p.y + v->frame_.y};
    return p;
}

Point View::convertFromScreen(Point p) const
{
    const Point origin = convertToScreen({0, 0});
    return {p.x - origin.x, p.y - origin.y};
}

void View::touchesBegan(const std::vector<Touch>& touches)
{
    passOn(TouchPhase::Began, touches);
}

void View::touchesMoved(const std::vector<Touch>& touches)
{
    passOn(TouchPhase::Moved, touches);
}

void View::touchesEnded(const std::vector<Touch>& touches)
{
    passOn(TouchPhase::Ended, touches);
}

void View::touchesCancelled(const std::vector<Touch>& touches)
{
    passOn(TouchPhase::Cancelled, touches);
}

bool View::scrollWheel(Point at, float steps, bool shift)
{
    return superview_ && superview_->scrollWheel(at, steps, shift);
}

bool View::keyDown(Key key, bool shift)
{
    return superview_ && superview_->keyDown(key, shift);
}

void View::passOn(TouchPhase phase, const std::vector<Touch>& touches)
{
    if (controller_) {
        // The controller stays alive while it handles them, should its handler drop it.
        const auto keep = controller_->weak_from_this().lock();
        deliverTouches(*controller_, phase, touches);
    } else if (superview_) {
        deliverTouches(*superview_, phase, touches);
    }
}

}  // namespace zorbel
