// Labels: static text, vertically centred in the frame.
#include "platform/kit/kit.h"
#include "platform/log/log.h"

#include <cmath>

namespace zorbel {

Label::Label(Rect frame) : View(frame)
{
    setUserInteractionEnabled(false);
}

void Label::setText(std::string text)
{
    text_ = std::move(text);
    setNeedsDisplay();
}

void Label::setFont(Font f)
{
    if (!(f.size > 0 && std::isfinite(f.size))) {
        logLine("kit: ignoring font size %g", f.size);
        return;
    }
    font_ = f;
    setNeedsDisplay();
}

void Label::setTextColor(Color c)
{
    textColor_ = c;
    setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment a)
{
    alignment_ = a;
    setNeedsDisplay();
}

void Label::setMinimumFontSize(float size)
{
    minimumFontSize_ = std::isfinite(size) && size > 0 ? size : 0;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int n)
{
    lines_ = n < 0 ? 0 : n;
    setNeedsDisplay();
}

void Label::drawRect(GraphicsContext& gc, Rect)
{
    // Like a label's own picture, the text ends at its frame (an italic overhang too).
    const Rect b = bounds();
    gc.rect(b);
    gc.clip();
    gc.drawText(text_, {font_, false, textColor_, alignment_, lines_, minimumFontSize_}, b);
}

}  // namespace zorbel
