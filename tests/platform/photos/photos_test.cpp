// Listing and decoding photos of a Pictures folder.
#include "pixels.h"
#include "platform/imaging/image.h"
#include "platform/photos/photos.h"
#include "testHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

namespace zorbel {
namespace {

void touchAt(const std::string& path, long seconds)
{
    utimbuf t{seconds, seconds};
    utime(path.c_str(), &t);
}

std::string makePicture(const std::string& path, const std::string& recipe)
{
    const std::string cmd = IM_CONVERT " " + recipe + " '" + path + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return path;
}

TEST(Album, ListsPicturesOneFolderDeepNewestFirst)
{
    const std::string dir = test::freshDir("Pictures");
    mkdir((dir + "/holiday").c_str(), 0700);
    mkdir((dir + "/holiday/deeper").c_str(), 0700);
    mkdir((dir + "/.hidden").c_str(), 0700);
    const char* files[] = {
        "/old.jpg",  "/new.PNG", "/holiday/mid.jpeg", "/holiday/deeper/too-deep.jpg", "/.hidden/secret.jpg",
        "/notes.txt"};
    long when = 1000;
    for (const char* f : files) {
        std::ofstream(dir + f) << "x";
        touchAt(dir + f, when += 100);
    }
    touchAt(dir + "/old.jpg", 500);
    const auto album = listAlbum(dir);
    ASSERT_EQ(album.size(), 3u);
    EXPECT_EQ(album[0].path, dir + "/holiday/mid.jpeg");
    EXPECT_EQ(album[1].path, dir + "/new.PNG");
    EXPECT_EQ(album[2].path, dir + "/old.jpg");
    EXPECT_TRUE(listAlbum(dir + "/missing").empty());
}

// Decoded upright by the orientation tag, scaled to fit, premultiplied: each
// picture's size and its colour near the top and near the bottom.
TEST(Photos, DecodeUprightScaledAndPremultiplied)
{
    const struct {
        const char* name;
        const char* recipe;
        int orientation;  // of an EXIF block added to a JPEG, or 0
        int w, h;
        test::Pixel top, bottom;  // within 60 levels, alpha within 1
    } cases[] = {
        // Stored 40 x 20, left half red, right half blue, tagged "turn right".
        {"turned.jpg", "-size 20x20 xc:red -size 20x20 xc:blue +append", 6, 20, 40, {255, 0, 0, 255}, {0, 0, 255, 255}},
        {"wide.png", "-size 5000x100 xc:green", 0, 4096, 82, {0, 128, 0, 255}, {0, 128, 0, 255}},
        {"clear.png", "-size 4x4 xc:'rgba(0,0,255,0.5)'", 0, 4, 4, {0, 0, 128, 128}, {0, 0, 128, 128}},
    };
    const std::string dir = test::freshDir("photos");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = makePicture(dir + "/" + c.name, c.recipe);
        if (c.orientation)
            test::tagJpegOrientation(path, uint8_t(c.orientation));
        RGBAImage img;
        ASSERT_TRUE(loadPhoto(path, img));
        ASSERT_EQ(img.width, c.w);
        ASSERT_EQ(img.height, c.h);
        for (auto [y, want] : {std::pair{c.h / 8, c.top}, {c.h - 1 - c.h / 8, c.bottom}}) {
            const test::Pixel got = test::pixelAt(img, c.w / 2, y);
            EXPECT_TRUE(test::near(got, want.r, want.g, want.b, 60)) << got.r << " " << got.g << " " << got.b;
            EXPECT_NEAR(got.a, want.a, 1);
        }
        ASSERT_TRUE(loadThumbnail(path, 96, img));
        EXPECT_EQ(std::max(img.width, img.height), std::min(96, std::max(c.w, c.h)));
    }
    // Unreadable photos are the hardening tests'; a missing one is refused too.
    RGBAImage img;
    EXPECT_FALSE(loadPhoto(dir + "/missing.jpg", img));
    EXPECT_FALSE(loadThumbnail(dir + "/missing.jpg", 64, img));
}

}  // namespace
}  // namespace zorbel
