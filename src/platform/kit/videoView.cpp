// Video views: a live picture kept in the form the screen draws, so drawing
// it costs no conversion.
#include "platform/kit/kit.h"
#include "platform/log/log.h"

#include <algorithm>

namespace zorbel {

VideoView::VideoView(Rect frame) : View(frame)
{
    setUserInteractionEnabled(false);
}

VideoView::~VideoView() = default;

bool VideoView::setPixels(const uint8_t* rgba, int width, int height, int stride)
{
    setNeedsDisplay();
    if (width > 16384 || height > 16384) {
        logLine("kit: ignoring a %d x %d video picture", width, height);
        picture_.reset();
        return false;
    }
    return Picture::update(picture_, rgba, width, height, stride, true);
}

void VideoView::setMirrored(bool on)
{
    mirrored_ = on;
    setNeedsDisplay();
}

void VideoView::drawRect(GraphicsContext& gc, Rect)
{
    if (!picture_)
        return;
    const Rect b = bounds();
    const double scale = std::min(b.width / picture_->width(), b.height / picture_->height());
    const double w = picture_->width() * scale, h = picture_->height() * scale;
    const double x = (b.width - w) / 2, y = (b.height - h) / 2;
    gc.save();
    gc.rect({static_cast<float>(x), static_cast<float>(y), static_cast<float>(w), static_cast<float>(h)});
    gc.clip();
    gc.translate(mirrored_ ? x + w : x, y);
    gc.scale(mirrored_ ? -scale : scale, scale);
    gc.paintPicture(*picture_, {0, 0, static_cast<float>(picture_->width()), static_cast<float>(picture_->height())});
    gc.restore();
}

}  // namespace zorbel
