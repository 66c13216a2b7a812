// WebKitGTK's MiniBrowser under a private Xvfb, driven over W3C WebDriver
// by WebKitWebDriver. Its driver has no touches, no console and no script
// that runs before the page's: touches are dispatched as the page's own
// touch events from inside it, and the site's server puts a first script
// into the page that keeps the console's lines for the test to read.
#include "actions.h"
#include "browser.h"
#include "pulseServer.h"
#include "testHome.h"
#include "wire.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

namespace zorbel::test {

namespace {

using Clock = std::chrono::steady_clock;

// Keeps every console line for the test, as the other drivers' consoles do.
const char kConsoleKeeper[] = R"(
(function () {
    const lines = window.__testConsole = [];
    const text = a => typeof a == "string" ? a : (() => { try { return JSON.stringify(a); } catch (e) { return String(a); } })();
    for (const level of ["log", "info", "warn", "error", "debug"]) {
        const original = console[level];
        console[level] = function () {
            lines.push(Array.prototype.map.call(arguments, text).join(" "));
            return original.apply(console, arguments);
        };
    }
})();
)";

// Dispatches one touch event as a phone's browser would: every finger a
// Touch on the element it went down on, those that changed in
// changedTouches. Arguments: the type, the fingers touching after it, and
// the fingers that changed, each [id, x, y] in the viewport.
const char kTouch[] = R"(
const [type, touching, changed] = arguments;
const targets = window.__testTouchTargets = window.__testTouchTargets || {};
const at = f => document.elementFromPoint(f[1], f[2]) || document.body;
if (type == "touchstart")
    for (const f of changed)
        targets[f[0]] = at(f);
const touch = f => document.createTouch(window, targets[f[0]] || at(f), f[0], f[1], f[2], f[1], f[2]);
const list = fs => document.createTouchList.apply(document, fs.map(touch));
const target = targets[changed[0][0]] || at(changed[0]);
const e = new TouchEvent(type, { touches: list(touching), targetTouches: list(touching),
                                 changedTouches: list(changed), bubbles: true, cancelable: true, composed: true,
                                 view: window });
target.dispatchEvent(e);
if (type == "touchend" || type == "touchcancel")
    for (const f of changed)
        delete targets[f[0]];
return e.defaultPrevented;
)";

class WebKitPage : public Page {
public:
    explicit WebKitPage(const BrowserOptions& options);
    ~WebKitPage() override;
    bool ready() const { return !session_.empty(); }

    Engine engine() const override { return Engine::WebKit; }
    void addPreloadScript(const std::string& source) override
    {
        preload_ += source + "\n";
        if (site_)
            site_->setPreload(preload_);
    }
    void open(const std::string& url) override
    {
        keepConsole();
        forgetBoard();
        command("POST", "/url", {{"url", url}});
    }
    void reload() override
    {
        keepConsole();
        forgetBoard();
        command("POST", "/refresh", json::object());
    }
    json eval(const std::string& expression) override;
    std::vector<std::string> console() override
    {
        keepConsole();
        return console_;
    }
    void touch(const std::string& type, const std::vector<Finger>& fingers) override;
    void mouse(const std::string& type, double x, double y, const std::string& button, int modifiers) override
    {
        double vx, vy;
        toViewport(x, y, vx, vy);
        command("POST", "/actions", {{"actions", mouseActions(type, vx, vy, button, modifiers)}});
    }
    void keyDown(const std::string& key) override { command("POST", "/actions", {{"actions", keyActions(key, true)}}); }
    void keyUp(const std::string& key) override { command("POST", "/actions", {{"actions", keyActions(key, false)}}); }
    void chooseFile(double x, double y, const std::string& path) override;
    RGBAImage viewportShot() override;
    std::vector<pid_t> processes() const override { return {driver_, xvfb_.pid()}; }

private:
    // One WebDriver command of the session; its "value".
    json command(const std::string& method, const std::string& path, const json& body, bool quiet = false);
    void keepConsole();

    SiteServer* site_;
    std::unique_ptr<PulseServer> sound_;
    Xvfb xvfb_;
    pid_t driver_ = -1;
    int port_ = 0;
    std::string session_, preload_ = kConsoleKeeper;
    std::vector<std::string> console_;
    std::map<int, Finger> down_;
};

