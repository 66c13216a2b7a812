// The preference store's round trip. Broken, odd and unreachable files are
// the hardening tests'.
#include "hardening.h"
#include "platform/prefs/prefs.h"
#include "testHome.h"

#include <gtest/gtest.h>

namespace zorbel::test {
namespace {

TEST(Prefs, EveryChangeIsOnDiskAtOnceBitForBitInTheUsersConfigFolder)
{
    // The program's own store, changed in a child that ends without any
    // clean-up, then read back fresh as after a restart.
    const ChildRun run = runInChild([] {
        Prefs* p = Prefs::standardUserDefaults();
        p->setFloat(1.0f / 3.0f, "MIN_DYN");
        p->setBool(true, "DISABLE_MIC");
        p->setInteger(1, "USE_CUSTOM_FACE");
        p->setString("computer", "LISTEN_TO");
    });
    ASSERT_TRUE(run.exited) << run.err;
    const std::string dir = testHome() + "/config/zorbel";
    ASSERT_EQ(Prefs::defaultPath(), dir + "/preferences.ini");
    Prefs again(Prefs::defaultPath());
    EXPECT_EQ(again.floatForKey("MIN_DYN"), 1.0f / 3.0f);
    EXPECT_TRUE(again.boolForKey("DISABLE_MIC"));
    EXPECT_EQ(again.integerForKey("USE_CUSTOM_FACE"), 1);
    EXPECT_EQ(again.stringForKey("LISTEN_TO"), "computer");
    EXPECT_EQ(listDir(dir), std::vector<std::string>{"preferences.ini"}) << "temporary files left";
}

}  // namespace
}  // namespace zorbel::test
