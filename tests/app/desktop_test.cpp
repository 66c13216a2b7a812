// The app in-process on SDL's offscreen video driver, driven the way a user
// drives it: SDL events in its queue, through the window's translation, the
// kit's dispatch and the views.
#include "app/desktopApp.h"
#include "audio/audioInMeter.h"
#include "figure/myGuy.h"
#include "pixels.h"
#include "platform/gles/EAGLContext.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/files/files.h"
#include "platform/imaging/image.h"
#include "platform/prefs/prefs.h"
#include "pulseServer.h"
#include "recordings.h"
#include "ui/InfoView.h"
#include "ui/cropView.h"
#include "ui/desktopMenu.h"
#include "ui/notice.h"
#include "ui/screens.h"
#include "view/EAGLView.h"
#include "viewTree.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>

namespace zorbel::test {
namespace {

class Desktop : public ::testing::Test {
public:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", videoDriver, 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        ASSERT_TRUE(app.start());
        run(0.1);
    }

    // Handles what is queued, and frames, for a while.
    void run(double seconds)
    {
        const int stop = app.loop().addRepeatingTimer(seconds, [this] { app.loop().quit(); });
        app.loop().run();
        app.loop().invalidateTimer(stop);
    }

    // Screen points to the window's units.
    Point toWindow(Point p)
    {
        const Letterbox box = app.appWindow().letterbox();
        return {box.offsetX + p.x * box.scale, box.offsetY + p.y * box.scale};
    }

    void mouse(Uint32 type, Point p, Uint8 button = SDL_BUTTON_LEFT)
    {
        SDL_Event e{};
        e.type = type;
        const Point w = toWindow(p);
        if (type == SDL_MOUSEMOTION) {
            e.motion.x = static_cast<Sint32>(std::lround(w.x));
            e.motion.y = static_cast<Sint32>(std::lround(w.y));
        } else {
            e.button.button = button;
            e.button.x = static_cast<Sint32>(std::lround(w.x));
            e.button.y = static_cast<Sint32>(std::lround(w.y));
        }
        SDL_PushEvent(&e);
    }

    void click(Point p, Uint8 button = SDL_BUTTON_LEFT)
    {
        mouse(SDL_MOUSEBUTTONDOWN, p, button);
        mouse(SDL_MOUSEBUTTONUP, p, button);
        run(0.05);
    }

    void finger(Uint32 type, SDL_FingerID id, Point p)
    {
        SDL_Event e{};
        e.type = type;
        e.tfinger.touchId = 7;
        e.tfinger.fingerId = id;
        int w, h;
        app.appWindow().windowSize(w, h);
        const Point at = toWindow(p);
        e.tfinger.x = at.x / static_cast<float>(w);
        e.tfinger.y = at.y / static_cast<float>(h);
        SDL_PushEvent(&e);
    }

    // A finger or the mouse moved in small steps, as a hand moves.
    void slide(const std::function<void(Point)>& move, Point from, Point to)
    {
        for (int i = 1; i <= 10; ++i) {
            move({from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10});
            run(0.02);
        }
    }

    void key(SDL_Keycode sym, Uint16 mod = KMOD_NONE, std::initializer_list<Uint32> types = {SDL_KEYDOWN, SDL_KEYUP})
    {
        SDL_Event e{};
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        for (Uint32 type : types) {
            e.type = type;
            SDL_PushEvent(&e);
        }
    }

    void windowEvent(Uint8 what)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        SDL_PushEvent(&e);
    }

    Point centreOfButton(const std::string& title)
    {
        const Button* b = findButton(app.screens().root(), title);
        EXPECT_NE(b, nullptr) << "no button " << title;
        return b ? centreOf(*b) : Point{};
    }

    // Pixels of the scene's last frame, right of and below the given
    // fractions of its width and height, that pred accepts.
    template <typename Pred> int framePixels(Pred pred, float fromX = 0, float fromY = 0)
    {
        RGBAImage frame;
        if (!app.glView().layer().readPresentedPixels(frame.pixels, frame.width, frame.height))
            return -1;
        return countPixels(frame, static_cast<int>(frame.width * fromX), static_cast<int>(frame.height * fromY),
                           frame.width, frame.height, pred);
    }

