// Shared pieces of the fuzz targets: a private scratch folder, writing the
// input to a file there, and a check that stops the fuzzer on a broken promise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zorbel::fuzz {

// A fresh folder for this process, on tmpfs when there is one (files are
// written on every input), removed at exit.
const std::string& scratchDir();

// Writes the bytes to scratchDir()/name and returns the path.
std::string writeInput(const char* name, const uint8_t* data, size_t size);

// Removes every entry of scratchDir().
void clearScratch();

// The file's bytes, or false when it cannot be read.
bool readWhole(const std::string& path, std::string& bytes);

// A broken promise is a crash for the fuzzer: prints on stdout (stderr may be
// closed by -close_fd_mask=2) and aborts.
[[noreturn]] void fail(const char* what, const std::string& detail = std::string());

}  // namespace zorbel::fuzz

#define FUZZ_CHECK(cond, ...)                                                                                          \
    do {                                                                                                               \
        if (!(cond))                                                                                                   \
            ::zorbel::fuzz::fail(#cond, ##__VA_ARGS__);                                                                \
    } while (0)
