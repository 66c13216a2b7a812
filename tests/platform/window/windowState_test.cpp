// The window's place between runs.
#include "platform/window/windowState.h"

#include "testHome.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zorbel {
namespace {

TEST(WindowState, RoundTripsAndIgnoresBrokenFiles)
{
    const std::string path = test::freshDir("state") + "/zorbel/window.ini";
    EXPECT_FALSE(loadWindowPlacement(path).valid);  // none yet
    saveWindowPlacement({true, -40, 120, 480, 720}, path);
    const WindowPlacement p = loadWindowPlacement(path);
    ASSERT_TRUE(p.valid);
    EXPECT_EQ(p.x, -40);
    EXPECT_EQ(p.y, 120);
    EXPECT_EQ(p.width, 480);
    EXPECT_EQ(p.height, 720);

    for (const char* text : {"garbage\n", "[window]\nx=1\ny=2\nwidth=0\nheight=5\n", "[window]\nx=1\n"}) {
        std::ofstream(path) << text;
        EXPECT_FALSE(loadWindowPlacement(path).valid) << text;
    }
    EXPECT_NE(windowStatePath().find(test::testHome() + "/state/zorbel/"), std::string::npos);
}

}  // namespace
}  // namespace zorbel
