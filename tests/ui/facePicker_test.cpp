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
#include <fstream>
#include <thread>

namespace zorbel::test {
namespace {

// A photo: left half green, right half magenta, with a known size.
std::string savePhoto(const std::string& dir, const char* name, int w, int h)
{
    RGBAImage img;
    img.width = w;
    img.height = h;
    img.pixels.resize(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &img.pixels[(static_cast<size_t>(y) * w + x) * 4];
            const bool left = x < w / 2;
            p[0] = left ? 0 : 230;
            p[1] = left ? 200 : 0;
            p[2] = left ? 0 : 230;
            p[3] = 255;
        }
    const std::string path = dir + "/" + name;
    EXPECT_TRUE(savePNG(path, img));
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

    AlbumPicker* waitForAlbum()
    {
        AlbumPicker* picker = findKind<AlbumPicker>();
        waitFor([&] { return !picker || picker->thumbnailsLoaded() == picker->photoCount(); });
        return picker;
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
        View* root = find([](View* v) { return dynamic_cast<CameraPicker*>(v->viewController()) != nullptr; });
        return root ? dynamic_cast<CameraPicker*>(root->viewController()) : nullptr;
    }

    bool previewRuns()
    {
        return waitFor([&] { return button("Take Photo") && button("Take Photo")->isEnabled(); });
    }

    std::string album;
};

TEST_F(FaceTest, ThePickerPausesTheSceneAndDismissResumesIt)
{
    frames(5);
    facePickerController* picker = openPicker();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(glAnimationEnable, 0);
    const uint64_t presents = view->layer().presentCount();
    frames(5);
    EXPECT_EQ(view->layer().presentCount(), presents);
    EXPECT_TRUE(picker->shouldAutorotateToInterfaceOrientation(1));
    EXPECT_FALSE(picker->shouldAutorotateToInterfaceOrientation(3));

    EXPECT_FALSE(picker->pickPhoto(1));
    tapButton("Take a picture with your camera");  // no camera: nothing happens
    EXPECT_EQ(findKind<AlbumPicker>(), nullptr);
    EXPECT_NE(activeFacePicker(), nullptr);

    tapButton("Dismiss");  // the face picker's, on top
    EXPECT_EQ(activeFacePicker(), nullptr);
    EXPECT_EQ(glAnimationEnable, 1);
    EXPECT_NE(findKind<InfoView>(), nullptr);  // back on the overlay
}

TEST_F(FaceTest, ResetGoesBackToTheChalkFace)
{
    RGBAImage face;
    face.width = face.height = 256;
    face.pixels.assign(256 * 256 * 4, 255);
    setCurrentFace(&face);
    openPicker();
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
    AlbumPicker* picker = waitForAlbum();
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->thumbnailsLoaded(), 1u);
    tap(40, 84);  // the first thumbnail
    EXPECT_EQ(findKind<AlbumPicker>(), nullptr);
    cropView* crop = findKind<cropView>();
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->model().imgW, 600);
    EXPECT_EQ(crop->model().imScale, 1.0f);

