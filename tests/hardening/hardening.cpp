#include "hardening.h"

#include "testHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <iterator>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorbel::test {

namespace {
const unsigned kNobody = 65534;

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
}  // namespace

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

unsigned childUid()
{
    return geteuid() == 0 ? kNobody : geteuid();
}

unsigned childGid()
{
    return geteuid() == 0 ? kNobody : getegid();
}

std::string sharedDir(const char* name)
{
    // The test home is private (0700): let others pass through it, not list it.
    chmod(testHome().c_str(), 0711);
    const std::string dir = freshDir(name);
    chmod(dir.c_str(), 0755);
    return dir;
}

ChildRun runInChild(const std::function<void()>& body, bool asUser)
{
    ChildRun run;
    const std::string dir = freshDir("child");
    const std::string errPath = dir + "/stderr";
    const std::string outPath = dir + "/stdout";
    const std::string statPath = dir + "/stats";
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return run;
    }
    if (pid == 0) {
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        const int stats = open(statPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        dup2(err, 2);
        dup2(out, 1);
        if (asUser && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                std::fprintf(stderr, "cannot become nobody\n");
                _exit(3);
            }
        }
        const long before = peakKiB();
        const auto start = std::chrono::steady_clock::now();
        body();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fflush(stdout);
        std::fflush(stderr);
        const std::string line = std::to_string(peakKiB() - before) + " " + std::to_string(seconds) + "\n";
        (void)!write(stats, line.data(), line.size());
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.err = readFile(errPath);
    run.out = readFile(outPath);
    std::sscanf(readFile(statPath).c_str(), "%ld %lf", &run.peakKiB, &run.seconds);
    return run;
}

}  // namespace zorbel::test
