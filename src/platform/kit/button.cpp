// The rounded-rectangle button: white with a thin grey outline and a bold
// blue title; blue with a white title while pressed.
#include "platform/kit/kit.h"
#include "platform/kit/style.h"
#include "platform/log/log.h"

#include <cmath>

namespace zorbel {

namespace {

constexpr float kCornerRadius = 9;  // points

}  // namespace

Button::Button(Rect frame) : Control(frame) {}

void Button::setTitle(std::string title)
{
    title_ = std::move(title);
    setNeedsDisplay();
}

void Button::setFont(Font f)
{
    if (!(f.size > 0 && std::isfinite(f.size))) {
        logLine("kit: ignoring font size %g", f.size);
        return;
    }
    font_ = f;
    setNeedsDisplay();
}

void Button::addAction(Action action)
{
    actions_.push_back(std::move(action));
}

void Button::drawRect(GraphicsContext& gc, Rect)
{
    const Rect b = bounds();
    if (b.width < 2 || b.height < 2)
        return;
    if (!isEnabled())
        gc.beginLayer();
    const bool pressed = isHighlighted();
    // Outline on the half point, so it is one crisp line at 1x.
    gc.roundedRect({0.5f, 0.5f, b.width - 1, b.height - 1}, kCornerRadius);
    if (pressed)
        gc.fill(Paint::vertical(style::kPressedTop, style::kPressedBottom, 0, b.height), true);
    else
        gc.fill(Paint::vertical(rgb(0xFFFFFF), rgb(0xF1F1F1), 0, b.height), true);
    gc.stroke(pressed ? style::kBlueBorder : style::kBorder, 1);

    TextStyle title{font_, true, pressed ? Color::white() : style::kTitleBlue, TextAlignment::Center, 1};
    gc.drawText(title_, title, {6, 0, b.width - 12, b.height});
    if (!isEnabled())
        gc.endLayer(style::kDisabledAlpha);
}

void Button::touchesBegan(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesBegan(touches);
    if (beginTracking(touches))
        setHighlighted(true);
}

void Button::touchesMoved(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesMoved(touches);
    if (const Touch* t = trackedTouch(touches))
        setHighlighted(bounds().contains(t->locationInView(this)));
}

void Button::touchesEnded(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesEnded(touches);
    if (const Touch* t = trackedTouch(touches)) {
        const bool inside = bounds().contains(t->locationInView(this));
        endTracking();
        setHighlighted(false);
        if (inside)
            sendActions(actions_);
    }
}

void Button::touchesCancelled(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesCancelled(touches);
    if (trackedTouch(touches)) {
        endTracking();
        setHighlighted(false);
    }
}

}  // namespace zorbel
