// The face picker screen, the album, the camera and the crop editor, from the
// overlay's face button to a new face on the head.
#include "uiFixture.h"

#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"
#include "ui/albumPicker.h"
#include "ui/cameraPicker.h"
#include "ui/cropView.h"
#include "ui/facePickerController.h"
#include "view/faceTexture.h"

#include <chrono>
#include <cstdlib>
#include <dirent.h>
#include <thread>
#include <utime.h>

namespace zorbel::test {
namespace {

// A photo w x h: left half green, right half magenta. All photos have the
// same time, so the album shows them by name.
std::string savePhoto(const std::string& dir, const std::string& name, int w, int h)
{
    RGBAImage img{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 4, 255)};
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        const bool left = static_cast<int>(i / 4 % w) < w / 2;
        img.pixels[i] = left ? 0 : 230;
        img.pixels[i + 1] = left ? 200 : 0;
        img.pixels[i + 2] = left ? 0 : 230;
    }
    const std::string path = dir + "/" + name;
    EXPECT_TRUE(savePNG(path, img));
    const utimbuf taken{1700000000, 1700000000};
    utime(path.c_str(), &taken);
    return path;
}

class FaceTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        album = freshDir("Pictures");
        facePickerController::albumFolder = album;
        setenv("ZORBEL_TEST_CAMERA", "none", 1);
    }

    // Overlay, Settings, "Change Zorbel's face".
    facePickerController* openPicker()
    {
        openOverlay();
        tapButton("Settings");
        tapButton("Change Zorbel's face");
        return activeFacePicker().get();
    }

    // Runs the main thread's tasks until `done`, for five seconds at most.
    bool waitFor(const std::function<bool()>& done)
    {
        for (int i = 0; i < 500 && !done(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            runMainThreadTasks();
        }
        return done();
    }

    // The camera button, with `source` standing in for the webcam.
    CameraPicker* openCamera(const char* source)
    {
        setenv("ZORBEL_TEST_CAMERA", source, 1);
        tapButton("Take a picture with your camera");
        return camera();
    }

    CameraPicker* camera()
    {
        View* root =
            findView<View>(screen.root(), [](View& v) { return dynamic_cast<CameraPicker*>(v.viewController()); });
        return root ? dynamic_cast<CameraPicker*>(root->viewController()) : nullptr;
    }

    bool previewRuns()
    {
        return waitFor([&] { return button("Take Photo") && button("Take Photo")->isEnabled(); });
    }

    std::string album;
};

TEST_F(FaceTest, ThePickerPausesTheSceneUntilDismissOrReset)
{
    RGBAImage face{256, 256, std::vector<uint8_t>(256 * 256 * 4, 255)};
    setCurrentFace(&face);
    frames(5);
    facePickerController* picker = openPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(glAnimationEnable, 0);
    const uint64_t presents = view->layer().presentCount();
    frames(5);
    EXPECT_EQ(view->layer().presentCount(), presents);
    tapButton("Take a picture with your camera");  // no camera: nothing happens
    EXPECT_EQ(findKind<AlbumPicker>(), nullptr);
    tapButton("Dismiss");  // the face picker's, on top
    EXPECT_EQ(activeFacePicker(), nullptr);
    EXPECT_EQ(glAnimationEnable, 1);
    EXPECT_NE(findKind<InfoView>(), nullptr);  // back on the overlay
    EXPECT_NE(faceTexture, 0u);

    tapButton("Change Zorbel's face");
    tapButton("Reset to default chalk face");
    EXPECT_EQ(faceTexture, 0u);
    EXPECT_EQ(Prefs(Prefs::defaultPath()).integerForKey("USE_CUSTOM_FACE"), 0);
    EXPECT_EQ(glAnimationEnable, 1);
    EXPECT_EQ(activeFacePicker(), nullptr);
}

