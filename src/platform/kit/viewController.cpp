// View controllers: a lazily built root view, next in its responder chain.
#include "platform/kit/kit.h"
#include "platform/kit/responder.h"
#include "platform/log/log.h"

namespace zorbel {

ViewController::ViewController() = default;

ViewController::~ViewController()
{
    if (view_ && view_->controller_ == this)
        view_->controller_ = nullptr;
}

std::shared_ptr<View> ViewController::view()
{
    if (!view_) {
        loadView();
        if (!view_) {
            logLine("kit: loadView set no view; using a plain one");
            setView(std::make_shared<View>(kScreenBounds));
        }
    }
    return view_;
}

void ViewController::setView(std::shared_ptr<View> view)
{
    if (view_ && view_->controller_ == this)
        view_->controller_ = nullptr;
    view_ = std::move(view);
    if (view_)
        view_->controller_ = this;
}

void ViewController::loadView()
{
    setView(std::make_shared<View>(kScreenBounds));
}

namespace {

// Touches passed on by the root view continue to its superview.
void toSuperview(const std::shared_ptr<View>& view, TouchPhase phase, const std::vector<Touch>& touches)
{
    if (view && view->superview())
        deliverTouches(*view->superview(), phase, touches);
}

}  // namespace

void ViewController::touchesBegan(const std::vector<Touch>& touches)
{
    toSuperview(view_, TouchPhase::Began, touches);
}

void ViewController::touchesMoved(const std::vector<Touch>& touches)
{
    toSuperview(view_, TouchPhase::Moved, touches);
}

void ViewController::touchesEnded(const std::vector<Touch>& touches)
{
    toSuperview(view_, TouchPhase::Ended, touches);
}

void ViewController::touchesCancelled(const std::vector<Touch>& touches)
{
    toSuperview(view_, TouchPhase::Cancelled, touches);
}

}  // namespace zorbel
