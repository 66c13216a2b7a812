// The app's folders and safe writes in the browser build. The data folder
// follows the same rule as on the desktop ($XDG_DATA_HOME/zorbel, else
// ~/.local/share/zorbel); in a page it lies in the in-memory file system,
// where the page keeps it in the browser's IndexedDB across visits, and under
// node it is the real one.
#include "platform/files/files.h"

#include "platform/log/log.h"

#include <emscripten/emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zorbel {

namespace {

std::string homeDir()
{
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/home/web_user";
}

// Makes every missing folder of `dir`.
void makeFolders(const std::string& dir)
{
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        mkdir(dir.substr(0, slash).c_str(), 0700);
        if (slash == std::string::npos)
            break;
    }
}

// clang-format off
// A page copies the data folder to IndexedDB after each write (the page's
// script mounted it there); elsewhere there is nothing to do.
EM_JS(void, jsPersistData, (), {
    if (typeof Module.persistData == "function")
        Module.persistData();
});
// clang-format on

}  // namespace

std::string appDataDir()
{
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const std::string base = xdg && *xdg == '/' ? std::string(xdg) : homeDir() + "/.local/share";
    return base + "/zorbel";
}

std::string picturesDir()
{
    return homeDir() + "/Pictures";
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error)
{
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0)
        makeFolders(path.substr(0, slash));
    // "<file>.XXXXXX", as the desktop's writer names its temporary files.
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const char* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, bytes + written, size - written);
        if (n <= 0) {
            error = std::strerror(errno);
            close(fd);
            unlink(temp.c_str());
            return false;
        }
        written += static_cast<size_t>(n);
    }
    if (close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        error = std::strerror(errno);
        unlink(temp.c_str());
        return false;
    }
    jsPersistData();
    return true;
}

}  // namespace zorbel
