// Bad photos in the album: refused (or, for a gigantic JPEG, scaled while
// decoding) without ever decoding them whole, and the album says so.
#include "hardening.h"
#include "platform/imaging/image.h"
#include "platform/photos/photos.h"
#include "ui/albumPicker.h"
#include "ui/notice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace zorbel::test {
namespace {

// A PNG chunk: length, type, data and the CRC over type and data.
std::string pngChunk(const char* type, const std::string& data)
{
    const std::string body = type + data;
    uint32_t crc = 0xffffffffu;
    for (unsigned char c : body) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return be32(static_cast<uint32_t>(data.size())) + body + be32(~crc);
}

std::string convert(const std::string& dir, const std::string& recipe, const char* name)
{
    const std::string path = dir + "/" + name, cmd = IM_CONVERT " " + recipe + " '" + path + "' 2>/dev/null";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return readFile(path);
}

struct BadPhoto {
    const char* name;  // file name, its ending as the album would see it
    std::string bytes;
};

std::vector<BadPhoto> badPhotos(const std::string& dir)
{
    const std::string jpeg = convert(dir, "-size 200x150 xc:gray +noise Random -quality 85", "noise.jpg");
    const std::string gif = convert(dir, "-size 64x64 xc:gray +noise Random", "noise.gif");
    const std::string signature("\x89PNG\r\n\x1a\n", 8);
    const std::string rgb8("\x08\x02\0\0\0", 5);
    const std::string idat = pngChunk("IDAT", std::string("\x78\x9c\x62\x60\x00\x00", 6));
    const std::string gifZero = std::string("GIF89a") + le16(0) + le16(0) + std::string("\0\0\0", 3) + "," + le16(0) +
                                le16(0) + le16(0) + le16(0) + std::string("\0\x02\x02\x44\x01\0;", 7);
    const std::string bmpZero = "BM" + le32(54) + le32(0) + le32(54) + le32(40) + le32(0) + le32(0) + le16(1) +
                                le16(24) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
    // Found by fuzzing: headers whose claims make gdk-pixbuf's readers reserve
    // gigabytes before reading on (a BMP's sides or pixel offset, a PNG chunk's
    // length).
    const std::string bmpInfo = le32(40) + le32(0xfffcfffb) + le32(0xfffcffff) + le16(1) + le16(24) + le32(0) +
                                le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
    const std::string bmpOffset = "BM" + le32(90) + le32(0) + le32(0xf7f7f7f7) + bmpInfo.substr(0, 4) + le32(3) +
                                  le32(3) + bmpInfo.substr(12) + std::string(36, '\xff');
    return {
        {"bmp-sides.bmp", "BM" + le32(90) + le32(0) + le32(54) + bmpInfo + std::string(36, '\xff')},
        {"bmp-offset.bmp", bmpOffset},
        {"png-chunk.png",
         signature + pngChunk("IHDR", be32(1) + be32(1) + rgb8) + idat + be32(0x73000025) + "tEXtdate"},
        {"truncated.jpg", jpeg.substr(0, jpeg.size() * 6 / 10)},
        {"truncated.gif", gif.substr(0, gif.size() / 2)},
        {"zero.png", signature + pngChunk("IHDR", be32(0) + be32(0) + rgb8)},
        {"zero.gif", gifZero},
        {"zero.bmp", bmpZero},
        {"huge.png", signature + pngChunk("IHDR", be32(30000) + be32(30000) + rgb8) + idat},  // well-formed so far
        {"notes.jpg", "These are my notes, not a photo.\n"},
        {"empty.jpg", ""},
    };
}

TEST(BadPhotos, AreRefusedUndecodedAndTheAlbumSaysSo)
{
    const std::string dir = freshDir("bad"), emptyAlbum = freshDir("album");
    // A good JPEG with bytes after its end, as some cameras write them.
    const std::string good = dir + "/good.jpg";
    writeFile(good, convert(dir, "-size 300x200 xc:orange", "orange.jpg") + std::string(100, '\xff') + "trailer");
    for (const BadPhoto& bad : badPhotos(dir)) {
        SCOPED_TRACE(bad.name);
        const std::string path = dir + "/" + bad.name;
        writeFile(path, bad.bytes);
        const ChildRun run = runInChild([&] {
            RGBAImage img;
            EXPECT_FALSE(loadThumbnail(path, 152, img));
            EXPECT_EQ(img.width, 0);
            Screen screen;  // the notices' place, with a clock that never ticks
            setNoticeHost({&screen, [](double, std::function<void()>) { return 1; }, [](int) {}, {}});
            auto album = AlbumPicker::create(emptyAlbum);
            screen.root().addSubview(album);
            int picked = 0;
            album->didFinishPicking = [&picked](const RGBAImage&) { ++picked; };
            album->pick(path);
            EXPECT_EQ(shownNotice(), "This photo cannot be read. Choose another one.");
            EXPECT_EQ(picked, 0);
            EXPECT_TRUE(loadThumbnail(good, 152, img));
            album->pick(good);  // a good one afterwards goes through
            EXPECT_EQ(picked, 1);
            setNoticeHost({});
        });
        EXPECT_TRUE(run.exited) << run.out << run.err;
        EXPECT_NE(run.err.find("This photo cannot be read: " + path), std::string::npos) << run.err;
        EXPECT_LT(run.peakKiB, 64 * 1024);
        EXPECT_TRUE(readFile(path) == bad.bytes) << "the user's file is left as it was";
    }
}

TEST(BadPhotos, AGiganticJpegIsScaledWhileDecodingNeverDecodedWhole)
{
    // 30000 x 30000 pixels would be 3.6 GB decoded.
    const std::string dir = freshDir("huge"), path = dir + "/huge.jpg";
    writeFile(path,
              claimJpegSize(convert(dir, "-size 64x64 xc:gray +noise Random -quality 80", "small.jpg"), 30000, 30000));
    const ChildRun run = runInChild([&] {
        RGBAImage photo, thumb;
        // Refusing it is fine too.
        EXPECT_LE(loadPhoto(path, photo) ? std::max(photo.width, photo.height) : 0, 4096);
        EXPECT_LE(loadThumbnail(path, 152, thumb) ? std::max(thumb.width, thumb.height) : 0, 152);
    });
    EXPECT_TRUE(run.exited) << run.out << run.err;
    EXPECT_LT(run.peakKiB, 600 * 1024) << "peak memory";
}

}  // namespace
}  // namespace zorbel::test
