#include "testHome.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <ftw.h>
#include <iterator>
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

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

bool exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void makeDirs(const std::string& dir)
{
    for (size_t slash = dir.find('/', 1); slash != std::string::npos; slash = dir.find('/', slash + 1))
        mkdir(dir.substr(0, slash).c_str(), 0700);
    mkdir(dir.c_str(), 0700);
}

std::vector<std::string> listDir(const std::string& dir)
{
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string commandOutput(const std::string& cmd)
{
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, n);
        pclose(p);
    }
    return out;
}

}  // namespace zorbel::test
