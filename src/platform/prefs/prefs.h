// The user preference store: typed keys (a key never stored reads as 0 /
// false / ""), each written at once when it changes. On the desktop they are
// kept in a key file under $XDG_CONFIG_HOME/zorbel/, written atomically; in
// the browser in the page's local storage, one entry a key. Both hold the
// same text (prefValue.h).
#pragma once

#include <memory>
#include <string>

namespace zorbel {

class Prefs {
public:
    // The program's store, created on first use.
    static Prefs* standardUserDefaults();

    // A store backed by the given file (tests, tools).
    explicit Prefs(std::string path);
    ~Prefs();
    Prefs(const Prefs&) = delete;
    Prefs& operator=(const Prefs&) = delete;

    // A missing key, or a value of the wrong type, reads as 0 / false.
    // Floats are returned as stored, even when not finite: callers decide.
    float floatForKey(const char* key) const;
    bool boolForKey(const char* key) const;
    int integerForKey(const char* key) const;
    // A missing or unreadable string reads as "".
    std::string stringForKey(const char* key) const;

    // Each setter stores at once (on the desktop, the whole file: temp file,
    // fsync, rename).
    void setFloat(float value, const char* key);
    void setBool(bool value, const char* key);
    void setInteger(int value, const char* key);
    void setString(const std::string& value, const char* key);

    const std::string& path() const { return path_; }

    // Where the program's store lives: $XDG_CONFIG_HOME/zorbel/preferences.ini
    // (in the browser, "" for the page's local storage itself).
    static std::string defaultPath();

private:
    // The platform's store: the text stored under a key (false when there
    // is none), and storing a key's text.
    bool rawValue(const char* key, std::string& text) const;
    void storeValue(const char* key, const std::string& text);

    struct File;
    void load();
    void save();

    std::string path_;
    std::unique_ptr<File> file_;
    bool writable_ = true;
};

}  // namespace zorbel
