// The on/off switch: a rounded track, blue "ON" to the left of a white knob
// and grey "OFF" to its right, sliding under the knob.
#include "platform/kit/cairoContext.h"
#include "platform/kit/kit.h"
#include "platform/kit/style.h"
#include "platform/kit/text.h"

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

void Switch::drawRect(GraphicsContext& context, Rect)
{
    cairo_t* cr = cairoOf(context);
    const Rect b = bounds();
    if (!cr || b.width <= kKnobWidth || b.height < 2)
        return;
    if (!isEnabled())
        cairo_push_group(cr);
    const float travel = b.width - kKnobWidth;
    const float knobX = knobPosition() * travel;
    const Rect track{0.5f, 0.5f, b.width - 1, b.height - 1};

    cairo_save(cr);
    roundedRectPath(cr, track, kRadius);
    cairo_clip(cr);
    // The "on" side slides in from the left, the "off" side from the right.
    cairo_rectangle(cr, 0, 0, knobX + kKnobWidth / 2, b.height);
    setVerticalGradient(cr, style::kPressedBottom, style::kPressedTop, 0, b.height);
    cairo_fill(cr);
    cairo_rectangle(cr, knobX + kKnobWidth / 2, 0, b.width, b.height);
    setVerticalGradient(cr, rgb(0xE2E2E2), rgb(0xFDFDFD), 0, b.height);
    cairo_fill(cr);
    // A soft inner shadow under the top edge.
    cairo_rectangle(cr, 0, 0, b.width, 5);
    setVerticalGradient(cr, rgb(0x000000, 0.22f), rgb(0x000000, 0), 0, 5);
    cairo_fill(cr);
    const Font font = Font::system(16);
    drawText(cr, "ON", {font, true, Color::white(), TextAlignment::Center, 1}, {knobX - travel, 0, travel, b.height});
    drawText(cr, "OFF", {font, true, rgb(0x7A7A7A), TextAlignment::Center, 1},
             {knobX + kKnobWidth, 0, travel, b.height});
    cairo_restore(cr);

    roundedRectPath(cr, track, kRadius);
    setSource(cr, style::kBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);

    // The knob.
    const Rect knob{knobX + 0.5f, 0.5f, kKnobWidth - 1, b.height - 1};
    roundedRectPath(cr, knob, kRadius);
    if (isHighlighted())
        fillGradientPreserve(cr, rgb(0xE6E6E6), rgb(0xC4C4C4), 0, b.height);
    else
        fillGradientPreserve(cr, rgb(0xFFFFFF), rgb(0xD6D6D6), 0, b.height);
    setSource(cr, rgb(0x000000, 0.42f));
    cairo_stroke(cr);
    if (!isEnabled()) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, style::kDisabledAlpha);
    }
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
