// The preference store in the browser: the page's local storage, one entry a
// key under the key's own name, holding the same text as the desktop's key
// file. Storage the browser refuses (private browsing, cookies blocked) or
// that is full leaves the values in memory for this visit, with one log line.
#include "platform/prefs/prefs.h"

#include "platform/log/log.h"

#include <emscripten/emscripten.h>

#include <map>

namespace zorbel {

namespace {

// clang-format off
// 1: usable; 0: absent (node has none); -1: the browser refuses it.
EM_JS(int, jsStorageState, (), {
    try {
        if (typeof localStorage == "undefined")
            return 0;
        const probe = "zorbel.probe";
        localStorage.setItem(probe, "1");
        localStorage.removeItem(probe);
        return 1;
    } catch (e) {
        return -1;
    }
});

// The stored text of a key into out (capacity bytes, NUL included); its
// length in bytes, or -1 when there is none.
EM_JS(int, jsStorageGet, (const char* key, char* out, int capacity), {
    try {
        const value = localStorage.getItem(UTF8ToString(key));
        if (value === null)
            return -1;
        stringToUTF8(value, out, capacity);
        return lengthBytesUTF8(value);
    } catch (e) {
        return -1;
    }
});

// 1 when stored; 0 when the storage refused (full).
EM_JS(int, jsStorageSet, (const char* key, const char* value), {
    try {
        localStorage.setItem(UTF8ToString(key), UTF8ToString(value));
        return 1;
    } catch (e) {
        return 0;
    }
});
// clang-format on

}  // namespace

struct Prefs::File {
    std::map<std::string, std::string> values;  // what this visit read or changed
    int storage = 0;
    bool toldFull = false;
};

Prefs* Prefs::standardUserDefaults()
{
    static Prefs* store = new Prefs(defaultPath());  // lives as long as the page
    return store;
}

std::string Prefs::defaultPath()
{
    return std::string();
}

Prefs::Prefs(std::string path) : path_(std::move(path)), file_(new File)
{
    load();
}

Prefs::~Prefs() = default;

void Prefs::load()
{
    file_->storage = jsStorageState();
    writable_ = file_->storage > 0;
    if (file_->storage < 0)
        logLine("##### This browser keeps no local storage for this page; using defaults, changes will not be saved");
}

void Prefs::save() {}

bool Prefs::rawValue(const char* key, std::string& text) const
{
    const std::string name = path_ + key;
    auto it = file_->values.find(name);
    if (it == file_->values.end()) {
        if (!writable_)
            return false;
        std::string stored(64, '\0');
        int length = jsStorageGet(name.c_str(), &stored[0], static_cast<int>(stored.size()));
        if (length >= static_cast<int>(stored.size())) {
            stored.assign(static_cast<size_t>(length) + 1, '\0');
            length = jsStorageGet(name.c_str(), &stored[0], static_cast<int>(stored.size()));
        }
        if (length < 0)
            return false;
        stored.resize(static_cast<size_t>(length));
        it = file_->values.emplace(name, stored).first;
    }
    text = it->second;
    return true;
}

void Prefs::storeValue(const char* key, const std::string& text)
{
    const std::string name = path_ + key;
    file_->values[name] = text;
    if (writable_ && !jsStorageSet(name.c_str(), text.c_str()) && !file_->toldFull) {
        file_->toldFull = true;
        logLine("##### The browser's storage for this page is full; %s and later changes hold for this visit only",
                key);
    }
}

}  // namespace zorbel
