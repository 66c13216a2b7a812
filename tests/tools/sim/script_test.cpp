// The simulator's script language: what it accepts and how it reports errors.
#include "script.h"

#include <gtest/gtest.h>

#include <cmath>

namespace zorbel {
namespace {

// As zorbel-sim reads a script, or without the crop editor.
std::vector<ScriptCommand> parse(const std::string& text, std::string* error = nullptr, bool allowCrop = true)
{
    std::vector<ScriptCommand> out;
    std::string why;
    ScriptOptions options;
    options.allowCrop = allowCrop;
    const bool ok = parseScript(text, options, out, why);
    if (error)
        *error = ok ? "" : why;
    return ok ? out : std::vector<ScriptCommand>();
}

TEST(SimScript, ReadsEveryCommandWithCommentsAndBlankLines)
{
    const auto s = parse("# start\n\n  frames 3  # three frames\naccel 0.1 -0.95 nan\nlevel 0.5\n"
                         "touches moved 1 2 3 4\nmultipliers 1 0.7 1.9\nsensitivity 50\nanimation 0\nstrips\nfacefan\n"
                         "crop -1 0\ncroptouches began 160 150 10 20\ncroptouches ended 3 4\n");
    ASSERT_EQ(s.size(), 12u);
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
    EXPECT_EQ(s[9].kind, ScriptCommand::Crop);
    EXPECT_EQ(s[9].f, (std::vector<float>{-1, 0}));  // a photo without pixels
    EXPECT_EQ(s[10].kind, ScriptCommand::CropTouches);
    EXPECT_EQ(s[10].phase, ScriptPhase::Began);
    EXPECT_EQ(s[10].f.size(), 4u);
    EXPECT_EQ(s[11].phase, ScriptPhase::Ended);
}

TEST(SimScript, ErrorsNameTheirLine)
{
    const struct {
        bool allowCrop;
        const char* text;
    } bad[] = {
        {true, "frames 2\nfly 3\n"},            // unknown command
        {true, "frames 2\nframes -1\n"},        // negative count
        {true, "frames 2\nframes 2.5\n"},       // not whole
        {true, "frames 2\naccel 1 2\n"},        // too few
        {true, "frames 2\nlevel x\n"},          // not a number
        {true, "frames 2\ntouches began 1\n"},  // half a pair
        {true, "frames 2\ntouches wiggle 1 2\n"},
        {true, "frames 2\nanimation 2\n"},
        {true, "frames 2\nstrips now\n"},
        {true, "frames 2\nlevel 1,5\n"},                            // C locale only
        {false, "frames 2\ncrop 640 480\n"},                        // without the crop editor
        {true, "frames 1\ncroptouches began 1 2\ncrop 640 480\n"},  // touches before any editor
        {true, "crop 640 480\ncrop 640.5 480\n"},                   // not whole pixels
        {true, "crop 640 480\ncrop 640\n"},
        {true, "crop 640 480\ncrop 640 nan\n"},
        {true, "crop 640 480\ncroptouches pinched 1 2\n"},
        {true, "crop 640 480\ncroptouches moved 1\n"},
    };
    for (const auto& b : bad) {
        std::string error;
        EXPECT_TRUE(parse(b.text, &error, b.allowCrop).empty()) << b.text;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << b.text << " -> " << error;
    }
}

}  // namespace
}  // namespace zorbel
