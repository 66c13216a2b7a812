// Firefox ESR under a private Xvfb (headless Firefox has no WebGL), driven
// over WebDriver BiDi, which the browser itself serves. Touches are real
// touch pointers, files go in through input.setFiles, and the fake camera
// and microphone come from its preferences. A microphone that is to hear a
// recording is the monitor of a private sound server playing it.
#include "actions.h"
#include "browser.h"
#include "pulseServer.h"
#include "testHome.h"
#include "wire.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zorbel::test {

namespace {

using Clock = std::chrono::steady_clock;

// A BiDi remote value as plain JSON (nodes and the like become null).
json plain(const json& v)
{
    const std::string type = v.value("type", "");
    if (type == "string" || type == "boolean")
        return v["value"];
    if (type == "number")
        return v["value"].is_number() ? v["value"] : json();
    if (type == "array" || type == "set") {
        json out = json::array();
        for (const json& item : v.value("value", json::array()))
            out.push_back(plain(item));
        return out;
    }
    if (type == "object" || type == "map") {
        json out = json::object();
        for (const json& pair : v.value("value", json::array())) {
            const json& key = pair[0];
            out[key.is_string() ? key.get<std::string>() : plain(key).dump()] = plain(pair[1]);
        }
        return out;
    }
    return json();
}

const char* const kPrefs[][2] = {
    // WebGL under Xvfb, on the software renderer.
    {"webgl.force-enabled", "true"},
    {"gfx.webrender.software", "true"},
    {"webgl.disable-fail-if-major-performance-caveat", "true"},
    // Touch events, as on a phone.
    {"dom.w3c_touch_events.enabled", "1"},
    // Camera and microphone allowed without asking.
    {"media.navigator.permission.disabled", "true"},
    {"media.autoplay.default", "0"},
    // No first-run pages, updates or reports.
    {"browser.shell.checkDefaultBrowser", "false"},
    {"browser.startup.homepage_override.mstone", "\"ignore\""},
    {"datareporting.policy.dataSubmissionEnabled", "false"},
    {"toolkit.telemetry.reportingpolicy.firstRun", "false"},
    {"app.update.disabledForTesting", "true"},
    {"browser.sessionstore.resume_from_crash", "false"},
    {"remote.prefs.recommended", "true"},
};

class FirefoxPage : public Page {
public:
    explicit FirefoxPage(const BrowserOptions& options);
    ~FirefoxPage() override;
    bool ready() const { return !context_.empty(); }

    Engine engine() const override { return Engine::Firefox; }
    void addPreloadScript(const std::string& source) override
    {
        send("script.addPreloadScript", {{"functionDeclaration", "() => {\n" + source + "\n}"}});
    }
    void open(const std::string& url) override
    {
        forgetBoard();
        send("browsingContext.navigate", {{"context", context_}, {"url", url}, {"wait", "complete"}});
    }
    void reload() override
    {
        forgetBoard();
        send("browsingContext.reload", {{"context", context_}, {"wait", "complete"}});
    }
    json eval(const std::string& expression) override;
    std::vector<std::string> console() override
    {
        drain();
        return console_;
    }
    void touch(const std::string& type, const std::vector<Finger>& fingers) override
    {
        std::vector<Finger> inViewport = fingers;
        for (Finger& f : inViewport)
            toViewport(f.x, f.y, f.x, f.y);
        perform(touches_.next(type, inViewport));
    }
    void mouse(const std::string& type, double x, double y, const std::string& button, int modifiers) override
    {
        double vx, vy;
        toViewport(x, y, vx, vy);
        perform(mouseActions(type, vx, vy, button, modifiers));
    }
    void keyDown(const std::string& key) override { perform(keyActions(key, true)); }
    void keyUp(const std::string& key) override { perform(keyActions(key, false)); }
    void chooseFile(double x, double y, const std::string& path) override;
    RGBAImage viewportShot() override;
    std::vector<pid_t> processes() const override { return {pid_, xvfb_.pid()}; }
    bool coverWithAnotherTab() override
    {
        return send("browsingContext.create", {{"type", "tab"}, {"background", false}}).contains("context");
    }
    void uncover() override { send("browsingContext.activate", {{"context", context_}}); }

private:
    json send(const std::string& method, const json& params);
    void perform(const json& actions)
    {
        if (!actions.empty())
            send("input.performActions", {{"context", context_}, {"actions", actions}});
    }
    // Keeps what arrived by now: events, and console lines.
    void drain();
    void keep(const json& event);
    bool waitEvent(const std::string& method, int timeoutMs, json* params);

