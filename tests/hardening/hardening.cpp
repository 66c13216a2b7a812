#include "hardening.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
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
    const std::string dir = freshDir("child"), errPath = dir + "/stderr";
    const std::string outPath = dir + "/stdout", statPath = dir + "/stats";
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        return run;
    }
    if (pid == 0) {
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666), 1);
        const int stats = open(statPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        if (asUser && geteuid() == 0) {
            if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
                std::fprintf(stderr, "cannot become nobody\n");
                _exit(3);
            }
        }
        const long before = peakKiB();
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        const std::string line = std::to_string(peakKiB() - before) + "\n";
        (void)!write(stats, line.data(), line.size());
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.err = readFile(errPath);
    run.out = readFile(outPath);
    run.peakKiB = std::atol(readFile(statPath).c_str());
    return run;
}

}  // namespace zorbel::test
