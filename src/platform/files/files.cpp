#include "platform/files/files.h"

#include "platform/log/log.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace zorbel {

std::string appDataDir()
{
    gchar* dir = g_build_filename(g_get_user_data_dir(), "zorbel", nullptr);
    std::string result(dir);
    g_free(dir);
    return result;
}

std::string picturesDir()
{
    // glib answers NULL when user-dirs.dirs does not name the folder.
    const gchar* xdg = g_get_user_special_dir(G_USER_DIRECTORY_PICTURES);
    if (xdg && *xdg)
        return xdg;
    gchar* dir = g_build_filename(g_get_home_dir(), "Pictures", nullptr);
    std::string result(dir);
    g_free(dir);
    return result;
}

bool writeFileAtomically(const std::string& path, const void* data, size_t size, std::string& error)
{
    gchar* dir = g_path_get_dirname(path.c_str());
    g_mkdir_with_parents(dir, 0700);
    g_free(dir);
    GError* err = nullptr;
    const auto flags = GFileSetContentsFlags(G_FILE_SET_CONTENTS_CONSISTENT | G_FILE_SET_CONTENTS_DURABLE);
    if (!g_file_set_contents_full(path.c_str(), static_cast<const gchar*>(data), static_cast<gssize>(size), flags, 0644,
                                  &err)) {
        error = err ? err->message : "unknown error";
        g_clear_error(&err);
        return false;
    }
    return true;
}

void removeUnfinishedWrites(const std::string& path)
{
    gchar* folder = g_path_get_dirname(path.c_str());
    gchar* base = g_path_get_basename(path.c_str());
    const std::string file = base;
    g_free(base);
    // g_file_set_contents_full writes to "<file>.XXXXXX", where mkstemp puts
    // six ASCII letters or digits in place of the X's.
    auto isTemporary = [&file](const std::string& name) {
        return name.size() == file.size() + 7 && name.compare(0, file.size(), file) == 0 && name[file.size()] == '.' &&
               std::all_of(name.end() - 6, name.end(), [](char c) { return g_ascii_isalnum(c); });
    };
    if (GDir* dir = g_dir_open(folder, 0, nullptr)) {
        while (const gchar* name = g_dir_read_name(dir)) {
            const std::string stale = std::string(folder) + G_DIR_SEPARATOR_S + name;
            GStatBuf st;
            if (!isTemporary(name) || g_lstat(stale.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                continue;
            if (g_unlink(stale.c_str()) == 0)
                logLine("Removed %s, left by a save that did not finish", stale.c_str());
            else
                logLine("Cannot remove %s, left by a save that did not finish: %s", stale.c_str(),
                        std::strerror(errno));
        }
        g_dir_close(dir);
    }
    g_free(folder);
}

}  // namespace zorbel
