// Clearing away what an interrupted atomic write left: the same on every
// platform.
#include "platform/files/files.h"

#include "platform/log/log.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zorbel {

void removeUnfinishedWrites(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    // Writers name their temporary files "<file>.XXXXXX", where mkstemp puts
    // six ASCII letters or digits in place of the X's.
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        bool temporary =
            name.size() == file.size() + 7 && name.compare(0, file.size(), file) == 0 && name[file.size()] == '.';
        for (size_t i = file.size() + 1; temporary && i < name.size(); ++i)
            temporary = (name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'z') ||
                        (name[i] >= 'A' && name[i] <= 'Z');
        const std::string stale = folder + "/" + name;
        struct stat st;
        if (!temporary || lstat(stale.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (unlink(stale.c_str()) == 0)
            logLine("Removed %s, left by a save that did not finish", stale.c_str());
        else
            logLine("Cannot remove %s, left by a save that did not finish: %s", stale.c_str(), std::strerror(errno));
    }
    closedir(dir);
}

}  // namespace zorbel
