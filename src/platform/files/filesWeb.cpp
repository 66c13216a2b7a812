// The app's folders and safe writes in the browser build. The data folder
// follows the same rule as on the desktop ($XDG_DATA_HOME/zorbel, else
// ~/.local/share/zorbel). In a page it lies in the in-memory file system and
// each file written there is kept in the browser's IndexedDB, one record a
// file, put in one transaction: the browser holds the new file or, when it
// refuses (its storage full), still the one before. Under node the folder is
// the real one.
#include "platform/files/files.h"

#include "platform/log/log.h"

#include <emscripten/emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>

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

std::function<void(bool full)>& notKeptHandler()
{
    static std::function<void(bool)> handler;
    return handler;
}

std::function<void()>& readyHandler()
{
    static std::function<void()> ready;
    return ready;
}

std::function<void()>& lateHandler()
{
    static std::function<void()> late;
    return late;
}

// clang-format off
// The kept files, back into the data folder before anything reads it.
// Without IndexedDB (node, or a browser refusing it) the folder starts empty.
// A database that does not answer (a known fault of Safari's) holds the app
// back for 3 s at most; what it answers later is restored then, but for the
// files written meanwhile, which it keeps instead.
EM_JS(void, jsRestoreAppData, (const char* folder), {
    var dir = UTF8ToString(folder), started = false, written = {};
    // Keeps one written file; tells the app when the browser refused it.
    // Before the database has answered, the file is kept once it does.
    var keep = function (path) {
        var kept = Module.zorbelFiles;
        if (path.indexOf(kept.dir + "/") != 0)
            return;
        written[path] = true;
        if (!kept.db)
            return;
        var t;
        try {
            t = kept.db.transaction("files", "readwrite");
            t.objectStore("files").put(FS.readFile(path), path);
        } catch (e) {
            console.log("The file " + path + " cannot be kept: " + e);
            return _zorbelFileNotKept(e && e.name == "QuotaExceededError" ? 1 : 0);
        }
        var failed = function (e) {
            if (e)
                e.preventDefault();
            var why = t.error ? t.error.name : "aborted";
            console.log("The file " + path + " cannot be kept: " + why);
            _zorbelFileNotKept(why == "QuotaExceededError" ? 1 : 0);
            failed = function () {};
        };
        t.onabort = function (e) { failed(e); };
    };
    Module.zorbelFiles = { db: null, dir: dir, keep: keep };
    var start = function (why) {
        if (why)
            console.log("Saved files cannot be read: " + why);
        if (!started) {
            started = true;
            _zorbelAppDataRestored(0);
        }
    };
    var open;
    try {
        open = typeof indexedDB == "undefined" ? null : indexedDB.open("zorbel", 1);
    } catch (e) {
        return setTimeout(function () { start(e.message); }, 0);
    }
    if (!open)
        return setTimeout(function () { start(""); }, 0);
    var limit = setTimeout(function () {
        console.log("Saved files: the browser's storage has not answered in 3 s; Zorbel starts without them");
        start("");
    }, 3000);
    open.onupgradeneeded = function () { open.result.createObjectStore("files"); };
    open.onerror = function (e) {
        e.preventDefault();
        clearTimeout(limit);
        start(open.error ? open.error.name : "no database");
    };
    open.onsuccess = function () {
        var db = open.result, files = [];
        var t = db.transaction("files", "readonly");
        t.objectStore("files").openCursor().onsuccess = function (e) {
            var cursor = e.target.result;
            if (cursor) {
                files.push([cursor.key, cursor.value]);
                cursor.continue();
            }
        };
        t.oncomplete = function () {
            clearTimeout(limit);
            var late = started, restored = 0;
            files.forEach(function (f) {
                if (written[f[0]])
                    return;  // made on this visit, after the start: newer
                try {
                    FS.mkdirTree(f[0].substring(0, f[0].lastIndexOf("/")));
                    FS.writeFile(f[0], f[1]);
                    ++restored;
                } catch (e) {
                    console.log("Saved file " + f[0] + " cannot be restored: " + e);
                }
            });
            Module.zorbelFiles.db = db;
            if (late) {
                console.log("Saved files: the browser's storage answered late; " + restored + " restored");
                for (var path in written)
                    keep(path);
                if (restored)
                    _zorbelAppDataRestored(1);
            }
            start("");
        };
        t.onabort = function () {
            clearTimeout(limit);
            start(t.error ? t.error.name : "aborted");
        };
    };
});

// A file just written, to be kept (jsRestoreAppData's keep).
EM_JS(void, jsKeepFile, (const char* file), {
    if (Module.zorbelFiles)
        Module.zorbelFiles.keep(UTF8ToString(file));
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

std::string videosDir()
{
    return homeDir() + "/Videos";
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
    jsKeepFile(path.c_str());
    return true;
}

void restoreAppData(std::function<void()> ready, std::function<void()> late)
{
    readyHandler() = std::move(ready);
    lateHandler() = std::move(late);
    jsRestoreAppData(appDataDir().c_str());
}

void onFileNotKept(std::function<void(bool full)> handler)
{
    notKeptHandler() = std::move(handler);
}

}  // namespace zorbel

// 0: the start (with the kept files, or without them); 1: they came late.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelAppDataRestored(int late)
{
    if (!late) {
        if (auto ready = std::move(zorbel::readyHandler()))
            ready();
    } else if (auto& handler = zorbel::lateHandler()) {
        handler();
    }
}

// 1 when the browser's storage is full.
extern "C" EMSCRIPTEN_KEEPALIVE void zorbelFileNotKept(int full)
{
    if (auto& handler = zorbel::notKeptHandler())
        handler(full != 0);
}
