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

void tagJpegOrientation(const std::string& path, unsigned char orientation)
{
    std::string jpeg = readFile(path);
    const char exif[] = {'\xff', '\xe1', 0, 34, 'E', 'x', 'i', 'f', 0, 0,  // APP1, length 34
                         'M',    'M',    0, 42, 0,   0,   0,   8,          // big-endian TIFF
                         0,      1,                                        // one entry:
                         0x01,   0x12,   0, 3,  0,   0,   0,   1,   0, static_cast<char>(orientation),
                         0,      0,      0, 0,  0,   0};  // no next IFD
    jpeg.insert(2, exif, sizeof exif);
    writeFile(path, jpeg);
}

std::string claimJpegSize(std::string jpeg, unsigned width, unsigned height)
{
    size_t at = 2;
    while (at + 4 < jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xff) {
        const size_t length = static_cast<unsigned char>(jpeg[at + 2]) << 8 | static_cast<unsigned char>(jpeg[at + 3]);
        if (static_cast<unsigned char>(jpeg[at + 1]) == 0xc0)
            return jpeg.replace(at + 5, 4, std::string{char(height >> 8), char(height), char(width >> 8), char(width)});
        at += 2 + length;
    }
    return jpeg;  // no baseline frame header: as it was
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
