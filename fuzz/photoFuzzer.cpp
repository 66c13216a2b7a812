// The album's photo loading on arbitrary file contents: sniffing, decoding,
// EXIF orientation, scaling down and conversion. Never a crash, and a
// picture it returns fits the size asked for and is premultiplied.
#include "fuzzSupport.h"
#include "platform/imaging/image.h"
#include "platform/photos/photos.h"

#include <algorithm>
#include <cstdint>

namespace {

void checkPicture(const zorbel::RGBAImage& img, int maxSide)
{
    FUZZ_CHECK(img.width > 0 && img.height > 0);
    FUZZ_CHECK(std::max(img.width, img.height) <= maxSide,
               std::to_string(img.width) + " x " + std::to_string(img.height) + " over " + std::to_string(maxSide));
    FUZZ_CHECK(img.pixels.size() == size_t(img.width) * img.height * 4);
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        const uint8_t a = img.pixels[i + 3];
        FUZZ_CHECK(img.pixels[i] <= a && img.pixels[i + 1] <= a && img.pixels[i + 2] <= a, "not premultiplied");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = zorbel::fuzz::writeInput("photo.jpg", data, size);
    {
        zorbel::RGBAImage img;
        if (zorbel::loadPhoto(path, img))
            checkPicture(img, 4096);
    }
    {
        zorbel::RGBAImage img;
        if (zorbel::loadThumbnail(path, 152, img))  // the album grid's size
            checkPicture(img, 152);
    }
    {
        zorbel::RGBAImage img;
        if (zorbel::loadPhoto(path, img, 8))  // small seeds scaled down too
            checkPicture(img, 8);
    }
    return 0;
}
