#include "platform/window/windowState.h"

#include "platform/files/files.h"
#include "platform/log/log.h"

#include <glib.h>

namespace zorbel {

namespace {
const char kGroup[] = "window";
}

std::string windowStatePath()
{
    gchar* path = g_build_filename(g_get_user_state_dir(), "zorbel", "window.ini", nullptr);
    std::string result(path);
    g_free(path);
    return result;
}

WindowPlacement loadWindowPlacement(const std::string& path)
{
    removeUnfinishedWrites(path);
    WindowPlacement p;
    GKeyFile* keys = g_key_file_new();
    if (g_key_file_load_from_file(keys, path.c_str(), G_KEY_FILE_NONE, nullptr)) {
        GError* error = nullptr;
        p.x = g_key_file_get_integer(keys, kGroup, "x", &error);
        p.y = g_key_file_get_integer(keys, kGroup, "y", error ? nullptr : &error);
        p.width = g_key_file_get_integer(keys, kGroup, "width", error ? nullptr : &error);
        p.height = g_key_file_get_integer(keys, kGroup, "height", error ? nullptr : &error);
        p.valid = !error && p.width > 0 && p.height > 0 && p.width < 100000 && p.height < 100000;
        g_clear_error(&error);
    }
    g_key_file_free(keys);
    return p;
}

void saveWindowPlacement(const WindowPlacement& p, const std::string& path)
{
    if (!p.valid)
        return;
    GKeyFile* keys = g_key_file_new();
    g_key_file_set_integer(keys, kGroup, "x", p.x);
    g_key_file_set_integer(keys, kGroup, "y", p.y);
    g_key_file_set_integer(keys, kGroup, "width", p.width);
    g_key_file_set_integer(keys, kGroup, "height", p.height);
    gsize length = 0;
    gchar* data = g_key_file_to_data(keys, &length, nullptr);
    std::string error;
    if (!writeFileAtomically(path, data, length, error))
        logLine("Cannot save the window's place in %s: %s", path.c_str(), error.c_str());
    g_free(data);
    g_key_file_free(keys);
}

}  // namespace zorbel
