// The app in-process on SDL's offscreen video driver, driven the way a user
// drives it: SDL events in its queue, through the window's translation, the
// kit's dispatch and the views.
#include "app/desktopApp.h"
#include "audio/audioInMeter.h"
#include "figure/myGuy.h"
#include "platform/gles/EAGLLayer.h"
#include "platform/imaging/image.h"
#include "pulseServer.h"
#include "recordings.h"
#include "testHome.h"
#include "ui/InfoView.h"
#include "ui/cropView.h"
#include "ui/screens.h"
#include "view/EAGLView.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>

namespace zorbel::test {
namespace {

class Desktop : public ::testing::Test {
public:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
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
    void toWindow(Point p, float& wx, float& wy)
    {
        const Letterbox box = app.appWindow().letterbox();
        wx = box.offsetX + p.x * box.scale;
        wy = box.offsetY + p.y * box.scale;
    }

    void mouse(Uint32 type, Point p, Uint8 button = SDL_BUTTON_LEFT)
    {
        SDL_Event e{};
        e.type = type;
        float wx, wy;
        toWindow(p, wx, wy);
        if (type == SDL_MOUSEMOTION) {
            e.motion.x = static_cast<Sint32>(std::lround(wx));
            e.motion.y = static_cast<Sint32>(std::lround(wy));
        } else {
            e.button.button = button;
            e.button.x = static_cast<Sint32>(std::lround(wx));
            e.button.y = static_cast<Sint32>(std::lround(wy));
        }
        SDL_PushEvent(&e);
    }

    void finger(Uint32 type, SDL_FingerID id, Point p)
    {
        SDL_Event e{};
        e.type = type;
        e.tfinger.touchId = 7;
        e.tfinger.fingerId = id;
        int w, h;
        app.appWindow().windowSize(w, h);
        float wx, wy;
        toWindow(p, wx, wy);
        e.tfinger.x = wx / static_cast<float>(w);
        e.tfinger.y = wy / static_cast<float>(h);
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

    void key(SDL_Keycode sym, Uint16 mod = KMOD_NONE)
    {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
        e.type = SDL_KEYUP;
        SDL_PushEvent(&e);
    }

    void windowEvent(Uint8 what)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = what;
        SDL_PushEvent(&e);
    }

    void click(Point p)
    {
        mouse(SDL_MOUSEBUTTONDOWN, p);
        mouse(SDL_MOUSEBUTTONUP, p);
        run(0.05);
    }

    // The first view of kind T on the screen that `is` accepts, and its centre.
    template <typename T, typename Pred> static T* find(View& v, Pred is)
    {
        if (auto* t = dynamic_cast<T*>(&v); t && is(*t))
            return t;
        for (const auto& sub : v.subviews())
            if (T* t = find<T>(*sub, is))
                return t;
        return nullptr;
    }
    Point centreOfButton(const std::string& title)
    {
        const Button* b = find<Button>(app.screens().root(), [&](Button& b) { return b.title() == title; });
        EXPECT_NE(b, nullptr) << "no button " << title;
        return b ? b->convertToScreen({b->bounds().width / 2, b->bounds().height / 2}) : Point{};
    }
    bool shows(const std::string& text)
    {
        return find<Label>(app.screens().root(), [&](Label& l) { return l.text() == text; }) != nullptr;
    }

    // Whether the info icon, in the lower right corner, is drawn red within
    // `seconds` (it flashes red on a beat, then fades back to light blue).
    bool iconTurnsRed(double seconds)
    {
        for (double t = 0; t < seconds; t += 0.1) {
            run(0.1);
            std::vector<uint8_t> rgba;
            int w = 0, h = 0;
            if (!app.glView().layer().readPresentedPixels(rgba, w, h))
                return false;
            for (int y = h * 93 / 100; y < h; ++y) {
                for (int x = w * 88 / 100; x < w; ++x) {
                    const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
                    if (p[0] > 150 && p[0] > p[2] + 70)
                        return true;
                }
            }
        }
        return false;
    }

