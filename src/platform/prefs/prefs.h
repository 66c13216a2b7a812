// The user preference store: typed keys (a key never stored reads as 0 /
// false / ""), kept in a key file under $XDG_CONFIG_HOME/zorbel/ and written
// atomically on every change.
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

    // Each setter writes the whole file at once: temp file, fsync, rename.
    void setFloat(float value, const char* key);
    void setBool(bool value, const char* key);
    void setInteger(int value, const char* key);
    void setString(const std::string& value, const char* key);

    const std::string& path() const { return path_; }

    // Where the program's store lives: $XDG_CONFIG_HOME/zorbel/preferences.ini.
    static std::string defaultPath();

private:
    struct File;
    void load();
    void save();

    std::string path_;
    std::unique_ptr<File> file_;
    bool writable_ = true;
};

}  // namespace zorbel