    // Whether the info icon, in the lower right corner, is drawn red within
    // `seconds` (it flashes red on a beat, then fades back to light blue).
    bool iconTurnsRed(double seconds)
    {
        for (double t = 0; t < seconds; t += 0.1) {
            run(0.1);
            if (framePixels([](Pixel p) { return p.r > 150 && p.r > p.b + 70; }, 0.88f, 0.93f) > 0)
                return true;
        }
        return false;
    }

    static std::string preferences() { return readFile(testHome() + "/config/zorbel/preferences.ini"); }

    Guy& guy() { return *app.glView().figure(); }
    // Where mass m is, in screen points.
    Point mass(int m) { return {(guy().posX[m] + 1.0f) * 160.0f, 240.0f - guy().posY[m] * 160.0f}; }
    bool held(int m)
    {
        for (int k = 0; k < guy().grabCount; ++k)
            if (guy().posX[m] == guy().grabX[k] && guy().posY[m] == guy().grabY[k])
                return true;
        return false;
    }
    int massesHeld()
    {
        int n = 0;
        for (int m = 0; m < 8; ++m)
            n += held(m) ? 1 : 0;
        return n;
    }

    const char* videoDriver = "offscreen";
    DesktopApp app;
};

TEST_F(Desktop, EveryFingerAndTheMirroredSecondFingerReachTheBoard)
{
    // Two touchscreen fingers take his head and a foot and bring them to
    // points mirrored about the board's centre.
    run(1.5);  // he unfolds from the point he starts as
    const Point head = mass(3), foot = mass(1);
    const Point q{160, 200}, mirrored{160, 280};
    finger(SDL_FINGERDOWN, 1, head);
    finger(SDL_FINGERDOWN, 2, foot);
    run(0.05);
    EXPECT_EQ(guy().grabCount, 2);
    EXPECT_EQ(massesHeld(), 2);
    for (int i = 1; i <= 10; ++i) {
        finger(SDL_FINGERMOTION, 1, {head.x + (q.x - head.x) * i / 10, head.y + (q.y - head.y) * i / 10});
        finger(SDL_FINGERMOTION, 2, {foot.x + (mirrored.x - foot.x) * i / 10, foot.y + (mirrored.y - foot.y) * i / 10});
        run(0.02);
    }
    // The fingers lift, and at once the mouse comes down on what they held
    // with a mirrored second finger: Alt, or Ctrl (which window managers
    // leave alone), or the middle button.
    finger(SDL_FINGERUP, 1, q);
    finger(SDL_FINGERUP, 2, mirrored);
    const struct {
        const char* way;
        SDL_Keymod mod;
        Uint8 button;
    } ways[] = {{"Alt", KMOD_LALT, SDL_BUTTON_LEFT},
                {"Ctrl", KMOD_LCTRL, SDL_BUTTON_LEFT},
                {"middle button", KMOD_NONE, SDL_BUTTON_MIDDLE}};
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        SDL_SetModState(w.mod);
        mouse(SDL_MOUSEBUTTONDOWN, q, w.button);
        run(0.05);
        SDL_SetModState(KMOD_NONE);
        EXPECT_EQ(guy().grabCount, 2);
        if (w.mod == KMOD_LALT) {  // by the next way he has fallen away from these points
            EXPECT_EQ(massesHeld(), 2);
        }
        mouse(SDL_MOUSEMOTION, {150, 190});  // the mirrored finger goes the other way
        run(0.05);
        EXPECT_NEAR((guy().grabX[1] + 1.0f) * 160.0f, 170, 1.5f);
        EXPECT_NEAR(240.0f - guy().grabY[1] * 160.0f, 290, 1.5f);
        mouse(SDL_MOUSEBUTTONUP, {150, 190}, w.button);  // both lift
        run(0.05);
        EXPECT_EQ(guy().grabCount, 0);
    }
}

// While the left button holds his head, a right click or T is a second
// finger on the tack corner, as a second touchscreen finger there is.
enum class Tack { RightClick, T, SecondFinger };
class Tacking : public Desktop, public ::testing::WithParamInterface<Tack> {};

TEST_P(Tacking, LeavesHimTackedAfterTheFirstFingerLifts)
{
    const Point head = mass(3), corner{17, 463};
    if (GetParam() == Tack::SecondFinger) {
        finger(SDL_FINGERDOWN, 1, head);
        finger(SDL_FINGERDOWN, 2, corner);
        finger(SDL_FINGERUP, 2, corner);
        finger(SDL_FINGERUP, 1, head);
    } else {
        mouse(SDL_MOUSEBUTTONDOWN, head);
        if (GetParam() == Tack::RightClick) {
            mouse(SDL_MOUSEBUTTONDOWN, head, SDL_BUTTON_RIGHT);
            mouse(SDL_MOUSEBUTTONUP, head, SDL_BUTTON_RIGHT);
        } else {
            key(SDLK_t);
        }
        mouse(SDL_MOUSEBUTTONUP, head);
    }
    run(0.3);
    EXPECT_EQ(guy().grabCount, 1);
    EXPECT_EQ(guy().tackCount, 1);
    EXPECT_TRUE(held(3));
}