    static std::string preferences()
    {
        std::ifstream in(testHome() + "/config/zorbel/preferences.ini");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

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

    DesktopApp app;
};

TEST_F(Desktop, EveryFingerAndAltsMirrorReachTheBoard)
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
    // The fingers lift, and at once the mouse with Alt comes down on what they held.
    finger(SDL_FINGERUP, 1, q);
    finger(SDL_FINGERUP, 2, mirrored);
    SDL_SetModState(KMOD_LALT);
    mouse(SDL_MOUSEBUTTONDOWN, q);
    run(0.05);
    SDL_SetModState(KMOD_NONE);
    EXPECT_EQ(guy().grabCount, 2);
    EXPECT_EQ(massesHeld(), 2);
}

// Each way to tack him with a second finger while a first one holds his head.
struct TackGesture {
    const char* name;
    void (*holdAndTack)(Desktop& d, Point head);
};

void PrintTo(const TackGesture& g, std::ostream* os)
{
    *os << g.name;
}

class Tacking : public Desktop, public ::testing::WithParamInterface<TackGesture> {};

TEST_P(Tacking, LeavesHimTackedAfterTheFingerLifts)
{
    const Point head = mass(3);
    GetParam().holdAndTack(*this, head);
    run(0.3);
    EXPECT_EQ(guy().grabCount, 1);
    EXPECT_EQ(guy().tackCount, 1);
    EXPECT_TRUE(held(3));
}

const Point kTackCorner{17, 463};

INSTANTIATE_TEST_SUITE_P(Desktop, Tacking,
                         ::testing::Values(TackGesture{"LeftHoldRightClick",
                                                       [](Desktop& t, Point head) {
                                                           t.mouse(SDL_MOUSEBUTTONDOWN, head);
                                                           t.mouse(SDL_MOUSEBUTTONDOWN, head, SDL_BUTTON_RIGHT);
                                                           t.mouse(SDL_MOUSEBUTTONUP, head, SDL_BUTTON_RIGHT);
                                                           t.mouse(SDL_MOUSEBUTTONUP, head);
                                                       }},
                                           TackGesture{"LeftHoldT",
                                                       [](Desktop& t, Point head) {
                                                           t.mouse(SDL_MOUSEBUTTONDOWN, head);
                                                           t.key(SDLK_t);
                                                           t.mouse(SDL_MOUSEBUTTONUP, head);
                                                       }},
                                           TackGesture{"SecondFingerOnTheCorner",
                                                       [](Desktop& t, Point head) {
                                                           t.finger(SDL_FINGERDOWN, 1, head);
                                                           t.finger(SDL_FINGERDOWN, 2, kTackCorner);
                                                           t.finger(SDL_FINGERUP, 2, kTackCorner);
                                                           t.finger(SDL_FINGERUP, 1, head);
                                                       }}),
                         [](const ::testing::TestParamInfo<TackGesture>& info) { return info.param.name; });

TEST_F(Desktop, OnlyAHiddenWindowSlowsDown)
{
    windowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    run(0.05);
    EXPECT_DOUBLE_EQ(app.glView().getAnimationInterval(), 1.0 / 60.0);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
    windowEvent(SDL_WINDOWEVENT_MINIMIZED);
    run(0.05);
    EXPECT_DOUBLE_EQ(app.glView().getAnimationInterval(), 0.2);
    EXPECT_TRUE(SDL_IsScreenSaverEnabled());
    windowEvent(SDL_WINDOWEVENT_RESTORED);
    run(0.05);
    EXPECT_DOUBLE_EQ(app.glView().getAnimationInterval(), 1.0 / 60.0);
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
}

TEST_F(Desktop, ThePhotoTurnsAndScalesWithFingersAndTheWheel)
{
    RGBAImage photo;
    photo.width = photo.height = 600;
    photo.pixels.assign(600 * 600 * 4, 255);
    const std::string path = freshDir("photo") + "/me.png";
    ASSERT_TRUE(savePNG(path, photo));
    SDL_Event drop{};
    drop.type = SDL_DROPFILE;
    drop.drop.file = SDL_strdup(path.c_str());
    SDL_PushEvent(&drop);
    run(0.1);
    View* top = &app.screens().root();
    while (!top->subviews().empty())
        top = top->subviews().back().get();
    auto* crop = dynamic_cast<cropView*>(top->superview());
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
    auto photoUnder = [&](float& px, float& py) {
        const FaceTransform p = cropFaceTransform(m);
        const float c = std::cos(p.theta), s = std::sin(p.theta);
        px = ((ox * c + oy * s) - p.tx) / p.scale;
        py = ((oy * c - ox * s) - p.ty) / p.scale;
    };
    float x0, y0, x1, y1;
    photoUnder(x0, y0);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = 2;
    wheel.wheel.preciseY = 2;
    float wx, wy;
    toWindow(pointer, wx, wy);
    wheel.wheel.mouseX = static_cast<Sint32>(std::lround(wx));
    wheel.wheel.mouseY = static_cast<Sint32>(std::lround(wy));
    SDL_PushEvent(&wheel);
    run(0.05);
    EXPECT_NEAR(m.imScale, 1.21f, 1e-3f);
    photoUnder(x1, y1);
    EXPECT_NEAR(x1, x0, 0.5f);  // within the pointer's rounding to window units
    EXPECT_NEAR(y1, y0, 0.5f);

    // Any wheel, any number of keys: the transform stays finite.
    wheel.wheel.preciseY = 1e30f;
    SDL_PushEvent(&wheel);
    for (int i = 0; i < 3000; ++i)
        key(i % 3 == 0 ? SDLK_EQUALS : i % 3 == 1 ? SDLK_RIGHTBRACKET : SDLK_LEFT);
    run(0.2);
    EXPECT_TRUE(std::isfinite(m.imScale) && std::isfinite(m.imRot) && std::isfinite(m.imCenterX) &&
                std::isfinite(m.imCenterY));
    EXPECT_LE(m.imScale, kCropMaxScale);
}

// Closing the window or Ctrl+Q with the overlay open stores its sliders.
class Quitting : public Desktop, public ::testing::WithParamInterface<bool> {};

TEST_P(Quitting, StoresTheSettingsOfAnOpenOverlay)
{
    click({315, 475});  // the info corner
    click({50, 462});   // Settings
    mouse(SDL_MOUSEBUTTONDOWN, {160, 373.5f});
    slide([&](Point p) { mouse(SDL_MOUSEMOTION, p); }, {160, 373.5f}, {300, 373.5f});
    mouse(SDL_MOUSEBUTTONUP, {300, 373.5f});
    if (GetParam()) {
        key(SDLK_q, KMOD_LCTRL);
    } else {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
    app.loop().run();  // until the quit
    EXPECT_NE(preferences().find("STICKY_MULT=1.8999999"), std::string::npos) << preferences();
}

INSTANTIATE_TEST_SUITE_P(Desktop, Quitting, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "CtrlQ" : "WindowClosed";
});

// A right click on the board, the menu, this computer's sound: music played
// on the computer makes the info icon flash. The sound server going away
// stops it while the scene runs on; its return brings the dance back.
TEST_F(Desktop, HeDancesToThisComputersSoundChosenInTheMenu)
{
    PulseServer server;
    ASSERT_TRUE(server.start());
    mouse(SDL_MOUSEBUTTONDOWN, {160, 100}, SDL_BUTTON_RIGHT);
    mouse(SDL_MOUSEBUTTONUP, {160, 100}, SDL_BUTTON_RIGHT);
    run(0.1);
    click(centreOfButton("Listen to this computer's sound"));
    EXPECT_EQ(getAudioSource(), AudioSource::Computer);
    EXPECT_TRUE(onlyTheScene(app.screens(), app.glView()));
    server.play(musicTrack(3));
    EXPECT_TRUE(iconTurnsRed(10)) << "no dance";

    server.stop();
    run(3);  // the detector lets go of the music
    EXPECT_EQ(audioInMeterIsRunning(), 0);
    const uint64_t frames = app.glView().layer().presentCount();
    EXPECT_FALSE(iconTurnsRed(1));
    EXPECT_GT(app.glView().layer().presentCount(), frames + 40);  // the scene runs on

    ASSERT_TRUE(server.start());
    server.play(musicTrack(3));
    EXPECT_TRUE(iconTurnsRed(12)) << "no dance after the sound server came back";
}

// With no sound server, choosing this computer's sound (here with F10 and
// the keys) shows a notice for a few seconds, and nothing else changes.
TEST_F(Desktop, WithoutASoundServerTheMenuShowsANoticeAndNothingElse)
{
    setenv("PULSE_SERVER", "unix:/nonexistent", 1);
    const int listening = audioInMeterIsRunning();
    const std::string before = preferences();
    key(SDLK_F10);
    for (SDL_Keycode k : {SDLK_DOWN, SDLK_DOWN, SDLK_RETURN})
        key(k);
    run(0.1);
    const char notice[] = "This computer's sound cannot be heard: no sound server is running";
    EXPECT_TRUE(shows(notice));
    EXPECT_EQ(audioInMeterIsRunning(), listening);
    EXPECT_EQ(preferences(), before);
    run(4.5);
    EXPECT_FALSE(shows(notice));

    // The Menu key opens it too and Escape closes it; Settings opens the
    // overlay on its settings page.
    key(SDLK_APPLICATION);
    key(SDLK_ESCAPE);
    run(0.05);
    EXPECT_TRUE(onlyTheScene(app.screens(), app.glView()));
    key(SDLK_F10);
    run(0.05);
    click(centreOfButton("Settings"));
    const InfoView* overlay = find<InfoView>(app.screens().root(), [](InfoView&) { return true; });
    ASSERT_NE(overlay, nullptr);
    EXPECT_EQ(overlay->mode(), 1);
}

}  // namespace
}  // namespace zorbel::test
