// Helpers for the bad-file tests: files, folder listings, a child process
// whose standard error and peak memory are read back, and running as an
// ordinary user when the tests run as root.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace zorbel::test {

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);

// Makes the folder and any missing parents.
void makeDirs(const std::string& dir);

// Names in `dir`, sorted, without "." and "..".
std::vector<std::string> listDir(const std::string& dir);

// What a child process did.
struct ChildRun {
    bool exited = false;  // normally, with status 0
    std::string err;      // its standard error
    std::string out;      // what it wrote to standard output
    long peakKiB = 0;     // growth of its peak resident memory during `body`
    double seconds = 0;   // time `body` took
};

// Runs `body` in a forked child (a fresh preference store, its own memory
// peak). With asUser, the child first becomes the unprivileged user
// "nobody" when the test runs as root, so that file permissions bite.
ChildRun runInChild(const std::function<void()>& body, bool asUser = false);

// The uid and gid a child with asUser runs as.
unsigned childUid();
unsigned childGid();

// A fresh folder in the test home that the asUser child can reach.
std::string sharedDir(const char* name);

}  // namespace zorbel::test
