#include "testHome.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

// Made before main, so before the first glib call of the process; removed at exit.
struct Home {
    std::string path = makeHome();
    pid_t owner = getpid();
    ~Home()
    {
        std::error_code error;
        if (getpid() == owner && path != "/tmp")
            std::filesystem::remove_all(path, error);
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
    return std::filesystem::exists(std::filesystem::symlink_status(path));
}

void makeDirs(const std::string& dir)
{
    std::error_code error;
    std::filesystem::create_directories(dir, error);
}

std::vector<std::string> listDir(const std::string& dir)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error))
        names.push_back(entry.path().filename());
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
