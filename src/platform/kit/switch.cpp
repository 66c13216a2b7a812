// The on/off switch: a rounded track, blue "ON" to the left of a white knob
// and grey "OFF" to its right, sliding under the knob.
#include "platform/kit/kit.h"
#include "platform/kit/style.h"

#include <algorithm>
#include <cmath>

namespace zorbel {

namespace {

constexpr float kWidth = 94, kHeight = 27;  // the switch's fixed size, points
constexpr float kKnobWidth = 40;
constexpr float kRadius = 7;
constexpr float kSlideThreshold = 4;  // a finger moving further slides the knob

}  // namespace

// A switch keeps its own size whatever the frame asks.
Switch::Switch(Rect frame) : Control({frame.x, frame.y, kWidth, kHeight}) {}

void Switch::setOn(bool on)
{
    if (on == on_)
        return;
    on_ = on;
    setNeedsDisplay();
}

void Switch::addAction(Action action)
{
    actions_.push_back(std::move(action));
}

float Switch::knobPosition() const
{
    return slid_ ? knob_ : (on_ ? 1.0f : 0.0f);
}

void Switch::drawRect(GraphicsContext& gc, Rect)
{
    const Rect b = bounds();
    if (b.width <= kKnobWidth || b.height < 2)
        return;
    if (!isEnabled())
        gc.beginLayer();
    const float travel = b.width - kKnobWidth;
    const float knobX = knobPosition() * travel;
    const Rect track{0.5f, 0.5f, b.width - 1, b.height - 1};

    gc.save();
    gc.roundedRect(track, kRadius);
    gc.clip();
    // The "on" side slides in from the left, the "off" side from the right.
    gc.rect({0, 0, knobX + kKnobWidth / 2, b.height});
    gc.fill(Paint::vertical(style::kPressedBottom, style::kPressedTop, 0, b.height));
    gc.rect({knobX + kKnobWidth / 2, 0, b.width, b.height});
    gc.fill(Paint::vertical(rgb(0xE2E2E2), rgb(0xFDFDFD), 0, b.height));
    // A soft inner shadow under the top edge.
    gc.rect({0, 0, b.width, 5});
    gc.fill(Paint::vertical(rgb(0x000000, 0.22f), rgb(0x000000, 0), 0, 5));
    const Font font = Font::system(16);
    gc.drawText("ON", {font, true, Color::white(), TextAlignment::Center, 1}, {knobX - travel, 0, travel, b.height});
    gc.drawText("OFF", {font, true, rgb(0x7A7A7A), TextAlignment::Center, 1},
                {knobX + kKnobWidth, 0, travel, b.height});
    gc.restore();

    gc.roundedRect(track, kRadius);
    gc.stroke(style::kBorder, 1);

    // The knob.
    gc.roundedRect({knobX + 0.5f, 0.5f, kKnobWidth - 1, b.height - 1}, kRadius);
    if (isHighlighted())
        gc.fill(Paint::vertical(rgb(0xE6E6E6), rgb(0xC4C4C4), 0, b.height), true);
    else
        gc.fill(Paint::vertical(rgb(0xFFFFFF), rgb(0xD6D6D6), 0, b.height), true);
    gc.stroke(rgb(0x000000, 0.42f), 1);
    if (!isEnabled())
        gc.endLayer(style::kDisabledAlpha);
}

void Switch::touchesBegan(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesBegan(touches);
    if (const Touch* t = beginTracking(touches)) {
        startX_ = t->locationInView(this).x;
        slid_ = false;
        setHighlighted(true);
    }
}

void Switch::touchesMoved(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesMoved(touches);
    const Touch* t = trackedTouch(touches);
    if (!t)
        return;
    const float dx = t->locationInView(this).x - startX_;
    if (!slid_ && std::fabs(dx) > kSlideThreshold)
        slid_ = true;
    if (slid_) {
        const float travel = std::max(1.0f, frame().width - kKnobWidth);
        knob_ = std::clamp((on_ ? 1.0f : 0.0f) + dx / travel, 0.0f, 1.0f);
        setNeedsDisplay();
    }
}

void Switch::touchesEnded(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesEnded(touches);
    const Touch* t = trackedTouch(touches);
    if (!t)
        return;
    // A slide leaves it on the side the knob ends on; a tap toggles it.
    const bool next = slid_ ? knob_ >= 0.5f : (bounds().contains(t->locationInView(this)) ? !on_ : on_);
    endTracking();
    slid_ = false;
    setHighlighted(false);
    setNeedsDisplay();
    if (next != on_) {
        on_ = next;
        sendActions(actions_);
    }
}

void Switch::touchesCancelled(const std::vector<Touch>& touches)
{
    if (!isEnabled())
        return View::touchesCancelled(touches);
    if (trackedTouch(touches)) {
        endTracking();
        slid_ = false;
        setHighlighted(false);
        setNeedsDisplay();
    }
}

}  // namespace zorbel