std::string tackName(const ::testing::TestParamInfo<Tack>& info)
{
    return info.param == Tack::RightClick ? "RightClick" : info.param == Tack::T ? "T" : "SecondFinger";
}

INSTANTIATE_TEST_SUITE_P(Desktop, Tacking, ::testing::Values(Tack::RightClick, Tack::T, Tack::SecondFinger), tackName);

// The arrow keys tilt the phone he stands in. Only a hidden window slows
// the frames down and lets the screen saver run.
TEST_F(Desktop, TheKeysTiltHimAndOnlyAHiddenWindowSlowsDown)
{
    EXPECT_EQ(guy().gravityX, 0.0f);
    key(SDLK_LEFT, KMOD_NONE, {SDL_KEYDOWN});  // held
    run(0.5);
    key(SDLK_LEFT, KMOD_NONE, {SDL_KEYUP});
    EXPECT_NE(guy().gravityX, 0.0f);

    windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    run(0.05);
    EXPECT_DOUBLE_EQ(app.glView().getAnimationInterval(), 1.0 / 60.0);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    windowEvent(SDL_WINDOWEVENT_MINIMIZED);
    run(0.05);
    EXPECT_DOUBLE_EQ(app.glView().getAnimationInterval(), 0.2);
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    const uint64_t frames = app.glView().layer().presentCount();
    run(1);
    EXPECT_LE(app.glView().layer().presentCount(), frames + 10);  // five a second, not sixty
    windowEvent(SDL_WINDOWEVENT_RESTORED);
    run(0.05);
    EXPECT_DOUBLE_EQ(app.glView().getAnimationInterval(), 1.0 / 60.0);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
}

// A photo dropped on the window goes to the crop editor; fingers, the wheel
// and the keys move it there, and Enter puts it on his head.
TEST_F(Desktop, ADroppedPhotoTurnsAndScalesWithFingersAndTheWheelAndGoesOnHisHead)
{
    RGBAImage photo{600, 600, std::vector<uint8_t>(600 * 600 * 4, 255)};
    for (size_t i = 1; i < photo.pixels.size(); i += 4)
        photo.pixels[i] = 0;  // magenta
    const std::string path = freshDir("photo") + "/me.png";
    ASSERT_TRUE(savePNG(path, photo));
    SDL_Event drop{};
    drop.type = SDL_DROPFILE;
    drop.drop.file = SDL_strdup(path.c_str());
    SDL_PushEvent(&drop);
    run(0.1);
    const cropView* crop = findView<cropView>(app.screens().root());
    ASSERT_NE(crop, nullptr);
    const CropModel& m = crop->model();

    // Two fingers: one stays, the other moves away and round it.
    finger(SDL_FINGERDOWN, 1, {100, 150});
    finger(SDL_FINGERDOWN, 2, {200, 150});
    run(0.05);
    slide([&](Point p) { finger(SDL_FINGERMOTION, 2, p); }, {200, 150}, {100, 50});
    finger(SDL_FINGERUP, 2, {100, 50});
    finger(SDL_FINGERUP, 1, {100, 150});
    run(0.05);
    EXPECT_NEAR(m.imRot, 3.1415927f / 2, 1e-3f);
    EXPECT_NEAR(m.imScale, 1.0f, 1e-3f);

    // The wheel scales about the pointer: the photo point under it stays.
    const Point pointer{200, 100};
    const float ox = pointer.x - 32, oy = 278 - pointer.y;  // the preview's output frame
    auto photoUnder = [&] {
        const FaceTransform p = cropFaceTransform(m);
        const float c = std::cos(p.theta), s = std::sin(p.theta);
        return Point{((ox * c + oy * s) - p.tx) / p.scale, ((oy * c - ox * s) - p.ty) / p.scale};
    };
    const Point before = photoUnder();
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    wheel.wheel.preciseY = 2;
    wheel.wheel.mouseX = static_cast<Sint32>(std::lround(toWindow(pointer).x));
    wheel.wheel.mouseY = static_cast<Sint32>(std::lround(toWindow(pointer).y));
    SDL_PushEvent(&wheel);
    run(0.05);
    EXPECT_NEAR(m.imScale, 1.21f, 1e-3f);
    EXPECT_NEAR(photoUnder().x, before.x, 0.5f);  // within the pointer's rounding to window units
    EXPECT_NEAR(photoUnder().y, before.y, 0.5f);

    // Any wheel, any number of keys: the transform stays finite.
    wheel.wheel.preciseY = 1e30f;
    SDL_PushEvent(&wheel);
    for (int i = 0; i < 3000; ++i)
        key(i % 3 == 0 ? SDLK_EQUALS : i % 3 == 1 ? SDLK_RIGHTBRACKET : SDLK_LEFT);
    run(0.2);
    EXPECT_TRUE(std::isfinite(m.imScale) && std::isfinite(m.imRot) && std::isfinite(m.imCenterX) &&
                std::isfinite(m.imCenterY));
    EXPECT_LE(m.imScale, kCropMaxScale);

    key(SDLK_RETURN);
    run(0.3);
    EXPECT_TRUE(onlyTheScene(app.screens(), app.glView()));
    EXPECT_GT(framePixels([](Pixel p) { return p.r > 200 && p.g < 60 && p.b > 200; }), 300) << "no photo on his head";
}

