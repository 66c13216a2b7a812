// The horizontal slider: a blue filled track left of a round white knob, a
// grey track to its right. The knob jumps to where the finger touches the
// track and follows it from there.
#include "platform/kit/kit.h"
#include "platform/kit/style.h"
#include "platform/log/log.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

constexpr float kKnobRadius = 11.5f;  // points; the knob's centre stays this far inside the ends
constexpr float kTrackHeight = 9;
constexpr float kTouchBand = 15;  // touches are taken this far above and below the frame

}  // namespace

Slider::Slider(Rect frame) : Control(frame) {}

void Slider::setMinimumValue(float v)
{
    if (!std::isfinite(v)) {
        logLine("kit: ignoring slider minimum %g", v);
        return;
    }
    min_ = v;
    max_ = std::max(max_, v);
    setValue(value_);
    setNeedsDisplay();
}

void Slider::setMaximumValue(float v)
{
    if (!std::isfinite(v)) {
        logLine("kit: ignoring slider maximum %g", v);
        return;
    }
    max_ = v;
    min_ = std::min(min_, v);
    setValue(value_);
    setNeedsDisplay();
}

void Slider::setValue(float v)
{
    if (std::isnan(v)) {
        logLine("kit: ignoring slider value NaN");
        return;
    }
    v = std::clamp(v, min_, max_);
    if (v == value_)
        return;
    value_ = v;
    setNeedsDisplay();
}

void Slider::addAction(Action action)
{
    actions_.push_back(std::move(action));
}

View* Slider::hitTest(Point p)
{
    if (!isUserInteractionEnabled() || alpha() <= 0.01f)
        return nullptr;
    const Rect band{0, -kTouchBand, frame().width, frame().height + 2 * kTouchBand};
    return band.contains(p) ? this : nullptr;
}

void Slider::drawRect(GraphicsContext& gc, Rect)
{
    const Rect b = bounds();
    if (b.width < 2 * kKnobRadius)
        return;
    if (!isEnabled())
        gc.beginLayer();
    const float cy = b.height / 2;
    const float fraction = max_ > min_ ? (value_ - min_) / (max_ - min_) : 0;
    const float knobX = kKnobRadius + fraction * (b.width - 2 * kKnobRadius);
    const Rect track{0.5f, cy - kTrackHeight / 2, b.width - 1, kTrackHeight};
    const float top = track.y, bottom = track.y + track.height;

    // The grey part, right of the knob.
    gc.save();
    gc.rect({knobX, top - 1, b.width, kTrackHeight + 2});
    gc.clip();
    gc.roundedRect(track, kTrackHeight / 2);
    gc.fill(Paint::vertical(rgb(0xBDBDBD), rgb(0xF4F4F4), top, bottom), true);
    gc.stroke(rgb(0x000000, 0.35f), 1);
    gc.restore();

    // The blue part, left of the knob.
    gc.save();
    gc.rect({0, top - 1, knobX, kTrackHeight + 2});
    gc.clip();
    gc.roundedRect(track, kTrackHeight / 2);
    gc.fill(Paint::vertical(rgb(0x2D6AD8), rgb(0x8AB6F4), top, bottom), true);
    gc.stroke(style::kBlueBorder, 1);
    gc.restore();

    // The knob, with a soft shadow below it.
    for (int i = 3; i >= 1; --i) {
        gc.arc(knobX, cy + 1, kKnobRadius + i * 0.5f, 0, 2 * M_PI);
        gc.fill(rgb(0x000000, 0.06f));
    }
    gc.arc(knobX, cy, kKnobRadius - 0.5f, 0, 2 * M_PI);
    if (isHighlighted())
        gc.fill(Paint::vertical(rgb(0xE9E9E9), rgb(0xC8C8C8), cy - kKnobRadius, cy + kKnobRadius), true);
    else
        gc.fill(Paint::vertical(rgb(0xFFFFFF), rgb(0xDADADA), cy - kKnobRadius, cy + kKnobRadius), true);
    gc.stroke(rgb(0x000000, 0.35f), 1);
    if (!isEnabled())
        gc.endLayer(style::kDisabledAlpha);
}

// The value under the finger: the knob's centre travels between the ends
// inset by its radius.
void Slider::follow(const Touch& touch)
{
    const float travel = frame().width - 2 * kKnobRadius;
    const float fraction = travel > 0 ? (touch.locationInView(this).x - kKnobRadius) / travel : 0;
    const float before = value_;
    setValue(min_ + std::clamp(fraction, 0.0f, 1.0f) * (max_ - min_));
    if (continuous_ && value_ != before)
        sendActions(actions_);
}

void Slider::touchesBegan(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesBegan(touches);
    if (const Touch* t = beginTracking(touches)) {
        startValue_ = value_;
        setHighlighted(true);
        follow(*t);
    }
}

void Slider::touchesMoved(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesMoved(touches);
    if (const Touch* t = trackedTouch(touches))
        follow(*t);
}

void Slider::touchesEnded(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesEnded(touches);
    if (const Touch* t = trackedTouch(touches)) {
        follow(*t);
        endTracking();
        setHighlighted(false);
        if (!continuous_ && value_ != startValue_)
            sendActions(actions_);
    }
}

void Slider::touchesCancelled(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesCancelled(touches);
    if (trackedTouch(touches)) {
        endTracking();
        setHighlighted(false);
        if (!continuous_ && value_ != startValue_)
            sendActions(actions_);
    }
}

}  // namespace zorbel
