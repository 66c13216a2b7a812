// The simulator's crop commands: what the script accepts, and a bad script
// stopping before any output.
#include "script.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>

#include "testHome.h"

namespace zorbel {
namespace {

bool parseCrop(const std::string& text, std::vector<ScriptCommand>& out, std::string& error)
{
    ScriptOptions options;
    options.allowCrop = true;
    return parseScript(text, options, out, error);
}

TEST(SimCropScript, ReadsCropAndItsTouches)
{
    std::vector<ScriptCommand> s;
    std::string error;
    ASSERT_TRUE(parseCrop("crop 640 480\ncroptouches began 160 150 10 20\ncroptouches moved 1 2\n"
                          "crop -1 0\ncroptouches ended 3 4\n",
                          s, error))
        << error;
    ASSERT_EQ(s.size(), 5u);
    EXPECT_EQ(s[0].kind, ScriptCommand::Crop);
    EXPECT_EQ(s[0].f, (std::vector<float>{640, 480}));
    EXPECT_EQ(s[1].kind, ScriptCommand::CropTouches);
    EXPECT_EQ(s[1].phase, ScriptPhase::Began);
    EXPECT_EQ(s[1].f.size(), 4u);
    EXPECT_EQ(s[3].f, (std::vector<float>{-1, 0}));  // a photo without pixels
    EXPECT_EQ(s[4].phase, ScriptPhase::Ended);
}

TEST(SimCropScript, ErrorsNameTheirLine)
{
    const char* bad[] = {
        "frames 1\ncroptouches began 1 2\ncrop 640 480\n",  // touches before any editor
        "crop 640 480\ncrop 640.5 480\n",                   // not whole pixels
        "crop 640 480\ncrop 640\n",
        "crop 640 480\ncrop 640 nan\n",
        "crop 640 480\ncroptouches pinched 1 2\n",
        "crop 640 480\ncroptouches moved 1\n",
    };
    for (const char* text : bad) {
        std::vector<ScriptCommand> s;
        std::string error;
        EXPECT_FALSE(parseCrop(text, s, error)) << text;
        EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << text << " -> " << error;
    }
}

TEST(SimCropScript, TouchesBeforeAnEditorStopTheSimulatorBeforeAnyFrame)
{
    const std::string dir = test::freshDir("cropsim");
    std::ofstream(dir + "/script") << "frames 3\ncrop 100 100\n\ncroptouches began 1 2\n";
    std::ofstream(dir + "/bad") << "frames 3\ncroptouches began 1 2\ncrop 100 100\n";
    auto run = [&](const char* name, std::string& out) {
        const std::string cmd = std::string(ZORBEL_SIM) + " " + dir + "/" + name + " 2>" + dir + "/err";
        FILE* p = popen(cmd.c_str(), "r");
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        const int status = pclose(p);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string out;
    EXPECT_EQ(run("bad", out), 2);
    EXPECT_EQ(out, "");
    std::ifstream err(dir + "/err");
    std::string message((std::istreambuf_iterator<char>(err)), std::istreambuf_iterator<char>());
    EXPECT_NE(message.find("line 2: "), std::string::npos) << message;

    out.clear();
    ASSERT_EQ(run("script", out), 0);
    const size_t c = out.find("\nC ");
    ASSERT_NE(c, std::string::npos);
    EXPECT_EQ(out.substr(c + 1), "C 1 0 50 50 0\nC 1 0 50 50 1 1 478\n");
}

}  // namespace
}  // namespace zorbel