// The camera, end to end: the overlay, the face button, the camera, the
// shutter and OK put the picture (a magenta test source) on his head.
TEST_F(Desktop, APictureFromTheCameraGoesOnHisHead)
{
    setenv("ZORBEL_TEST_CAMERA", "videotestsrc pattern=solid-color foreground-color=0xffff00ff", 1);
    click({315, 475});  // the info corner
    for (const char* button : {"Settings", "Change Zorbel's face", "Take a picture with your camera"})
        click(centreOfButton(button));
    run(1.0);  // the preview starts
    click(centreOfButton("Take Photo"));
    click(centreOfButton("OK"));
    run(0.3);
    EXPECT_GT(framePixels([](Pixel p) { return p.r > 200 && p.g < 60 && p.b > 200; }), 300) << "no photo on his head";
}

// Ctrl+Q (as closing the window, which it stands for) with the overlay open
// stores its sliders.
TEST_F(Desktop, QuittingStoresTheSettingsOfAnOpenOverlay)
{
    click({315, 475});  // the info corner
    click({50, 462});   // Settings
    mouse(SDL_MOUSEBUTTONDOWN, {160, 373.5f});
    slide([&](Point p) { mouse(SDL_MOUSEMOTION, p); }, {160, 373.5f}, {300, 373.5f});
    mouse(SDL_MOUSEBUTTONUP, {300, 373.5f});
    key(SDLK_q, KMOD_LCTRL);
    app.loop().run();  // until the quit
    EXPECT_NE(preferences().find("STICKY_MULT=1.8999999"), std::string::npos) << preferences();
}

// The menu, from F10, the Menu key or a right click on the board. Without a
// sound server, choosing this computer's sound shows a notice for a few
// seconds and nothing else changes. With one, music played on the computer
// makes the info icon flash; the server going away stops it while the scene
// runs on, and its return brings the dance back.
TEST_F(Desktop, TheMenuListensToThisComputersSoundOrSaysWhyItCannot)
{
    PulseServer server;  // not started yet
    const int listening = audioInMeterIsRunning();
    const std::string before = preferences();
    key(SDLK_F10);
    for (SDL_Keycode k : {SDLK_DOWN, SDLK_DOWN, SDLK_RETURN})
        key(k);
    run(0.1);
    const char* notice = kNoSoundServerNotice;
    EXPECT_NE(findLabel(app.screens().root(), notice), nullptr);
    EXPECT_EQ(audioInMeterIsRunning(), listening);
    EXPECT_EQ(preferences(), before);
    for (int i = 0; i < 100 && findLabel(app.screens().root(), notice); ++i)
        run(0.1);
    EXPECT_EQ(findLabel(app.screens().root(), notice), nullptr);
    key(SDLK_APPLICATION);
    key(SDLK_ESCAPE);
    run(0.05);
    EXPECT_TRUE(onlyTheScene(app.screens(), app.glView()));

    ASSERT_TRUE(server.start());
    click({160, 100}, SDL_BUTTON_RIGHT);
    click(centreOfButton("Listen to this computer's sound"));
    EXPECT_EQ(getAudioSource(), AudioSource::Computer);
    EXPECT_TRUE(onlyTheScene(app.screens(), app.glView()));
    server.play(musicTrack(3));
    EXPECT_TRUE(iconTurnsRed(10)) << "no dance";
    server.stop();
    run(1);
    EXPECT_EQ(shownNotice(), kNoSoundServerNotice) << "the server went away unsaid";
    run(2);  // the detector lets go of the music
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    const uint64_t frames = app.glView().layer().presentCount();
    EXPECT_FALSE(iconTurnsRed(1));
    EXPECT_GT(app.glView().layer().presentCount(), frames);  // the scene runs on
    ASSERT_TRUE(server.start());
    server.play(musicTrack(3));
    EXPECT_TRUE(iconTurnsRed(12)) << "no dance after the sound server came back";

    key(SDLK_F10);
    run(0.05);
    click(centreOfButton("Settings"));  // the overlay, on its settings page
    const InfoView* overlay = findView<InfoView>(app.screens().root());
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->mode(), 1);
}

