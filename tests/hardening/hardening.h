// Helpers for the bad-file tests: a child process whose standard error and
// peak memory are read back, running as an ordinary user when the tests run
// as root, and a picture of noise.
#pragma once

#include "testHome.h"

#include <cstdint>
#include <functional>
#include <string>

namespace zorbel::test {

// What a child process did.
struct ChildRun {
    bool exited = false;  // normally, with status 0
    std::string err;      // its standard error
    std::string out;      // what it wrote to standard output
    long peakKiB = 0;     // growth of its peak resident memory during `body`
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

// Numbers as bytes, most significant first (PNG, JPEG) or last (GIF, BMP).
inline std::string be32(uint32_t v)
{
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
inline std::string le16(unsigned v)
{
    return std::string{char(v), char(v >> 8)};
}
inline std::string le32(uint32_t v)
{
    return le16(v & 0xffff) + le16(v >> 16);
}

// The PNG of a 256 x 256 picture of opaque noise: about 260 KB, long enough
// to cut or to catch half-written (in crashMidSave_test.cpp).
std::string noisePng(unsigned seed);

}  // namespace zorbel::test
