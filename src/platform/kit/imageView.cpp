// Image views: a picture stretched to the frame.
#include "platform/imaging/image.h"
#include "platform/kit/kit.h"

namespace zorbel {

ImageView::ImageView(Image image)
    : View(image ? Rect{0, 0, float(image->width), float(image->height)} : Rect{}), image_(std::move(image))
{
    setUserInteractionEnabled(false);
}

void ImageView::drawRect(GraphicsContext& context, Rect)
{
    if (image_)
        context.drawImage(image_, bounds());
}

}  // namespace zorbel
