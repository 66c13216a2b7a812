// The preference store: phone semantics, atomic files, broken files kept aside.
#include "platform/prefs/prefs.h"

#include "testHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorbel {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> listDir(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

TEST(Prefs, KeysNeverStoredReadAsZeroAndFalse)
{
    Prefs p(test::freshDir("prefs") + "/preferences.ini");
    EXPECT_EQ(p.floatForKey("SPR_COEFF_MULT"), 0.0f);
    EXPECT_FALSE(p.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(p.integerForKey("USE_CUSTOM_FACE"), 0);
    EXPECT_EQ(p.stringForKey("LISTEN_TO"), "");
}

TEST(Prefs, ValuesSurviveARestartOfTheProgram)
{
    // The program's own store, written by a child process and read back fresh.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        Prefs* p = Prefs::standardUserDefaults();
        p->setFloat(0.1f, "STICKY_MULT");
        p->setFloat(1.0f / 3.0f, "MIN_DYN");
        p->setBool(true, "DISABLE_MIC");
        p->setInteger(1, "USE_CUSTOM_FACE");
        p->setString("computer", "LISTEN_TO");
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    Prefs again(Prefs::defaultPath());
    EXPECT_EQ(again.floatForKey("STICKY_MULT"), 0.1f);
    EXPECT_EQ(again.floatForKey("MIN_DYN"), 1.0f / 3.0f);  // bit for bit
    EXPECT_TRUE(again.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(again.integerForKey("USE_CUSTOM_FACE"), 1);
    EXPECT_EQ(again.stringForKey("LISTEN_TO"), "computer");
    EXPECT_NE(Prefs::defaultPath().find(test::testHome() + "/config/zorbel/"), std::string::npos);
}

TEST(Prefs, EveryChangeIsOnDiskAtOnceWithNoTempFilesLeft)
{
    const std::string dir = test::freshDir("prefs") + "/deeper/zorbel";
    Prefs p(dir + "/preferences.ini");
    p.setFloat(1.5f, "SPR_DAMP_MULT");
    EXPECT_EQ(Prefs(dir + "/preferences.ini").floatForKey("SPR_DAMP_MULT"), 1.5f);
    p.setBool(false, "DISABLE_MIC");
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"preferences.ini"});
}

TEST(Prefs, BrokenFilesAreMovedAsideAndDefaultsUsed)
{
    const std::string garbage("\x89\x01zz\xff\xfe[[[\n=\n\0\0 not a key file", 30);
    const std::string dir = test::freshDir("prefs");
    const std::string path = dir + "/preferences.ini";
    writeFile(path, garbage);
    {
        Prefs p(path);
        EXPECT_EQ(p.floatForKey("SPR_COEFF_MULT"), 0.0f);
        p.setFloat(0.9f, "SPR_COEFF_MULT");
    }
    const auto names = listDir(dir);
    ASSERT_EQ(names.size(), 2u);
    for (const std::string& n : names) {
        if (n != "preferences.ini") {
            EXPECT_EQ(readFile(dir + "/" + n), garbage) << "the user's file is kept as it was";
        }
    }
    EXPECT_EQ(Prefs(path).floatForKey("SPR_COEFF_MULT"), 0.9f);
}

TEST(Prefs, AFolderInPlaceOfTheFileIsMovedAside)
{
    const std::string dir = test::freshDir("prefs");
    const std::string path = dir + "/preferences.ini";
    mkdir(path.c_str(), 0700);
    Prefs p(path);
    p.setBool(true, "DISABLE_MIC");
    EXPECT_TRUE(Prefs(path).boolForKey("DISABLE_MIC"));
    EXPECT_EQ(listDir(dir).size(), 2u);
}

TEST(Prefs, WrongTypesAndOddNumbersReadSafely)
{
    const std::string path = test::freshDir("prefs") + "/preferences.ini";
    writeFile(path, "[zorbel]\nSPR_COEFF_MULT=abc\nSPR_DAMP_MULT=nan\nSTICKY_MULT=1e300\nMIN_DYN=-0\n"
                    "DISABLE_MIC=maybe\nUSE_CUSTOM_FACE=1.5\nMIN_DYN=0.05\n");
    Prefs p(path);
    EXPECT_EQ(p.floatForKey("SPR_COEFF_MULT"), 0.0f);
    EXPECT_TRUE(std::isnan(p.floatForKey("SPR_DAMP_MULT")));
    EXPECT_TRUE(std::isinf(p.floatForKey("STICKY_MULT")));
    EXPECT_EQ(p.floatForKey("MIN_DYN"), 0.05f);  // the last of duplicate keys
    EXPECT_FALSE(p.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(p.integerForKey("USE_CUSTOM_FACE"), 0);
}

}  // namespace
}  // namespace zorbel
