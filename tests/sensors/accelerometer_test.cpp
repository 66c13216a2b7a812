#include "platform/sensors/accelerometer.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace zorbel {
namespace {

constexpr double kTick = 1.0 / 60.0;

// --- m/s^2 from SDL to g on the phone's axes ---

TEST(SdlAccelConversion, UprightAndFlatMatchThePhone)
{
    const float upright[3] = {0.0f, 9.80665f, 0.0f};
    const float flatOnBack[3] = {0.0f, 0.0f, 9.80665f};
    const Reading u = readingFromSdlAccel(upright);
    const Reading f = readingFromSdlAccel(flatOnBack);
    EXPECT_NEAR(u.y, -1.0, 1e-6);
    EXPECT_EQ(u.x, 0.0);
    EXPECT_EQ(u.z, 0.0);
    EXPECT_NEAR(f.z, -1.0, 1e-6);
}

TEST(SdlAccelConversion, EachAxisKeepsItsPlaceAndFlipsSign)
{
    const float ms2[3] = {9.80665f, -19.6133f, 4.903325f};
    const Reading r = readingFromSdlAccel(ms2);
    EXPECT_NEAR(r.x, -1.0, 1e-6);
    EXPECT_NEAR(r.y, 2.0, 1e-6);
    EXPECT_NEAR(r.z, -0.5, 1e-6);
}

TEST(SdlAccelConversion, NonFiniteValuesPassThrough)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float ms2[3] = {std::numeric_limits<float>::quiet_NaN(), inf, -inf};
    const Reading r = readingFromSdlAccel(ms2);
    EXPECT_TRUE(std::isnan(r.x));
    EXPECT_EQ(r.y, -std::numeric_limits<double>::infinity());
    EXPECT_EQ(r.z, std::numeric_limits<double>::infinity());
}

// --- the Accelerometer on a machine with no motion devices ---

SDL_Event keyEvent(bool down, SDL_Keycode sym, bool repeat = false)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.type = e.type;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    return e;
}

SDL_Event controllerEvent(Uint32 type, Sint32 which)
{
    SDL_Event e;
    SDL_zero(e);
    e.type = type;
    e.cdevice.type = type;
    e.cdevice.which = which;
    return e;
}

struct Sample {
    bool ok = false;
    double x = 0.0, y = 0.0, z = 0.0;
};

Sample poll(Accelerometer& acc, double dt)
{
    Sample s;
    s.ok = acc.poll(dt, s.x, s.y, s.z);
    return s;
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

TEST_F(AccelerometerKeyboard, PicksTheKeyboardAndReadsUpright)
{
    EXPECT_EQ(acc.source(), Accelerometer::Source::keyboard);
    EXPECT_STREQ(acc.sourceName(), "keyboard");
    const Sample s = poll(acc, kTick);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.x, 0.0);
    EXPECT_EQ(s.y, -1.0);
    EXPECT_EQ(s.z, 0.0);
}

TEST_F(AccelerometerKeyboard, RightArrowTurnsWhileHeld)
{
    acc.handleEvent(keyEvent(true, SDLK_RIGHT));
    Sample s = poll(acc, 0.75);
    EXPECT_NEAR(s.x, 1.0, 1e-9);
    EXPECT_NEAR(s.y, 0.0, 1e-9);

    acc.handleEvent(keyEvent(false, SDLK_RIGHT));
    s = poll(acc, 1.0);
    EXPECT_NEAR(s.x, 1.0, 1e-9);
}

TEST_F(AccelerometerKeyboard, BothArrowsHeldCancelUntilOneIsReleased)
{
    acc.handleEvent(keyEvent(true, SDLK_LEFT));
    acc.handleEvent(keyEvent(true, SDLK_RIGHT));
    EXPECT_EQ(poll(acc, 0.5).y, -1.0);
    acc.handleEvent(keyEvent(false, SDLK_RIGHT));
    EXPECT_NEAR(poll(acc, 0.25).x, -0.5, 1e-9);
}

TEST_F(AccelerometerKeyboard, UpLaysItBackAndDownBringsItUp)
{
    acc.handleEvent(keyEvent(true, SDLK_UP));
    EXPECT_NEAR(poll(acc, 2.0).z, -1.0, 1e-9);
    acc.handleEvent(keyEvent(false, SDLK_UP));
    acc.handleEvent(keyEvent(true, SDLK_DOWN));
    const Sample s = poll(acc, 0.5);
    EXPECT_NEAR(s.z, -std::sqrt(0.5), 1e-9);
    EXPECT_NEAR(s.y, -std::sqrt(0.5), 1e-9);
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

TEST_F(AccelerometerKeyboard, HomePutsItBackUpright)
{
    acc.handleEvent(keyEvent(true, SDLK_LEFT));
    acc.handleEvent(keyEvent(true, SDLK_UP));
    poll(acc, 0.5);
    acc.handleEvent(keyEvent(false, SDLK_LEFT));
    acc.handleEvent(keyEvent(false, SDLK_UP));
    acc.handleEvent(keyEvent(true, SDLK_HOME));
    const Sample s = poll(acc, kTick);
    EXPECT_EQ(s.x, 0.0);
    EXPECT_EQ(s.y, -1.0);
    EXPECT_EQ(s.z, 0.0);
}

TEST_F(AccelerometerKeyboard, UnknownControllerEventsLeaveTheKeyboardInCharge)
{
    acc.handleEvent(controllerEvent(SDL_CONTROLLERDEVICEADDED, 42));
    acc.handleEvent(controllerEvent(SDL_CONTROLLERDEVICEREMOVED, 42));
    acc.handleEvent(controllerEvent(SDL_CONTROLLERDEVICEADDED, -1));
    EXPECT_STREQ(acc.sourceName(), "keyboard");
    EXPECT_TRUE(poll(acc, kTick).ok);
}

TEST(AccelerometerUnstarted, KeysWorkBeforeStart)
{
    Accelerometer acc;
    EXPECT_STREQ(acc.sourceName(), "keyboard");
    acc.handleEvent(keyEvent(true, SDLK_RIGHT));
    EXPECT_NEAR(poll(acc, 0.75).x, 1.0, 1e-9);
}

TEST(AccelerometerKeysHelp, NamesEveryKey)
{
    const std::string help = Accelerometer::keysHelp();
    for (const char* key : {"Left", "Right", "Up", "Down", "Space", "Home"})
        EXPECT_NE(help.find(key), std::string::npos) << key;
}

}  // namespace
}  // namespace zorbel