TEST_F(FaceTest, APhotoFromTheAlbumBecomesTheFace)
{
    savePhoto(album, "photo.png", 600, 400);
    openPicker();
    tapButton("Use a photo in your album");
    AlbumPicker* album = findKind<AlbumPicker>();
    ASSERT_NE(album, nullptr);
    EXPECT_TRUE(waitFor([&] { return album->thumbnailsLoaded() == 1u; }));
    finger.tap({40, 84});  // the first thumbnail
    EXPECT_EQ(findKind<AlbumPicker>(), nullptr);
    cropView* crop = findKind<cropView>();
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->model().imgW, 600);
    EXPECT_EQ(crop->model().imScale, 1.0f);

    // One finger pans the photo; the preview shows it inside the head outline.
    finger.slide({160, 150}, {200, 150});
    EXPECT_FLOAT_EQ(crop->model().imCenterX, 300.0f - 40.0f);
    RGBAImage pic;
    screen.render(320, 480, pic);
    EXPECT_GT(pixelAt(pic, 160, 150).g, 150);                    // face centre, left of the photo's middle: green
    EXPECT_TRUE(near(pixelAt(pic, 34, 24), 255, 255, 255, 15));  // outside the outline: white

    tapButton("OK");
    EXPECT_NE(faceTexture, 0u);
    EXPECT_EQ(glAnimationEnable, 1);
    EXPECT_EQ(activeFacePicker(), nullptr);
    EXPECT_EQ(findKind<cropView>(), nullptr);
    EXPECT_NE(findKind<InfoView>(), nullptr);
    RGBAImage saved;
    ASSERT_TRUE(loadPNG(customFacePath(), saved));
    EXPECT_EQ(saved.width, 256);
}

// Thirty photos, four to a row over eight rows; photo i is 20 + i pixels
// wide. A tap picks the photo under it, and scrolling stops with the last
// row at the bottom of the screen.
TEST_F(FaceTest, TheAlbumPicksThePhotoTappedAndScrollsToItsLastRowOnly)
{
    for (int i = 0; i < 30; ++i)
        savePhoto(album, std::to_string(100 + i) + ".png", 20 + i, 20);
    const struct {
        const char* how;
        Point at;
        int photo;
    } taps[] = {
        {"first row, third column", {200, 84}, 2},
        {"last row after a long drag up", {40, 440}, 28},
        {"last row after Page Down three times", {40, 440}, 28},
        {"last row after the wheel", {120, 440}, 29},
    };
    openPicker();
    for (int way = 0; way < 4; ++way) {
        SCOPED_TRACE(taps[way].how);
        tapButton("Use a photo in your album");
        if (way == 1)
            finger.slide({160, 450}, {160, 50});
        for (int k = 0; way == 2 && k < 3; ++k)
            screen.dispatchKey(Key::PageDown, false);
        if (way == 3)
            screen.dispatchWheel({160, 240}, -100, false);
        finger.tap(taps[way].at);
        ASSERT_NE(findKind<cropView>(), nullptr);
        EXPECT_EQ(findKind<cropView>()->model().imgW, 20 + taps[way].photo);
        tapButton("Cancel");
    }
}

// A photo dropped on the window opens the crop editor; Cancel or Escape
// goes back to the face picker, which waits with the scene paused.
TEST_F(FaceTest, ADroppedPhotoOpensTheCropEditorAndCancelGoesBack)
{
    const std::string photo = savePhoto(album, "dropped.png", 320, 320);
    const GLuint face = faceTexture;
    photoDropped(view, photo);
    ASSERT_NE(findKind<cropView>(), nullptr);
    EXPECT_EQ(findKind<cropView>()->model().clipRect.y, 64.0f);
    EXPECT_EQ(glAnimationEnable, 0);
    tapButton("Cancel");
    EXPECT_EQ(findKind<cropView>(), nullptr);
    ASSERT_NE(activeFacePicker(), nullptr);
    EXPECT_EQ(glAnimationEnable, 0);
    ASSERT_TRUE(activeFacePicker()->photoDropped(photo));
    EXPECT_TRUE(screen.dispatchKey(Key::Escape, false));  // the crop editor goes first
    EXPECT_EQ(findKind<cropView>(), nullptr);
    EXPECT_TRUE(screen.dispatchKey(Key::Escape, false));  // then the face picker, as Dismiss
    EXPECT_EQ(activeFacePicker(), nullptr);
    EXPECT_EQ(glAnimationEnable, 1);
    EXPECT_EQ(faceTexture, face);  // unchanged
}

