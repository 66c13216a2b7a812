#include "platform/sensors/accelerometer.h"
#include "platform/window/inputEvent.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

namespace zorbel {
namespace {

constexpr double kTick = 1.0 / 60.0;

TEST(SdlAccelConversion, MetresPerSecondSquaredBecomeGOnThePhonesAxes)
{
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const struct {
        float ms2[3];
        double x, y, z;
    } cases[] = {
        {{0, 9.80665f, 0}, 0, -1, 0},                           // upright
        {{0, 0, 9.80665f}, 0, 0, -1},                           // flat on its back
        {{9.80665f, -19.6133f, 4.903325f}, -1, 2, -0.5},        // each axis keeps its place, sign flipped
        {{nan, inf, -inf}, std::nan(""), -HUGE_VAL, HUGE_VAL},  // passed on for the app to refuse
    };
    for (const auto& c : cases) {
        const Reading r = readingFromSdlAccel(c.ms2);
        for (auto [got, want] : {std::pair{r.x, c.x}, {r.y, c.y}, {r.z, c.z}})
            EXPECT_TRUE(std::isnan(want) ? std::isnan(got) : got == want || std::fabs(got - want) < 1e-6)
                << got << " for " << want;
    }
}

// --- the Accelerometer on a machine with no motion devices ---

// A key as the run loop hands it on: an SDL event, translated.
InputEvent keyEvent(bool down, SDL_Keycode sym, bool repeat = false)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    return translateEvent(e, nullptr);
}

Reading poll(Accelerometer& acc, double dt)
{
    Reading r;
    EXPECT_TRUE(acc.poll(dt, r.x, r.y, r.z));
    return r;
}

class AccelerometerKeyboard : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override
    {
        acc.start();
        if (SDL_NumSensors() > 0 || SDL_NumJoysticks() > 0)
            GTEST_SKIP() << "this machine has sensors or joysticks attached";
    }

    Accelerometer acc;
};

TEST_F(AccelerometerKeyboard, KeysTurnLayAndStraightenThePhone)
{
    // A key pressed (+) or released (-), or a poll after some seconds (key 0).
    struct Step {
        SDL_Keycode key;
        double downOrSeconds;
    };
    const SDL_Keycode L = SDLK_LEFT, R = SDLK_RIGHT, U = SDLK_UP, D = SDLK_DOWN, H = SDLK_HOME;
    const double h = std::sqrt(0.5);
    const struct {
        const char* what;
        bool started;
        std::vector<Step> steps;
        double x, y, z;
    } cases[] = {
        {"right turns while held", true, {{R, 1}, {0, 0.75}, {R, -1}, {0, 1.0}}, 1, 0, 0},
        {"keys work before start", false, {{R, 1}, {0, 0.75}}, 1, 0, 0},
        {"both arrows cancel", true, {{L, 1}, {R, 1}, {0, 0.5}, {R, -1}, {0, 0.25}}, -0.5, -std::sqrt(0.75), 0},
        {"up lays back, down brings up", true, {{U, 1}, {0, 2.0}, {U, -1}, {D, 1}, {0, 0.5}}, 0, -h, -h},
        {"home", true, {{L, 1}, {U, 1}, {0, 0.5}, {L, -1}, {U, -1}, {H, 1}, {0, kTick}}, 0, -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Accelerometer fresh;
        if (c.started)
            fresh.start();
        Reading r;
        for (const Step& s : c.steps) {
            if (s.key)
                fresh.handleEvent(keyEvent(s.downOrSeconds > 0, s.key));
            else
                r = poll(fresh, s.downOrSeconds);
        }
        EXPECT_NEAR(r.x, c.x, 1e-9);
        EXPECT_NEAR(r.y, c.y, 1e-9);
        EXPECT_NEAR(r.z, c.z, 1e-9);
    }
}

TEST_F(AccelerometerKeyboard, SpaceShakesButKeyRepeatDoesNot)
{
    acc.handleEvent(keyEvent(true, SDLK_SPACE));
    EXPECT_TRUE(acc.virtualPhone().shaking());
    poll(acc, 1.0);
    EXPECT_FALSE(acc.virtualPhone().shaking());

    acc.handleEvent(keyEvent(true, SDLK_SPACE, true));
    EXPECT_FALSE(acc.virtualPhone().shaking());
    EXPECT_EQ(poll(acc, kTick).y, -1.0);
}

}  // namespace
}  // namespace zorbel
