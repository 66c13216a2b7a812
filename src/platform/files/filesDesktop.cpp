// The user's folders by the XDG rules, and durable atomic writes, through GLib.
#include "platform/files/files.h"

#include <glib.h>
#include <glib/gstdio.h>

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

std::string videosDir()
{
    const gchar* xdg = g_get_user_special_dir(G_USER_DIRECTORY_VIDEOS);
    if (xdg && *xdg)
        return xdg;
    gchar* dir = g_build_filename(g_get_home_dir(), "Videos", nullptr);
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

void restoreAppData(std::function<void()> ready, std::function<void()>)
{
    ready();
}

void onFileNotKept(std::function<void(bool)>) {}

}  // namespace zorbel
