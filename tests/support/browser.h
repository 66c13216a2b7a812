// The three browser engines phones use, driven the same way for the browser
// tests: Chromium over the DevTools protocol, Firefox over WebDriver BiDi,
// WebKitGTK over W3C WebDriver. One page each, and the site served to it.
#pragma once

#include "platform/imaging/image.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <ostream>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zorbel::test {

using json = nlohmann::json;

enum class Engine { Chromium, Firefox, WebKit };
const char* engineName(Engine engine);
inline void PrintTo(Engine engine, std::ostream* out)
{
    *out << engineName(engine);
}

// build/web/site served over HTTP on a free port of 127.0.0.1, until stopped
// or destroyed.
class SiteServer {
public:
    // maxAge: seconds every answer lets the browser keep it (0: not said).
    explicit SiteServer(const std::string& folder, int maxAge = 0);
    ~SiteServer();
    const std::string& url() const { return url_; }  // "http://127.0.0.1:PORT/"
    std::string origin() const { return url_.substr(0, url_.size() - 1); }
    void stop();
    // Script put first into index.html from the next request on (for a
    // driver that cannot add one itself); empty takes it out.
    void setPreload(const std::string& source);

private:
    pid_t pid_ = -1;
    std::string url_, preload_;
};

// What a test asks of a browser.
struct BrowserOptions {
    int width = 320, height = 480;  // the viewport, in CSS pixels
    double deviceScaleFactor = 1;   // WebKitGTK: a whole number
    bool mobile = true;             // touches, as a phone; else a desktop's mouse
    // Fake camera and microphone, allowed without asking.
    bool fakeMedia = true;
    // What the microphone hears (a WAV file; Chromium's fake microphone plays
    // it). Firefox records the default source of the sound server it finds,
    // which the test provides; WebKitGTK has only its own mock.
    std::string microphoneFile;
    std::string cameraFile;      // Chromium: a .y4m its fake camera shows
    SiteServer* site = nullptr;  // the site under test, for WebKitGTK's preload
    // Where downloads are saved without asking (Chromium, Firefox); empty:
    // the browser's own way.
    std::string downloadDir;
};

struct Finger {
    double x, y;
    int id;
};

// Where the board lies in the viewport: its top left in CSS pixels, and CSS
// pixels per point.
struct BoardRect {
    double x = 0, y = 0, scale = 0;
};

// One page in one browser. Positions are points of the 320 x 480 board
// wherever the page letterboxes it; screenshots are the board's pixels.
class Page {
public:
    virtual ~Page() = default;
    virtual Engine engine() const = 0;

    // A script run in every document from the next load on, before the
    // page's own.
    virtual void addPreloadScript(const std::string& source) = 0;
    // Loads `url` and waits for its load event.
    virtual void open(const std::string& url) = 0;
    virtual void reload() = 0;
    // The value of a JavaScript expression, a promise awaited, as JSON.
    virtual json eval(const std::string& expression) = 0;
    // What the page printed to the console so far.
    virtual std::vector<std::string> console() = 0;

    // "touchStart", "touchMove", "touchEnd" or "touchCancel", with the
    // fingers touching after it (as the DevTools protocol has it).
    virtual void touch(const std::string& type, const std::vector<Finger>& fingers) = 0;
    // "mouseMoved", "mousePressed" or "mouseReleased"; button "left",
    // "middle", "right" or "none"; modifiers as kAlt, kCtrl, kShift.
    virtual void mouse(const std::string& type, double x, double y, const std::string& button = "none",
                       int modifiers = 0) = 0;
    // DOM key names ("ArrowLeft", "Escape", "t", " ").
    virtual void keyDown(const std::string& key) = 0;
    virtual void keyUp(const std::string& key) = 0;
    void key(const std::string& key);
    // A tap at (x, y) opens the page's file picker; `path` is picked in it.
    virtual void chooseFile(double x, double y, const std::string& path) = 0;

    // The board's pixels as the page shows them now, RGBA rows top first.
    RGBAImage screenshot();
    // The whole viewport.
    virtual RGBAImage viewportShot() = 0;
    // Opens another tab in front of the page, which the browser then hides
    // (as a phone does with a page behind another app). False where the
    // driver cannot.
    virtual bool coverWithAnotherTab() { return false; }
    // Brings the page to the front again.
    virtual void uncover() {}
    // The processes the page costs, each with its descendants: the browser's
    // and, where it draws into one, its X server (benchmarks read them).
    virtual std::vector<pid_t> processes() const = 0;
    // Waits until the expression (or the promise it gives) is true; false
    // after timeoutMs.
    bool waitFor(const std::string& expression, int timeoutMs = 20000);
    // Returns once the page has drawn `frames` more animation frames.
    void frames(int frames);
    // Where the board is, read from the page (again after a load, or when
    // `again`: the page has been laid out anew).
    BoardRect board(bool again = false);

protected:
    // A board point in the viewport's CSS pixels.
    void toViewport(double x, double y, double& vx, double& vy);
    void forgetBoard() { board_ = {}; }
    double pixelRatio_ = 1;

private:
    BoardRect board_;
};

// A screenshot as the drivers send it, base64 PNG, decoded.
RGBAImage screenshotOf(const std::string& base64Png);

// A browser of that engine with one page open on about:blank; null (with a
// failure) when it cannot start.
std::unique_ptr<Page> openBrowser(Engine engine, const BrowserOptions& options = {});

// Modifier bits of the protocol's input events.
constexpr int kAlt = 1, kCtrl = 2, kShift = 8;

// The web build's folder (the site and the simulator), made by the build.
std::string webBuild();

}  // namespace zorbel::test
