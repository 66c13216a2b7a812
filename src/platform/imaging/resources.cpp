#include "platform/imaging/resources.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace zorbel {

std::string resourcePath(const char* name)
{
    namespace fs = std::filesystem;
    if (name == nullptr)
        name = "";
    std::error_code ec;
    std::vector<fs::path> dirs;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && exe.is_absolute()) {
        dirs.push_back(exe.parent_path() / ".." / "share" / "zorbel");  // installed
        dirs.push_back(exe.parent_path() / "resources");                // build tree
    }
#ifdef ZORBEL_SOURCE_RESOURCES
    dirs.push_back(ZORBEL_SOURCE_RESOURCES);  // binaries deeper in the build tree
#endif
    for (const fs::path& dir : dirs) {
        const fs::path p = (dir / name).lexically_normal();
        if (fs::is_regular_file(p, ec))
            return p.string();
    }
    // Not found: a plausible path, so that loading fails with a telling name.
    return (dirs.empty() ? fs::path(name) : dirs.front() / name).lexically_normal().string();
}

}  // namespace zorbel
