// A broken face file at start-up: the chalk head, the file left where it is,
// and a header claiming a gigantic picture refused before anything is
// allocated for it.
#include "sceneFixture.h"

#include "hardening.h"
#include "platform/files/files.h"
#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"
#include "view/faceTexture.h"

#include <gtest/gtest.h>

namespace zorbel::test {
namespace {

// A PNG signature and IHDR claiming width x height RGBA pixels, then a few
// bytes of data that cannot fill it.
std::string claimedPng(uint32_t width, uint32_t height)
{
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + be32(width) + be32(height) +
           std::string("\x08\x06\x00\x00\x00", 5) + be32(0) + be32(10) + "IDAT" + std::string(10, 'x') + be32(0);
}

struct BadFace {
    const char* name;
    std::string bytes;
};

std::vector<BadFace> badFaces()
{
    const std::string whole = noisePng(7);
    return {
        {"zero length", ""},
        {"truncated PNG", whole.substr(0, whole.size() / 2)},
        {"PNG cut inside its header", whole.substr(0, 20)},
        {"not a PNG", "GIF89a this is not the face you are looking for"},
        {"100000 x 100000 header", claimedPng(100000, 100000)},
        {"5000 x 5000 header", claimedPng(5000, 5000)},
        // Found by fuzzing: libpng reserves a chunk's stated length before
        // reading it. The face up to its end marker, then a chunk claiming 1.9 GB.
        {"chunk longer than the file",
         whole.substr(0, whole.size() - 12) + std::string("\x73\x00\x00\x25tEXtdate", 12)},
    };
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

TEST_F(FaceStartUp, BadFilesGiveTheChalkHeadAndAreLoggedAndLeftOnDisk)
{
    makeDirs(appDataDir());
    const std::string halfSaved = customFacePath() + ".x1Y2z3";  // a save killed mid-write
    writeFile(halfSaved, "half a face");
    for (const BadFace& bad : badFaces()) {
        SCOPED_TRACE(bad.name);
        writeFile(customFacePath(), bad.bytes);
        Prefs::standardUserDefaults()->setInteger(1, "USE_CUSTOM_FACE");
        ::testing::internal::CaptureStderr();
        startAgain();
        const std::string log = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find(customFacePath()), std::string::npos) << log;
        EXPECT_FALSE(exists(halfSaved));
        EXPECT_EQ(faceTexture, 0u) << "the chalk head";
        frames(3);  // and the scene runs
        EXPECT_TRUE(readFile(customFacePath()) == bad.bytes) << "the user's file is left as it was";
        EXPECT_EQ(Prefs(Prefs::defaultPath()).integerForKey("USE_CUSTOM_FACE"), 1) << "kept for when it is fixed";
    }
    writeFile(customFacePath(), noisePng(7));  // a good file again: the face is back
    startAgain();
    EXPECT_NE(faceTexture, 0u);
}

TEST(FaceFile, BadFilesAreRefusedBeforeAnythingIsAllocatedForThem)
{
    const std::string path = freshDir("faces") + "/customface.png";
    for (const BadFace& bad : badFaces()) {
        SCOPED_TRACE(bad.name);
        writeFile(path, bad.bytes);
        const ChildRun run = runInChild([&] {
            RGBAImage img;
            img.width = 3;  // left as it was
            EXPECT_FALSE(loadPNG(path, img, 4096));
            EXPECT_FALSE(loadPNG(path, img));  // the default limit refuses it too
            EXPECT_EQ(img.width, 3);
            EXPECT_TRUE(img.pixels.empty());
        });
        EXPECT_TRUE(run.exited) << run.out << run.err;
        EXPECT_LT(run.peakKiB, 50 * 1024) << "peak memory grew while refusing it";
    }
}

}  // namespace
}  // namespace zorbel::test
