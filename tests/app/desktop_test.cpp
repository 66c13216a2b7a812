// The app in-process on SDL's offscreen video driver, driven the way a user
// drives it: SDL events in its queue, through the window's translation, the
// kit's dispatch and the views.
#include "app/desktopApp.h"
#include "figure/myGuy.h"
#include "platform/imaging/image.h"
#include "testHome.h"
#include "ui/cropView.h"
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
        const CropRenderParams p = cropRenderParams(m);
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
    std::ifstream prefs(testHome() + "/config/zorbel/preferences.ini");
    const std::string text((std::istreambuf_iterator<char>(prefs)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("STICKY_MULT=1.8999999"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(Desktop, Quitting, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return info.param ? "CtrlQ" : "WindowClosed";
});

}  // namespace
}  // namespace zorbel::test