    std::unique_ptr<PulseServer> sound_;
    Xvfb xvfb_;
    pid_t pid_ = -1;
    std::string log_;
    WebSocket socket_;
    int nextId_ = 1;
    std::string context_;
    std::deque<json> events_;
    std::vector<std::string> console_;
    TouchActions touches_;
};

FirefoxPage::FirefoxPage(const BrowserOptions& options)
{
    const std::string profile = freshDir("firefox-profile");
    std::string prefs;
    for (const auto& pref : kPrefs)
        prefs += std::string("user_pref(\"") + pref[0] + "\", " + pref[1] + ");\n";
    // The fake devices: a camera of colour bars and a microphone of a
    // steady tone. A recording to hear replaces the microphone by the
    // default source of a private sound server, which hears what it plays.
    const bool recording = !options.microphoneFile.empty();
    prefs += std::string("user_pref(\"media.navigator.streams.fake\", ") +
             (options.fakeMedia && !recording ? "true" : "false") + ");\n";
    if (!options.downloadDir.empty()) {  // downloads land there without a question
        prefs += "user_pref(\"browser.download.dir\", \"" + options.downloadDir + "\");\n";
        prefs += "user_pref(\"browser.download.folderList\", 2);\n";
        prefs += "user_pref(\"browser.download.useDownloadDir\", true);\n";
        prefs += "user_pref(\"browser.download.always_ask_before_handling_new_types\", false);\n";
        prefs += "user_pref(\"browser.download.alwaysOpenPanel\", false);\n";
    }
    writeFile(profile + "/user.js", prefs);
    sound_ = PulseServer::hearing(options.microphoneFile);

    const int port = freePort();
    log_ = profile + "/../firefox.log";
    pid_ = spawnGroup({"firefox-esr", "--profile", profile, "--no-remote", "--new-instance", "--remote-debugging-port",
                       std::to_string(port), "about:blank"},
                      log_, {"DISPLAY=" + xvfb_.display(), "MOZ_CRASHREPORTER_DISABLE=1"});
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (!socket_.open(port, "/session") && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const json session = send("session.new", {{"capabilities", {{"alwaysMatch", {{"acceptInsecureCerts", true}}}}}});
    if (!session.contains("sessionId")) {
        ADD_FAILURE() << "Firefox gives no session: " << readFile(log_);
        return;
    }
    send("session.subscribe", {{"events", {"log.entryAdded", "input.fileDialogOpened"}}});
    const json tree = send("browsingContext.getTree", json::object());
    if (tree.contains("contexts") && !tree["contexts"].empty())
        context_ = tree["contexts"][0].value("context", "");
    send("browsingContext.setViewport", {{"context", context_},
                                         {"viewport", {{"width", options.width}, {"height", options.height}}},
                                         {"devicePixelRatio", options.deviceScaleFactor}});
}

FirefoxPage::~FirefoxPage()
{
    if (!context_.empty())
        send("session.end", json::object());
    endGroup(pid_);
}

json FirefoxPage::send(const std::string& method, const json& params)
{
    const int id = nextId_++;
    if (!socket_.send(json{{"id", id}, {"method", method}, {"params", params}}.dump())) {
        ADD_FAILURE() << "Firefox does not take commands (" << method << ")";
        return {{"error", "no browser"}};
    }
    std::string text;
    while (socket_.receive(text, 60000)) {
        json message = json::parse(text, nullptr, false);
        if (message.value("type", "") == "event") {
            keep(message);
            continue;
        }
        if (message.value("id", 0) != id)
            continue;
        if (message.value("type", "") == "error") {
            ADD_FAILURE() << method << ": " << message.value("error", "") << ": " << message.value("message", "");
            return {{"error", message.value("error", "")}};
        }
        return message.value("result", json::object());
    }
    ADD_FAILURE() << "no answer from Firefox to " << method;
    return {{"error", "no answer"}};
}

void FirefoxPage::keep(const json& event)
{
    if (event.value("method", "") == "log.entryAdded")
        console_.push_back(event["params"].value("text", ""));
    else
        events_.push_back(event);
}

void FirefoxPage::drain()
{
    std::string text;
    while (socket_.receive(text, 0)) {
        json message = json::parse(text, nullptr, false);
        if (message.value("type", "") == "event")
            keep(message);
    }
}

bool FirefoxPage::waitEvent(const std::string& method, int timeoutMs, json* params)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        drain();
        for (auto it = events_.begin(); it != events_.end(); ++it)
            if ((*it).value("method", "") == method) {
                if (params)
                    *params = (*it)["params"];
                events_.erase(it);
                return true;
            }
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

json FirefoxPage::eval(const std::string& expression)
{
    const json r = send("script.evaluate", {{"expression", expression},
                                            {"target", {{"context", context_}}},
                                            {"awaitPromise", true},
                                            {"serializationOptions", {{"maxObjectDepth", 10}}}});
    if (r.value("type", "") == "exception") {
        ADD_FAILURE() << expression << " threw " << r["exceptionDetails"].value("text", "");
        return json();
    }
    return r.contains("result") ? plain(r["result"]) : json();
}

void FirefoxPage::chooseFile(double x, double y, const std::string& path)
{
    drain();
    events_.clear();
    touch("touchStart", {{x, y, 1}});
    touch("touchEnd", {});
    json opened;
    ASSERT_TRUE(waitEvent("input.fileDialogOpened", 10000, &opened)) << "no file picker";
    send("input.setFiles", {{"context", context_}, {"element", opened["element"]}, {"files", {path}}});
}

RGBAImage FirefoxPage::viewportShot()
{
    return screenshotOf(send("browsingContext.captureScreenshot", {{"context", context_}}).value("data", ""));
}

}  // namespace

std::unique_ptr<Page> openFirefox(const BrowserOptions& options)
{
    auto page = std::make_unique<FirefoxPage>(options);
    if (!page->ready())
        return nullptr;
    return page;
}

}  // namespace zorbel::test
