#include "testHome.h"

#include <cstdlib>
#include <cstdio>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbel::test {

namespace {

std::string makeHome()
{
    char pattern[] = "/tmp/zorbel-test-XXXXXX";
    const char* dir = mkdtemp(pattern);
    std::string home = dir ? dir : "/tmp";
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    return home;
}

int removeEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

// Made before main, so before the first glib call of the process; removed at exit.
struct Home {
    std::string path = makeHome();
    pid_t owner = getpid();
    ~Home()
    {
        if (getpid() == owner && path != "/tmp")
            nftw(path.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    }
};
const Home home;

}  // namespace

const std::string& testHome()
{
    return home.path;
}

std::string freshDir(const char* name)
{
    static int serial = 0;
    std::string dir = home.path + "/" + name + "-" + std::to_string(++serial);
    mkdir(dir.c_str(), 0700);
    return dir;
}

}  // namespace zorbel::test