TEST_F(FaceTest, ACameraThatFailsSaysSoAndOneTapGoesBack)
{
    const struct {
        const char* source;
        const char* message;
    } cases[] = {
        {"v4l2src device=/dev/zorbel-no-camera", "The camera cannot be opened"},  // missing or busy
        {"no-such-element", "The camera cannot be opened"},
        {"videotestsrc num-buffers=30", "The camera was disconnected"},  // stops mid-preview
    };
    openPicker();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.source);
        CameraPicker* picker = openCamera(c.source);
        ASSERT_NE(picker, nullptr);
        ASSERT_TRUE(waitFor([&] { return !picker->message().empty(); }));
        EXPECT_EQ(picker->message(), c.message);
        finger.tap({160, 100});
        EXPECT_EQ(camera(), nullptr);
        EXPECT_NE(activeFacePicker(), nullptr);
        EXPECT_EQ(glAnimationEnable, 0);
    }
}

// Twenty openings of the camera, cancelled by the button or Escape, leave
// nothing open (under AddressSanitizer the leak checker runs at exit: every
// pipeline, picture and thread must be gone). Then the shutter: SMPTE bars,
// 640 x 480, from the left: white, yellow, cyan, green, magenta, red, blue.
// Mirrored, the blue end is on the left, in the preview and the picture taken.
TEST_F(FaceTest, TheCameraOpensTwentyTimesCleanlyAndTakesThePictureThePreviewShows)
{
    auto openFiles = [] { return listDir("/proc/self/fd").size(); };
    openPicker();
    size_t files = 0;
    for (int i = 0; i < 20; ++i) {
        ASSERT_NE(openCamera("videotestsrc"), nullptr);
        ASSERT_TRUE(previewRuns());
        if (i % 2)
            tapButton("Cancel");
        else
            EXPECT_TRUE(screen.dispatchKey(Key::Escape, false));
        EXPECT_EQ(glAnimationEnable, 0);
        if (i == 0)
            files = openFiles();  // GStreamer has started for good
    }
    EXPECT_EQ(openFiles(), files);
    EXPECT_NE(activeFacePicker(), nullptr);

    ASSERT_NE(openCamera("videotestsrc pattern=smpte75"), nullptr);
    ASSERT_TRUE(previewRuns());
    RGBAImage pic;
    screen.render(320, 480, pic);  // the picture at half size, from y = 120
    EXPECT_TRUE(near(pixelAt(pic, 10, 150), 0, 0, 191, 60)) << "blue";
    EXPECT_TRUE(near(pixelAt(pic, 310, 150), 191, 191, 191, 60)) << "white";
    tapButton("Take Photo");
    EXPECT_EQ(camera(), nullptr);
    cropView* crop = findKind<cropView>();
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->model().imgW, 640);
    EXPECT_EQ(crop->model().imgH, 480);
    RGBAImage face;  // the picture's middle: magenta on the left, cyan on the right
    ASSERT_TRUE(crop->renderTransformation(face));
    EXPECT_TRUE(near(pixelAt(face, 20, 128), 191, 0, 191, 60)) << "magenta";
    EXPECT_TRUE(near(pixelAt(face, 236, 128), 0, 191, 191, 60)) << "cyan";
}

}  // namespace
}  // namespace zorbel::test
