// Counts a process's SDL_GL_SwapWindow calls for bench/cpu_compare.sh, which
// loads it with LD_PRELOAD: the count is kept in the eight-byte file named by
// ZORBEL_SWAP_COUNT, so that frames a second can be read from outside.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

int countFile()
{
    static const int fd = [] {
        const char* path = std::getenv("ZORBEL_SWAP_COUNT");
        return path ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644) : -1;
    }();
    return fd;
}

uint64_t swaps = 0;

}  // namespace

extern "C" void SDL_GL_SwapWindow(void* window)
{
    using Swap = void (*)(void*);
    static const Swap real = reinterpret_cast<Swap>(dlsym(RTLD_NEXT, "SDL_GL_SwapWindow"));
    if (real)
        real(window);
    ++swaps;
    if (countFile() >= 0) {
        [[maybe_unused]] const ssize_t written = pwrite(countFile(), &swaps, sizeof swaps, 0);
    }
}