// The screens speak of this computer: no iPhone, the program's version, the
// source he dances to, a webcam, the mouse and the wheel.
TEST_F(Desktop, TheScreensSpeakOfThisComputer)
{
    auto saysIPhone = [](Label& l) { return l.text().find("iPhone") != std::string::npos; };
    click({312, 472});  // the info corner
    EXPECT_EQ(findView<Label>(app.screens().root(), saysIPhone), nullptr);
    EXPECT_NE(findLabel(app.screens().root(), "v" ZORBEL_VERSION), nullptr);
    const Label* info =
        findView<Label>(app.screens().root(), [](Label& l) { return l.text().rfind("Zorbel's behavior", 0) == 0; });
    ASSERT_NE(info, nullptr);
    EXPECT_NE(info->text().find("a set of masses"), std::string::npos);
    EXPECT_NE(info->text().find("music through the microphone"), std::string::npos);
    click(centreOfButton("Settings"));
    EXPECT_NE(findLabel(app.screens().root(), "Dance to what the microphone hears"), nullptr);
    EXPECT_EQ(findView<Label>(app.screens().root(), saysIPhone), nullptr);
    click(centreOfButton("Change Zorbel's face"));
    EXPECT_NE(findLabel(app.screens().root(), "(with a webcam)"), nullptr);
    EXPECT_EQ(findView<Label>(app.screens().root(), saysIPhone), nullptr);
    key(SDLK_ESCAPE);
    key(SDLK_ESCAPE);
    run(0.05);

    // Listening to this computer's sound, the switch says so.
    PulseServer server;
    ASSERT_TRUE(server.start());
    key(SDLK_F10);
    run(0.05);
    click(centreOfButton("Listen to this computer's sound"));
    click({312, 472});
    click(centreOfButton("Settings"));
    EXPECT_NE(findLabel(app.screens().root(), "Dance to what this computer plays"), nullptr);
}

// F12: the screenshot is written off the main thread, and the board says
// where it went.
TEST_F(Desktop, AScreenshotSaysWhereItWent)
{
    // The Pictures folder of the test's home (read once per process, here first).
    const std::string pictures = freshDir("Pictures");
    makeDirs(testHome() + "/config");
    writeFile(testHome() + "/config/user-dirs.dirs", "XDG_PICTURES_DIR=\"" + pictures + "\"\n");
    ASSERT_EQ(picturesDir(), pictures);
    key(SDLK_F12);
    for (int i = 0; i < 50 && shownNotice().empty(); ++i)
        run(0.1);
    const std::vector<std::string> shots = listDir(picturesDir());
    ASSERT_EQ(shots.size(), 1u);
    const std::string said = shownNotice();
    EXPECT_EQ(said.rfind("Screenshot saved: ", 0), 0u) << said;
    EXPECT_NE(said.find(shots[0]), std::string::npos) << said;
}

