// Headless Chromium (Debian's package) for the browser tests, driven over
// the DevTools protocol through a pipe, and the site served to it.
#pragma once

#include "browser.h"

#include <deque>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zorbel::test {

class Chromium {
public:
    // A fresh profile unless one is named (kept then, for a second start,
    // and the browser is closed as a user closes it); extra flags after the
    // usual headless ones.
    explicit Chromium(const std::vector<std::string>& flags = {}, const std::string& profile = "");
    ~Chromium();
    Chromium(const Chromium&) = delete;
    Chromium& operator=(const Chromium&) = delete;

    // One command and its result; a protocol error fails the test and gives
    // the error object under "error".
    json send(const std::string& method, const json& params = json::object(), const std::string& session = "");
    // Waits for an event of `method` on `session`; false after timeoutMs.
    bool waitEvent(const std::string& method, const std::string& session, int timeoutMs, json* params = nullptr);
    // Events seen so far and not yet waited for, of one method.
    std::vector<json> takeEvents(const std::string& method, const std::string& session);
    // The browser's process; its helpers (renderers, GPU) are its descendants.
    pid_t pid() const { return pid_; }

private:
    bool readMessage(int timeoutMs, json& message);

    pid_t pid_ = -1;
    int toBrowser_ = -1, fromBrowser_ = -1;
    std::string buffer_;
    std::deque<json> events_;
    int nextId_ = 1;
    std::string profile_;
    bool keepsProfile_ = false;
};

// One tab with its own viewport.
class Tab {
public:
    struct Viewport {
        int width = 320, height = 480;
        double deviceScaleFactor = 1;
        bool mobile = true;  // touch, as a phone
    };
    Tab(Chromium& browser, const Viewport& viewport);
    json send(const std::string& method, const json& params = json::object());

    // Loads `url` and waits for the load event.
    void open(const std::string& url);
    void reload();
    // The value of a JavaScript expression (a promise is awaited).
    json eval(const std::string& expression);
    // Waits until the expression (or the promise it gives) is true; false
    // after timeoutMs.
    bool waitFor(const std::string& expression, int timeoutMs = 20000);
    // The page as it shows now, RGBA rows top first.
    RGBAImage screenshot();
    // What the page printed to the console so far.
    std::vector<std::string> console();

    // Input.dispatchTouchEvent: "touchStart", "touchMove", "touchEnd" or
    // "touchCancel", with the fingers touching after it.
    void touch(const std::string& type, const std::vector<Finger>& fingers);
    // Input.dispatchMouseEvent; buttons as in the protocol ("left", "right").
    void mouse(const std::string& type, double x, double y, const std::string& button = "none", int modifiers = 0);
    // A key pressed or released (DOM key name, e.g. "ArrowLeft", "t").
    void keyDown(const std::string& key);
    void keyUp(const std::string& key);

    const std::string& session() const { return session_; }

private:
    Chromium& browser_;
    std::string target_, session_;
    std::vector<std::string> console_;
};

// The Page of the browser tests on Chromium, with its browser and tab at
// hand for what only the DevTools protocol offers (sensor overrides,
// permissions, storage quotas, a second tab).
class ChromiumPage : public Page {
public:
    ChromiumPage(const std::vector<std::string>& flags, const BrowserOptions& options, const std::string& profile = "");
    Chromium& browser() { return browser_; }
    Tab& tab() { return tab_; }

    Engine engine() const override { return Engine::Chromium; }
    void addPreloadScript(const std::string& source) override;
    void open(const std::string& url) override;
    void reload() override;
    json eval(const std::string& expression) override;
    std::vector<std::string> console() override { return tab_.console(); }
    void touch(const std::string& type, const std::vector<Finger>& fingers) override;
    void mouse(const std::string& type, double x, double y, const std::string& button, int modifiers) override;
    void keyDown(const std::string& key) override { tab_.keyDown(key); }
    void keyUp(const std::string& key) override { tab_.keyUp(key); }
    void chooseFile(double x, double y, const std::string& path) override;
    RGBAImage viewportShot() override { return tab_.screenshot(); }
    std::vector<pid_t> processes() const override { return {browser_.pid()}; }
    bool coverWithAnotherTab() override;
    void uncover() override;

private:
    Chromium browser_;
    Tab tab_;
    std::unique_ptr<Tab> cover_;
    bool intercepting_ = false;
    std::vector<Finger> down_;
};

// The flags of a Chromium whose camera and microphone are fake ones, allowed
// without asking, playing and showing the given files where named.
std::vector<std::string> fakeMediaFlags(const BrowserOptions& options);

}  // namespace zorbel::test