    // One finger pans the photo; the preview shows it inside the head outline.
    drag(160, 150, 200, 150);
    EXPECT_FLOAT_EQ(crop->model().imCenterX, 300.0f - 40.0f);
    RGBAImage pic;
    screen.render(320, 480, pic);
    const uint8_t* centre = &pic.pixels[(150 * 320 + 160) * 4];  // face centre, left of the photo's middle
    EXPECT_GT(centre[1], 150);  // green
    const uint8_t* corner = &pic.pixels[(24 * 320 + 34) * 4];  // outside the outline: white
    EXPECT_GT(corner[0], 240);
    EXPECT_GT(corner[2], 240);

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

TEST_F(FaceTest, CancelInTheCropEditorKeepsTheSceneWaiting)
{
    const std::string photo = savePhoto(album, "photo.png", 300, 300);
    const GLuint face = faceTexture;
    openPicker();
    ASSERT_TRUE(activeFacePicker()->photoDropped(photo));  // as if dropped on the window
    ASSERT_NE(findKind<cropView>(), nullptr);
    tapButton("Cancel");
    EXPECT_EQ(findKind<cropView>(), nullptr);
    EXPECT_NE(activeFacePicker(), nullptr);
    EXPECT_EQ(glAnimationEnable, 0);
    EXPECT_EQ(faceTexture, face);  // unchanged
}

TEST_F(FaceTest, AnEmptyAlbumSaysWhereItLookedAndABadPhotoIsRefused)
{
    openPicker();
    tapButton("Use a photo in your album");
    AlbumPicker* empty = findKind<AlbumPicker>();
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(empty->message().find(album), std::string::npos);
    tapButton("Cancel");
    EXPECT_EQ(findKind<AlbumPicker>(), nullptr);
    EXPECT_EQ(glAnimationEnable, 0);  // still on the face picker

    std::ofstream(album + "/broken.jpg") << "not a photo";
    tapButton("Use a photo in your album");
    AlbumPicker* picker = waitForAlbum();
    ASSERT_NE(picker, nullptr);
    tap(40, 84);
    EXPECT_EQ(picker->message(), "This photo cannot be read");
    EXPECT_EQ(findKind<cropView>(), nullptr);
}

TEST_F(FaceTest, APhotoDroppedOnTheSceneOpensTheCropEditor)
{
    const std::string photo = savePhoto(album, "dropped.png", 320, 320);
    photoDropped(view, photo);
    EXPECT_NE(activeFacePicker(), nullptr);
    cropView* crop = findKind<cropView>();
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->model().clipRect.y, 64.0f);
    EXPECT_EQ(glAnimationEnable, 0);
    EXPECT_TRUE(screen.dispatchKey(Key::Escape, false));  // Escape: the crop editor goes first
    EXPECT_TRUE(screen.dispatchKey(Key::Escape, false));  // then the face picker, as Dismiss
    EXPECT_EQ(glAnimationEnable, 1);
}

// SMPTE bars, 640 x 480, from the left: white, yellow, cyan, green, magenta,
// red, blue. Mirrored, the blue end is on the left.
TEST_F(FaceTest, TheCameraPictureGoesToTheCropEditorAsThePreviewShowsIt)
{
    openPicker();
    ASSERT_NE(openCamera("videotestsrc pattern=smpte75"), nullptr);
    ASSERT_TRUE(previewRuns());
    RGBAImage pic;
    screen.render(320, 480, pic);  // the picture at half size, from y = 120
    const uint8_t* left = &pic.pixels[(150 * 320 + 10) * 4];
    const uint8_t* right = &pic.pixels[(150 * 320 + 310) * 4];
    EXPECT_TRUE(left[0] < 60 && left[2] > 150) << "blue";
    EXPECT_TRUE(right[0] > 150 && right[1] > 150 && right[2] > 150) << "white";

    tapButton("Take Photo");
    EXPECT_EQ(camera(), nullptr);
    cropView* crop = findKind<cropView>();
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(crop->model().imgW, 640);
    EXPECT_EQ(crop->model().imgH, 480);
    RGBAImage face;  // the picture's middle: magenta on the left, cyan on the right
    ASSERT_TRUE(crop->renderTransformation(face));
    const uint8_t* magenta = &face.pixels[(128 * 256 + 20) * 4];
    const uint8_t* cyan = &face.pixels[(128 * 256 + 236) * 4];
    EXPECT_TRUE(magenta[0] > 150 && magenta[1] < 60 && magenta[2] > 150);
    EXPECT_TRUE(cyan[0] < 60 && cyan[1] > 150 && cyan[2] > 150);
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
        tap(160, 100);
        EXPECT_EQ(camera(), nullptr);
        EXPECT_NE(activeFacePicker(), nullptr);
        EXPECT_EQ(glAnimationEnable, 0);
    }
}

// Under AddressSanitizer the leak checker runs at exit: every pipeline,
// picture and thread of the twenty openings must be gone.
TEST_F(FaceTest, OpeningTheCameraTwentyTimesLeavesNothingOpen)
{
    auto openFiles = [] {
        int n = 0;
        if (DIR* d = opendir("/proc/self/fd")) {
            while (readdir(d))
                ++n;
            closedir(d);
        }
        return n;
    };
    openPicker();
    int files = 0;
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
}

}  // namespace
}  // namespace zorbel::test
