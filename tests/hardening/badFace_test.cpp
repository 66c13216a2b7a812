// A broken face file at start-up: the chalk head, the file left where it is,
// and a header claiming a gigantic picture refused before anything is
// allocated for it.
#include "../view/sceneFixture.h"

#include "hardening.h"
#include "platform/files/files.h"
#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"
#include "view/faceTexture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace zorbel::test {
namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

// A 256 x 256 face of noise (so that its PNG is large enough to cut).
std::string noisyFacePng()
{
    RGBAImage img;
    img.width = img.height = 256;
    img.pixels.resize(256 * 256 * 4);
    std::mt19937 rng(7);
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        img.pixels[i] = img.pixels[i + 1] = img.pixels[i + 2] = static_cast<uint8_t>(rng());
        img.pixels[i + 3] = 255;
    }
    std::vector<uint8_t> png;
    EXPECT_TRUE(encodePNG(img, png));
    return std::string(png.begin(), png.end());
}

// A PNG signature and IHDR claiming width x height RGBA pixels, then a few
// bytes of data that cannot fill it.
std::string claimedPng(uint32_t width, uint32_t height)
{
    auto be32 = [](uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(width) + be32(height) +
           std::string("\x08\x06\x00\x00\x00", 5) + be32(0) + be32(10) + "IDAT" + std::string(10, 'x') + be32(0);
}

struct BadFace {
    const char* name;
    std::string bytes;
};

std::vector<BadFace> badFaces()
{
    const std::string whole = noisyFacePng();
    return {
        {"zero length", ""},
        {"truncated PNG", whole.substr(0, whole.size() / 2)},
        {"PNG cut inside its header", whole.substr(0, 20)},
        {"not a PNG", "GIF89a this is not the face you are looking for"},
        {"100000 x 100000 header", claimedPng(100000, 100000)},
        {"5000 x 5000 header", claimedPng(5000, 5000)},
    };
}

int storedUseCustomFace()
{
    return Prefs(Prefs::defaultPath()).integerForKey("USE_CUSTOM_FACE");
}

// Starts the GL view as the program does, which loads the stored face.
class FaceStartUp : public SceneTest {
protected:
    void startAgain()
    {
        view.reset();
        view = EAGLView::initWithContext(context, nullptr);
        ASSERT_TRUE(view);
        view->layer().setDrawableSize(320, 480);
        ASSERT_TRUE(view->createFramebuffer());
    }
};

TEST_F(FaceStartUp, BadFilesGiveTheChalkHeadAndStayOnDisk)
{
    makeDirs(appDataDir());
    const std::string halfSaved = customFacePath() + ".x1Y2z3";  // a save killed mid-write
    writeFile(halfSaved, "half a face");
    for (const BadFace& bad : badFaces()) {
        SCOPED_TRACE(bad.name);
        writeFile(customFacePath(), bad.bytes);
        Prefs::standardUserDefaults()->setInteger(1, "USE_CUSTOM_FACE");
        startAgain();
        EXPECT_FALSE(exists(halfSaved));
        EXPECT_EQ(faceTexture, 0u) << "the chalk head";
        frames(3);  // and the scene runs
        EXPECT_TRUE(readFile(customFacePath()) == bad.bytes) << "the user's file is left as it was";
        EXPECT_EQ(storedUseCustomFace(), 1) << "the choice is kept for when the file is fixed";
    }
    // A good file again: the face is back.
    writeFile(customFacePath(), noisyFacePng());
    startAgain();
    EXPECT_NE(faceTexture, 0u);
}

TEST_F(FaceStartUp, ABadFileIsLogged)
{
    makeDirs(appDataDir());
    for (const BadFace& bad : badFaces()) {
        SCOPED_TRACE(bad.name);
        writeFile(customFacePath(), bad.bytes);
        Prefs::standardUserDefaults()->setInteger(1, "USE_CUSTOM_FACE");
        CaptureStderr();
        startAgain();
        const std::string log = GetCapturedStderr();
        EXPECT_NE(log.find(customFacePath()), std::string::npos) << log;
    }
}

TEST(FaceFile, AGiganticHeaderIsRefusedBeforeAnythingIsAllocated)
{
    const std::string path = freshDir("bomb") + "/customface.png";
    writeFile(path, claimedPng(100000, 100000));
    const ChildRun run = runInChild([&] {
        RGBAImage img;
        EXPECT_FALSE(loadPNG(path, img, 4096));
        EXPECT_FALSE(loadPNG(path, img));  // the default limit refuses it too
        EXPECT_EQ(img.width, 0);
        EXPECT_TRUE(img.pixels.empty());
    });
    EXPECT_TRUE(run.exited) << run.out << run.err;
    EXPECT_LT(run.peakKiB, 50 * 1024) << "peak memory grew while refusing it";
    EXPECT_LT(run.seconds, 0.5) << "refused quickly";
}

// Found by fuzzing: libpng reserves a chunk's stated length before reading
// it. A 1 x 1 face whose last chunk claims 1.9 GB is refused unread.
TEST(FaceFile, AChunkLongerThanTheFileIsRefusedUnread)
{
    const std::string whole = noisyFacePng();
    const std::string path = freshDir("chunk") + "/customface.png";
    // The real face up to its end marker, then a text chunk claiming 0x73000025 bytes.
    writeFile(path, whole.substr(0, whole.size() - 12) + std::string("\x73\x00\x00\x25tEXtdate", 12));
    const ChildRun run = runInChild([&] {
        RGBAImage img;
        EXPECT_FALSE(loadPNG(path, img, 4096));
    });
    EXPECT_TRUE(run.exited) << run.out << run.err;
    EXPECT_LT(run.peakKiB, 50 * 1024);
}

TEST(FaceFile, BadFilesAreRefusedAndLeaveThePictureAlone)
{
    const std::string dir = freshDir("faces");
    for (const BadFace& bad : badFaces()) {
        SCOPED_TRACE(bad.name);
        const std::string path = dir + "/customface.png";
        writeFile(path, bad.bytes);
        RGBAImage img;
        img.width = 3;  // left as it was
        EXPECT_FALSE(loadPNG(path, img, 4096));
        EXPECT_EQ(img.width, 3);
        EXPECT_TRUE(img.pixels.empty());
    }
}

}  // namespace
}  // namespace zorbel::test
