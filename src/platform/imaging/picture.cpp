// Making a picture is updating an empty one; each drawing implementation
// provides Picture::update.
#include "platform/imaging/graphics.h"
#include "platform/imaging/image.h"
#include "platform/log/log.h"

#include <algorithm>

namespace zorbel {

std::unique_ptr<Picture> Picture::create(const uint8_t* rgba, int width, int height, int stride, bool opaque)
{
    std::unique_ptr<Picture> picture;
    update(picture, rgba, width, height, stride, opaque);
    return picture;
}

std::unique_ptr<Picture> Picture::create(const RGBAImage& image)
{
    if (image.pixels.size() != size_t(std::max(image.width, 0)) * std::max(image.height, 0) * 4) {
        logLine("imaging: ignoring a malformed image (%d x %d, %zu bytes)", image.width, image.height,
                image.pixels.size());
        return nullptr;
    }
    return create(image.pixels.data(), image.width, image.height, image.width * 4, false);
}

}  // namespace zorbel