WebKitPage::WebKitPage(const BrowserOptions& options) : site_(options.site)
{
    // A recording to hear: the microphone is the default source of a private
    // sound server, which hears what it plays; else WebKit's mock devices.
    const bool recording = !options.microphoneFile.empty();
    sound_ = PulseServer::hearing(options.microphoneFile);
    if (site_)
        site_->setPreload(preload_);
    port_ = freePort();
    const std::string dir = freshDir("webkit");
    // GTK scales a window by whole device pixels a point.
    const int scale = std::max(1, static_cast<int>(options.deviceScaleFactor));
    driver_ = spawnGroup({"WebKitWebDriver", "--port=" + std::to_string(port_)}, dir + "/driver.log",
                         {"DISPLAY=" + xvfb_.display(), "GDK_SCALE=" + std::to_string(scale)});
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (httpRequest(port_, "GET", "/status", "", 2000).status != 200 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));

    json args = {"--automation", "--autoplay-policy=allow", "--enable-webgl=true", "--enable-webaudio=true"};
    if (options.fakeMedia) {
        args.push_back("--enable-media-stream=true");
        args.push_back(recording ? "--enable-mock-capture-devices=false" : "--enable-mock-capture-devices=true");
    }
    const json capabilities = {{"capabilities",
                                {{"alwaysMatch",
                                  {{"browserName", "MiniBrowser"},
                                   {"webkitgtk:browserOptions", {{"binary", MINIBROWSER}, {"args", args}}}}}}}};
    const HttpReply reply = httpRequest(port_, "POST", "/session", capabilities.dump(), 60000);
    const json created = json::parse(reply.body, nullptr, false);
    if (reply.status != 200 || created.is_discarded() || !created["value"].contains("sessionId")) {
        ADD_FAILURE() << "WebKitWebDriver gives no session: " << reply.status << " " << reply.body
                      << readFile(dir + "/driver.log");
        return;
    }
    session_ = created["value"]["sessionId"].get<std::string>();
    command("POST", "/timeouts", {{"script", 120000}, {"pageLoad", 60000}});
    // The window's toolbar sets its least width; the view is what it leaves.
    // An even width puts the board on whole pixels.
    int width = options.width, height = options.height;
    for (int attempt = 0; attempt < 3; ++attempt) {
        command("POST", "/window/rect", {{"width", width}, {"height", height}});
        const json inner = eval("[innerWidth, innerHeight]");
        if (!inner.is_array())
            break;
        const int w = inner[0].get<int>(), h = inner[1].get<int>();
        if (h == options.height && w >= options.width && w % 2 == 0)
            break;
        height += options.height - h;
        width += std::max(options.width - w, 0) + (w % 2);
    }
}

WebKitPage::~WebKitPage()
{
    if (!session_.empty())
        httpRequest(port_, "DELETE", "/session/" + session_, "", 10000);
    if (site_)
        site_->setPreload("");
    endGroup(driver_);
}

json WebKitPage::command(const std::string& method, const std::string& path, const json& body, bool quiet)
{
    const HttpReply reply =
        httpRequest(port_, method, "/session/" + session_ + path, method == "POST" ? body.dump() : "", 180000);
    const json answer = json::parse(reply.body, nullptr, false);
    if (reply.status != 200 || answer.is_discarded()) {
        if (!quiet)
            ADD_FAILURE() << method << " " << path << ": " << reply.status << " " << reply.body;
        return json();
    }
    return answer.value("value", json());
}

json WebKitPage::eval(const std::string& expression)
{
    // The expression is run as a script, as the other protocols run it.
    const json r = command("POST", "/execute/async",
                           {{"script", "const done = arguments[1];"
                                       "Promise.resolve().then(() => (0, eval)(arguments[0]))"
                                       ".then(v => done({ v: v === undefined ? null : v }),"
                                       "      e => done({ e: String(e && e.stack || e) }));"},
                            {"args", {expression}}});
    if (r.is_object() && r.contains("e")) {
        ADD_FAILURE() << expression << " threw " << r["e"];
        return json();
    }
    return r.is_object() ? r.value("v", json()) : json();
}

void WebKitPage::keepConsole()
{
    const json lines = command(
        "POST", "/execute/sync",
        {{"script", "return window.__testConsole ? window.__testConsole.splice(0) : []"}, {"args", json::array()}},
        true);
    if (lines.is_array())
        for (const json& line : lines)
            console_.push_back(line.is_string() ? line.get<std::string>() : line.dump());
}

void WebKitPage::touch(const std::string& type, const std::vector<Finger>& fingers)
{
    std::map<int, Finger> after;
    for (Finger f : fingers) {
        toViewport(f.x, f.y, f.x, f.y);
        after[f.id] = f;
    }
    json touching = json::array(), changed = json::array();
    for (const auto& [id, f] : after) {
        touching.push_back({id, f.x, f.y});
        if (!down_.count(id) || type == "touchMove")
            changed.push_back({id, f.x, f.y});
    }
    if (type == "touchEnd" || type == "touchCancel")
        for (const auto& [id, f] : down_)
            if (!after.count(id))
                changed.push_back({id, f.x, f.y});
    down_ = after;
    if (changed.empty())
        return;
    std::string domType = type;
    for (char& c : domType)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    command("POST", "/execute/sync", {{"script", kTouch}, {"args", {domType, touching, changed}}});
}

void WebKitPage::chooseFile(double x, double y, const std::string& path)
{
    // The tap readies the page's file input; the driver then picks the file
    // in it, as a user does in the picker that opens.
    touch("touchStart", {{x, y, 1}});
    touch("touchEnd", {});
    ASSERT_TRUE(waitFor("document.getElementById('photo-input')", 10000)) << "no file picker";
    const json element = command("POST", "/element", {{"using", "css selector"}, {"value", "#photo-input"}});
    ASSERT_TRUE(element.is_object() && !element.empty()) << "no file input";
    const std::string id = element.begin().value().get<std::string>();
    command("POST", "/element/" + id + "/value", {{"text", path}});
}

RGBAImage WebKitPage::viewportShot()
{
    const json data = command("GET", "/screenshot", json());
    return screenshotOf(data.is_string() ? data.get<std::string>() : "");
}

}  // namespace

std::unique_ptr<Page> openWebKit(const BrowserOptions& options)
{
    auto page = std::make_unique<WebKitPage>(options);
    if (!page->ready())
        return nullptr;
    return page;
}

}  // namespace zorbel::test
