// The simulator's script language: what it accepts and how it reports errors.
#include "script.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorbel {
namespace {

std::vector<ScriptCommand> parse(const std::string& text, std::string* error = nullptr)
{
    std::vector<ScriptCommand> out;
    std::string why;
    const bool ok = parseScript(text, ScriptOptions(), out, why);
    if (error)
        *error = ok ? "" : why;
    return ok ? out : std::vector<ScriptCommand>();
}

TEST(SimScript, ReadsEveryCommandWithCommentsAndBlankLines)
{
    const auto s =
        parse("# start\n\n  frames 3  # three frames\naccel 0.1 -0.95 nan\nlevel 0.5\n"
              "touches moved 1 2 3 4\nmultipliers 1 0.7 1.9\nsensitivity 50\nanimation 0\nstrips\nfacefan\n");
    ASSERT_EQ(s.size(), 9u);
    EXPECT_EQ(s[0].kind, ScriptCommand::Frames);
    EXPECT_EQ(s[0].count, 3);
    EXPECT_EQ(s[0].line, 3);
    EXPECT_EQ(s[1].a[1], -0.95);  // accel is read as a double
    EXPECT_TRUE(std::isnan(s[1].a[2]));
    EXPECT_EQ(s[2].f[0], 0.5f);
    EXPECT_EQ(s[3].phase, ScriptPhase::Moved);
    EXPECT_EQ(s[3].f, (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(s[6].count, 0);
    EXPECT_EQ(s[8].kind, ScriptCommand::FaceFan);
}

TEST(SimScript, ErrorsNameTheirLine)
{
    const char* bad[] = {
        "frames 2\nfly 3\n",            // unknown command
        "frames 2\nframes -1\n",        // negative count
        "frames 2\nframes 2.5\n",       // not whole
        "frames 2\naccel 1 2\n",        // too few
        "frames 2\nlevel x\n",          // not a number
        "frames 2\ntouches began 1\n",  // half a pair
        "frames 2\ntouches wiggle 1 2\n",
        "frames 2\nanimation 2\n",
        "frames 2\nstrips now\n",
        "frames 2\ncrop 640 480\n",  // needs the crop editor
        "frames 2\nlevel 1,5\n",     // C locale only
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_TRUE(parse(text, &error).empty());
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << text << " -> " << error;
    }
}

}  // namespace
}  // namespace zorbel
