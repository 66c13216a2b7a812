// The preference store on the desktop: a key file written atomically.
#include "platform/prefs/prefs.h"

#include "platform/files/files.h"
#include "platform/log/log.h"

#include <glib.h>
#include <glib/gstdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace zorbel {

namespace {

const char kGroup[] = "zorbel";

// A preference file is a few hundred bytes; anything far larger is not ours.
const goffset kMaxFileSize = 64 * 1024;

// "preferences.ini" -> "preferences.ini.broken-20261207-101500"
std::string asideName(const std::string& path)
{
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &tm);
    std::string aside = path + ".broken-" + stamp;
    for (int n = 2; g_file_test(aside.c_str(), G_FILE_TEST_EXISTS); ++n)
        aside = path + ".broken-" + stamp + "-" + std::to_string(n);
    return aside;
}

// glib's parse errors quote the offending line, bytes and all: keep the log
// line short enough for the file names to show, and printable.
std::string printable(const char* message)
{
    const size_t kMaxLength = 160;
    std::string out;
    for (const char* c = message; *c && out.size() < kMaxLength; ++c)
        out += (*c >= 0x20 && *c < 0x7f) ? *c : '?';
    if (std::strlen(message) > kMaxLength)
        out += "...";
    return out;
}

}  // namespace

struct Prefs::File {
    GKeyFile* keys = g_key_file_new();
    ~File() { g_key_file_free(keys); }
};

Prefs* Prefs::standardUserDefaults()
{
    static Prefs* store = new Prefs(defaultPath());  // lives for the whole process
    return store;
}

std::string Prefs::defaultPath()
{
    gchar* path = g_build_filename(g_get_user_config_dir(), "zorbel", "preferences.ini", nullptr);
    std::string result(path);
    g_free(path);
    return result;
}

Prefs::Prefs(std::string path) : path_(std::move(path)), file_(new File)
{
    load();
}

Prefs::~Prefs() = default;

void Prefs::load()
{
    removeUnfinishedWrites(path_);
    GStatBuf st;
    if (g_stat(path_.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return;  // first run: no file yet
        // A folder we may not enter, a file where a folder should be...: whatever
        // is there stays as it is.
        logLine("##### Cannot read preferences %s (%s); using defaults, changes will not be saved", path_.c_str(),
                std::strerror(errno));
        writable_ = false;
        return;
    }
    if (S_ISREG(st.st_mode) && st.st_size == 0) {
        logLine("##### Preferences %s are empty; using defaults", path_.c_str());
        return;
    }

    GError* error = nullptr;
    const char* reason = nullptr;
    std::string detail;
    if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";
    } else if (st.st_size > kMaxFileSize) {
        reason = "file far too large";
    } else if (!g_key_file_load_from_file(file_->keys, path_.c_str(), G_KEY_FILE_NONE, &error)) {
        detail = printable(error->message);
        reason = detail.c_str();
        g_clear_error(&error);
        if (access(path_.c_str(), R_OK) != 0) {
            // Unreadable but maybe intact: leave it where it is, never overwrite it.
            logLine("##### Cannot read preferences %s (%s); using defaults, changes will not be saved", path_.c_str(),
                    reason);
            writable_ = false;
            return;
        }
    }
    if (!reason)
        return;

    // Keep what the user had: move the broken file aside, start from defaults.
    g_key_file_free(file_->keys);
    file_->keys = g_key_file_new();
    std::string aside = asideName(path_);
    if (g_rename(path_.c_str(), aside.c_str()) == 0) {
        logLine("##### Broken preferences %s (%s); moved to %s, using defaults", path_.c_str(), reason, aside.c_str());
    } else {
        logLine("##### Broken preferences %s (%s) cannot be moved aside (%s); using defaults, changes will "
                "not be saved",
                path_.c_str(), reason, std::strerror(errno));
        writable_ = false;
    }
}

void Prefs::save()
{
    if (!writable_)
        return;
    gchar* dir = g_path_get_dirname(path_.c_str());
    g_mkdir_with_parents(dir, 0700);
    g_free(dir);

    gsize length = 0;
    gchar* data = g_key_file_to_data(file_->keys, &length, nullptr);
    GError* error = nullptr;
    // Temp file in the same folder, fsync, rename: never half-written.
    if (!g_file_set_contents_full(path_.c_str(), data, static_cast<gssize>(length),
                                  GFileSetContentsFlags(G_FILE_SET_CONTENTS_CONSISTENT | G_FILE_SET_CONTENTS_DURABLE),
                                  0600, &error)) {
        logLine("##### Failed saving preferences %s: %s", path_.c_str(), error->message);
        g_clear_error(&error);
    }
    g_free(data);
}

bool Prefs::rawValue(const char* key, std::string& text) const
{
    gchar* value = g_key_file_get_value(file_->keys, kGroup, key, nullptr);
    if (!value)
        return false;  // no such key (or no group)
    text = value;
    g_free(value);
    return true;
}

void Prefs::storeValue(const char* key, const std::string& text)
{
    g_key_file_set_value(file_->keys, kGroup, key, text.c_str());
    save();
}

}  // namespace zorbel
