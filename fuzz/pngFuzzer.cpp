// The face file loader used at start-up, on arbitrary file contents, with
// the 4096-pixel limit: never a crash, and a picture it returns is whole.
#include "fuzzSupport.h"
#include "platform/imaging/image.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = zorbel::fuzz::writeInput("customface.png", data, size);
    zorbel::RGBAImage img;
    img.width = -7;  // a refused file leaves the picture untouched
    if (!zorbel::loadPNG(path, img, 4096)) {
        FUZZ_CHECK(img.width == -7 && img.height == 0 && img.pixels.empty(), "a refused file changed the picture");
        return 0;
    }
    FUZZ_CHECK(img.width > 0 && img.height > 0 && img.width <= 4096 && img.height <= 4096);
    FUZZ_CHECK(img.pixels.size() == size_t(img.width) * img.height * 4);
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        const uint8_t a = img.pixels[i + 3];
        FUZZ_CHECK(img.pixels[i] <= a && img.pixels[i + 1] <= a && img.pixels[i + 2] <= a, "not premultiplied");
    }
    int w = 0, h = 0;
    FUZZ_CHECK(zorbel::pngHeaderSize(path, w, h) && w == img.width && h == img.height,
               "decoded size differs from the header's");
    return 0;
}
