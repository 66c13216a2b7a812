#include <algorithm>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/imaging/image.h"
#include "platform/imaging/resources.h"
#include "testHome.h"

namespace zorbel {
namespace {

namespace fs = std::filesystem;

// Files in a fresh folder; PNG files written by ImageMagick, independent of
// the code under test.
class ImagingFiles : public ::testing::Test {
protected:
    std::string path(const char* name) const { return dir_ + "/" + name; }
    // w x h pixels of straight (not premultiplied) RGBA.
    void writePng(const char* name, int w, int h, const std::vector<uint8_t>& straight) const
    {
        std::ofstream(path(name) + ".rgba", std::ios::binary)
            .write(reinterpret_cast<const char*>(straight.data()), std::streamsize(straight.size()));
        const std::string cmd = IM_CONVERT " -size " + std::to_string(w) + "x" + std::to_string(h) +
                                " -depth 8 'rgba:" + path(name) + ".rgba' 'PNG32:" + path(name) + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
    const std::string dir_ = test::freshDir("imaging");
};

const uint8_t* pixel(const RGBAImage& img, int x, int y)
{
    return &img.pixels[(size_t(y) * img.width + x) * 4];
}

#define EXPECT_PIXEL(img, x, y, r, g, b, a)                                                                            \
    EXPECT_EQ(std::vector<int>(pixel(img, x, y), pixel(img, x, y) + 4), (std::vector<int>{r, g, b, a})) << x << "," << y

TEST_F(ImagingFiles, LoadGivesPremultipliedRGBATopRowFirst)
{
    // 3 x 2, straight alpha in the file.
    const std::vector<uint8_t> straight = {
        255, 0, 0,   255, /**/ 0,   255, 0,   255, /**/ 200, 100, 50, 128,  // top row
        0,   0, 255, 255, /**/ 255, 255, 255, 0,   /**/ 10,  20,  30, 255,  // bottom row
    };
    writePng("pattern.png", 3, 2, straight);
    RGBAImage img;
    ASSERT_TRUE(loadPNG(path("pattern.png"), img));
    ASSERT_EQ(img.width, 3);
    ASSERT_EQ(img.height, 2);
    ASSERT_EQ(img.pixels.size(), 3u * 2 * 4);
    EXPECT_PIXEL(img, 0, 0, 255, 0, 0, 255);
    EXPECT_PIXEL(img, 1, 0, 0, 255, 0, 255);
    EXPECT_PIXEL(img, 2, 0, 100, 50, 25, 128);  // 200, 100, 50 times 128/255
    EXPECT_PIXEL(img, 0, 1, 0, 0, 255, 255);
    EXPECT_PIXEL(img, 1, 1, 0, 0, 0, 0);
    EXPECT_PIXEL(img, 2, 1, 10, 20, 30, 255);
}

TEST_F(ImagingFiles, SaveThenLoadRoundTripsEveryPremultipliedPixel)
{
    RGBAImage img;
    img.width = 37;  // odd width: no accidental row padding match
    img.height = 19;
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const uint8_t a = uint8_t((x * 7 + y * 13) % 256);
            img.pixels.insert(img.pixels.end(), {uint8_t(a * x / 36), uint8_t(a * y / 18), uint8_t(a / 2), a});
        }
    ASSERT_TRUE(savePNG(path("round.png"), img));
    RGBAImage back;
    ASSERT_TRUE(loadPNG(path("round.png"), back));
    EXPECT_EQ(back.width, img.width);
    EXPECT_EQ(back.height, img.height);
    EXPECT_EQ(back.pixels, img.pixels);
}

// --- Shipped resources.

RGBAImage loadShipped(const char* name)
{
    RGBAImage img;
    EXPECT_TRUE(loadPNG(resourcePath(name), img)) << name << " at " << resourcePath(name);
    return img;
}

TEST(Resources, PathIsAbsoluteAndIndependentOfTheCurrentDirectory)
{
    const std::string before = resourcePath("bb512x512.png");
    EXPECT_TRUE(fs::path(before).is_absolute()) << before;
    const fs::path cwd = fs::current_path();
    fs::current_path(fs::temp_directory_path());
    EXPECT_EQ(resourcePath("bb512x512.png"), before);
    fs::current_path(cwd);
    RGBAImage img;
    EXPECT_FALSE(loadPNG(resourcePath("no-such-image.png"), img));
    EXPECT_FALSE(resourcePath(nullptr).empty());
}

TEST(Resources, FaceMaskHidesOutsideTheHeadOutline)
{
    const RGBAImage img = loadShipped("facemask25.png");
    ASSERT_EQ(img.width, 256);
    const auto grey = [&](int x, int y) { return pixel(img, x, y)[0]; };
    EXPECT_EQ(grey(128, 128), 0);        // centre of the face: photo shows
    EXPECT_EQ(grey(128, 128 - 105), 0);  // radius 4.32 at the top is 110 px
    EXPECT_EQ(grey(128, 128 - 115), 255);
    EXPECT_EQ(grey(128 - 65, 128), 0);  // radius 2.7 at the sides is 69 px
    EXPECT_EQ(grey(128 + 75, 128), 255);
    for (int c : {0, 255})
        EXPECT_EQ(grey(c, c), 255);  // corners hidden
    for (size_t i = 0; i < img.pixels.size(); i += 4)
        ASSERT_EQ(img.pixels[i + 3], 255);
}

}  // namespace
}  // namespace zorbel