// In a window of an X server the back buffer keeps its picture over a swap,
// and a composite draws only what changed since the last one.
class DesktopOnX : public Desktop {
public:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no X server: run under xvfb-run";
        videoDriver = "x11";
        Desktop::SetUp();
    }

    // What the window shows now, after the composites of changes only,
    // against what drawing all of it gives: the same bytes. Without the
    // overlay, the screen's part of it is the scene's picture one pixel for
    // one. The scene waits meanwhile; the screens over it must be still.
    void expectTheWholePicture(const char* when, bool overlay = false)
    {
        glAnimationEnable = 0;
        run(0.05);
        EXPECT_TRUE(app.appWindow().drewChangesOnly()) << when;
        std::vector<uint8_t> shown, whole;
        int w = 0, h = 0, w2 = 0, h2 = 0;
        ASSERT_TRUE(app.appWindow().readDrawablePixels(shown, w, h));
        windowEvent(SDL_WINDOWEVENT_EXPOSED);  // draws all of it
        run(0.05);
        ASSERT_TRUE(app.appWindow().readDrawablePixels(whole, w2, h2));
        ASSERT_EQ(w2, w);
        size_t differ = 0;
        for (size_t i = 0; i < shown.size() && i < whole.size(); i += 4)
            differ += std::memcmp(&shown[i], &whole[i], 4) != 0;
        EXPECT_EQ(differ, 0u) << when << " at " << w << " x " << h << ": pixels differ";

        RGBAImage scene;
        ASSERT_TRUE(app.glView().layer().readPresentedPixels(scene.pixels, scene.width, scene.height));
        glAnimationEnable = 1;
        const PixelRect r = letterboxPixelRect(fitLetterbox(static_cast<float>(w), static_cast<float>(h)));
        ASSERT_EQ(r.width, scene.width) << when;
        ASSERT_EQ(r.height, scene.height) << when;
        ASSERT_LE(r.x + r.width, w);
        ASSERT_LE(r.y + r.height, h);
        differ = 0;
        for (int y = 0; y < r.height && !overlay; ++y)
            for (int x = 0; x < r.width; ++x)
                differ += std::memcmp(&scene.pixels[(static_cast<size_t>(y) * r.width + x) * 4],
                                      &shown[(static_cast<size_t>(y + r.y) * w + x + r.x) * 4], 3) != 0;
        EXPECT_EQ(differ, 0u) << when << " at " << w << " x " << h << ": the scene is not shown one for one";
    }
};

// Standing, dancing to this computer's music, hopping about and with the
// overlay open over him, at the window's first size, at 1080 x 1600 and at
// a size of no round scale.
TEST_F(DesktopOnX, EachCompositeShowsWhatDrawingAllOfItGives)
{
    ASSERT_TRUE(app.appWindow().sharedContext()->keepsBackBuffer()) << "every composite draws all of the window";
    PulseServer server;
    ASSERT_TRUE(server.start());
    click({160, 100}, SDL_BUTTON_RIGHT);
    click(centreOfButton("Listen to this computer's sound"));
    server.play(musicTrack(12));
    const struct {
        int width, height;
    } sizes[] = {{0, 0}, {1080, 1600}, {1000, 1333}};
    for (const auto& size : sizes) {
        if (size.width) {
            SDL_SetWindowSize(app.appWindow().sharedContext()->window(), size.width, size.height);
            run(0.3);
        }
        run(3.0);
        expectTheWholePicture("standing");
        EXPECT_TRUE(iconTurnsRed(5)) << "no dance";
        expectTheWholePicture("dancing");
        key(SDLK_SPACE);
        key(SDLK_RIGHT, KMOD_NONE, {SDL_KEYDOWN});
        run(0.4);
        expectTheWholePicture("hopping");
        run(0.4);
        key(SDLK_RIGHT, KMOD_NONE, {SDL_KEYUP});
        key(SDLK_HOME);
        click({312, 472});  // the info corner: the overlay
        run(0.6);
        expectTheWholePicture("with the overlay", true);
        key(SDLK_ESCAPE);
        run(0.6);
        expectTheWholePicture("after the overlay");
    }
}

// Started with this computer's sound chosen and no sound server: the board
// says why he hears nothing, as the menu does.
TEST(DesktopStart, ThisComputersSoundWithoutAServerIsSaidAtTheStart)
{
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("PULSE_SERVER", "unix:/nonexistent/zorbel-test/native", 1);
    Prefs::standardUserDefaults()->setString("computer", "LISTEN_TO");
    Prefs::standardUserDefaults()->setBool(false, "DISABLE_MIC");
    {
        DesktopApp app;
        ASSERT_TRUE(app.start());
        EXPECT_EQ(shownNotice(), kNoSoundServerNotice);
    }
    Prefs::standardUserDefaults()->setString("microphone", "LISTEN_TO");
    unsetenv("PULSE_SERVER");
}

}  // namespace
}  // namespace zorbel::test
