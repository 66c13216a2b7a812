#include "fuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace zorbel::fuzz {

namespace {

void removeContents(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir + "/" + name;
        struct stat st;
        if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            chmod(path.c_str(), 0700);
            removeContents(path);
            rmdir(path.c_str());
        } else {
            unlink(path.c_str());
        }
    }
    closedir(d);
}

struct Scratch {
    std::string path;
    pid_t owner = getpid();
    Scratch()
    {
        struct stat st;
        const char* base = stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode) ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/zorbel-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        path = pattern;
    }
    ~Scratch()
    {
        if (getpid() == owner) {
            removeContents(path);
            rmdir(path.c_str());
        }
    }
};

}  // namespace

const std::string& scratchDir()
{
    static Scratch scratch;
    return scratch.path;
}

std::string writeInput(const char* name, const uint8_t* data, size_t size)
{
    const std::string path = scratchDir() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot write the input file", path);
    if (size && std::fwrite(data, 1, size, f) != size)
        fail("cannot write the input file", path);
    std::fclose(f);
    return path;
}

void clearScratch()
{
    removeContents(scratchDir());
}

bool readWhole(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

void fail(const char* what, const std::string& detail)
{
    std::printf("FUZZ CHECK FAILED: %s %s\n", what, detail.c_str());
    std::fflush(stdout);
    std::abort();
}

}  // namespace zorbel::fuzz
