// The photo face: installing, replacing, removing, and surviving a restart.
#include "sceneFixture.h"

#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"
#include "view/faceTexture.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace zorbel::test {
namespace {

RGBAImage redFace()
{
    RGBAImage face;
    face.width = face.height = 256;
    face.pixels.assign(256 * 256 * 4, 0);
    for (size_t i = 0; i < face.pixels.size(); i += 4) {
        face.pixels[i] = 220;
        face.pixels[i + 3] = 255;
    }
    return face;
}

bool fileExists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

int useCustomFace()
{
    return Prefs::standardUserDefaults()->integerForKey("USE_CUSTOM_FACE");
}

// Builds the scene again, as a new start of the program does.
void restart(std::shared_ptr<EAGLView>& view, std::shared_ptr<EAGLContext>& context)
{
    view.reset();
    view = EAGLView::initWithContext(context, nullptr);
    ASSERT_TRUE(view);
    view->layer().setDrawableSize(320, 480);
    view->createFramebuffer();
}

TEST_F(SceneTest, AFaceIsInstalledSavedAndShownOnTheHead)
{
    frames(300);
    EXPECT_EQ(faceTexture, 0u);
    const RGBAImage face = redFace();
    setCurrentFace(&face);
    const GLuint first = faceTexture;
    EXPECT_NE(first, 0u);
    EXPECT_EQ(useCustomFace(), 1);
    RGBAImage saved;
    ASSERT_TRUE(loadPNG(customFacePath(), saved));
    EXPECT_EQ(saved.pixels, face.pixels);

    // Installing again leaves exactly one face texture alive.
    setCurrentFace(&face);
    EXPECT_NE(faceTexture, 0u);
    EXPECT_FALSE(glIsTexture(first) && first != faceTexture);

    // The photo fan replaces the chalk head: red around the head mass.
    frames(1);
    grab();
    int hx, hy;
    picture.toPixel(guy->posX[3], guy->posY[3], hx, hy);
    EXPECT_GT(countNear(hx, hy, 6, [](const Pixel& p) { return p.r > 150 && p.g < 80 && p.b < 80; }), 50);
}

// Broken face files at start-up are the hardening tests'.
TEST_F(SceneTest, ARestartFindsTheFaceAgainUnlessResetOrItsFileIsGone)
{
    const RGBAImage face = redFace();
    setCurrentFace(&face);
    restart(view, context);
    EXPECT_NE(faceTexture, 0u) << "the face did not survive a restart";
    const std::string kept = customFacePath() + ".kept";
    ASSERT_EQ(rename(customFacePath().c_str(), kept.c_str()), 0);
    restart(view, context);
    EXPECT_EQ(faceTexture, 0u) << "a face without its file";
    EXPECT_EQ(useCustomFace(), 1);  // the preference is left alone
    ASSERT_EQ(rename(kept.c_str(), customFacePath().c_str()), 0);
    restart(view, context);
    ASSERT_NE(faceTexture, 0u);

    setCurrentFace(nullptr);
    EXPECT_EQ(faceTexture, 0u);
    EXPECT_EQ(useCustomFace(), 0);
    EXPECT_TRUE(fileExists(customFacePath()));
    restart(view, context);
    EXPECT_EQ(faceTexture, 0u) << "a reset face came back";
}

TEST_F(SceneTest, AnUnwritableDataFolderStillShowsTheFace)
{
    // A file where the folder should be: nothing can be written under it.
    const std::string dataHome = testHome() + "/data";
    mkdir(dataHome.c_str(), 0700);
    ASSERT_EQ(std::system(("rm -rf '" + dataHome + "/zorbel'").c_str()), 0);
    FILE* f = fopen((dataHome + "/zorbel").c_str(), "wb");
    ASSERT_TRUE(f);
    fclose(f);
    const RGBAImage face = redFace();
    testing::internal::CaptureStderr();
    setCurrentFace(&face);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("##### Failed saving customface.png !"), std::string::npos);
    EXPECT_NE(faceTexture, 0u);
    EXPECT_EQ(useCustomFace(), 1);
}

}  // namespace
}  // namespace zorbel::test
