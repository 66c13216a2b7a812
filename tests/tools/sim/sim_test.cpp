// zorbel-sim as a program: exit codes, errors before any frame, PNG frames.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>

#include "platform/imaging/image.h"
#include "testHome.h"

namespace zorbel {
namespace {

struct Result {
    int status;
    std::string out, err;
};

// zorbel-sim with `args`, then the script's file unless `script` is null.
Result runSim(const std::string& args, const char* script)
{
    const std::string dir = test::freshDir("sim");
    if (script)
        std::ofstream(dir + "/script") << script;
    const std::string cmd =
        std::string(ZORBEL_SIM) + " " + args + (script ? " " + dir + "/script" : "") + " 2>" + dir + "/err";
    Result r{0, "", ""};
    FILE* p = popen(cmd.c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = test::readFile(dir + "/err");
    return r;
}

Result runSim(const std::string& args, const std::string& script)
{
    return runSim(args, script.c_str());
}

// A mistake on the command line is one line naming it, and status 2; a
// picture that cannot be written stops the run with one line, status 1.
TEST(Sim, CommandLineMistakesAndPicturesThatCannotBeWrittenFail)
{
    const struct {
        const char* args;
        const char* says;
    } mistakes[] = {
        {"--png", "zorbel-sim: --png needs a folder (see zorbel-sim --help)\n"},
        {"--every 0 -", "zorbel-sim: --every needs a whole number of at least 1\n"},
        {"--frobnicate", "zorbel-sim: unknown option --frobnicate (see zorbel-sim --help)\n"},
        {"one.script two.script", "zorbel-sim: unexpected argument two.script: one script at most (see zorbel-sim "
                                  "--help)\n"},
    };
    for (const auto& m : mistakes) {
        const Result r = runSim(m.args, nullptr);
        EXPECT_EQ(r.status, 2) << m.args;
        EXPECT_EQ(r.err, m.says) << m.args;
    }
    const std::string missing = test::freshDir("pictures") + "/missing";
    for (const char* option : {"--png", "--ui-png"}) {
        const Result r = runSim(std::string(option) + " " + missing, "frames 5\n");
        EXPECT_EQ(r.status, 1) << option;
        EXPECT_EQ(r.out.rfind("F 1 ", 0), 0u) << option;
        EXPECT_EQ(r.out.find("F 2 "), std::string::npos) << option << ": it went on";
        EXPECT_EQ(r.err, "zorbel-sim: cannot write " + missing + "/frame-000001.png; stopped\n") << option;
    }
}

TEST(Sim, ABadLineStopsTheScriptBeforeAnyFrame)
{
    const Result r = runSim("", "frames 5\nfrobnicate\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

// Frames drawn straight into the layer's texture are the frames a present
// that copies the renderbuffer gives, byte for byte: standing up, dancing,
// and with the screens over him.
TEST(Sim, PicturesAreTheSameWhetherPresentsCopyOrNot)
{
    for (const char* script : {"standup", "music"}) {
        std::string frames[2];
        for (int copy : {0, 1}) {
            const std::string png = test::freshDir("frames"), ui = test::freshDir("ui-frames");
            setenv("ZORBEL_PRESENT_BY_COPY", copy ? "1" : "0", 1);
            const Result r =
                runSim("--png " + png + " --ui-png " + ui + " --every 20 " + ZORBEL_TRACES + "/" + script + ".script",
                       nullptr);
            unsetenv("ZORBEL_PRESENT_BY_COPY");
            ASSERT_EQ(r.status, 0) << r.err;
            frames[copy] = test::commandOutput("cd " + png + " && cat $(ls) | md5sum; cd " + ui +
                                               " && ls | wc -l; cat $(ls) | md5sum");
        }
        EXPECT_EQ(frames[0], frames[1]) << script;
        EXPECT_EQ(frames[0].find(" 0\n"), std::string::npos) << "no frames written";
    }
}

TEST(Sim, FaceInstallsAPhotoFaceNoneTakesItAwayAndPngsShowIt)
{
    const std::string dir = test::freshDir("face");
    RGBAImage red;
    red.width = red.height = 256;
    red.pixels.resize(256 * 256 * 4);
    for (size_t i = 0; i < red.pixels.size(); i += 4) {
        red.pixels[i] = 250;
        red.pixels[i + 3] = 255;
    }
    ASSERT_TRUE(savePNG(dir + "/red.png", red));
    const std::string png = test::freshDir("frames");
    const Result r = runSim("--png " + png + " --every 301",
                            "frames 300\nface " + dir + "/red.png\nframes 301\nface none\nframes 301\n");
    ASSERT_EQ(r.status, 0);
    // Every 301st frame only, 320 x 480 and opaque.
    struct stat st;
    EXPECT_NE(stat((png + "/frame-000300.png").c_str(), &st), 0);
    EXPECT_NE(stat((png + "/frame-000001.png").c_str(), &st), 0);
    auto redPixels = [](const std::string& path) {
        RGBAImage img;
        EXPECT_TRUE(loadPNG(path, img));
        EXPECT_EQ(img.width, 320);
        EXPECT_EQ(img.height, 480);
        int n = 0, clear = 0;
        for (size_t i = 0; i < img.pixels.size(); i += 4) {
            clear += img.pixels[i + 3] != 255;
            n += img.pixels[i] > 200 && img.pixels[i + 1] < 60 && img.pixels[i + 2] < 60 ? 1 : 0;
        }
        EXPECT_EQ(clear, 0);
        return n;
    };
    EXPECT_GT(redPixels(png + "/frame-000301.png"), 500);  // the photo face
    EXPECT_EQ(redPixels(png + "/frame-000602.png"), 0);    // chalk again

    // An unreadable file is a script error before any frame.
    const Result bad = runSim("", "frames 2\nface " + dir + "/missing.png\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
}

}  // namespace
}  // namespace zorbel
