#include "chromium.h"

#include "testHome.h"
#include "wire.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zorbel::test {

namespace {

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Ends the child with the test process, even when the test crashes.
void dieWithParent()
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
}

void stopProcess(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

}  // namespace

Chromium::Chromium(const std::vector<std::string>& flags, const std::string& profile)
    : profile_(profile), keepsProfile_(!profile.empty())
{
    if (profile_.empty())
        profile_ = freshDir("chromium-profile");
    int commands[2], answers[2];
    if (pipe(commands) != 0 || pipe(answers) != 0)
        return;
    std::vector<std::string> args = {"chromium",
                                     "--headless=new",
                                     "--no-sandbox",
                                     "--use-angle=swiftshader",
                                     "--enable-unsafe-swiftshader",
                                     "--remote-debugging-pipe",
                                     "--user-data-dir=" + profile_,
                                     "--no-first-run",
                                     "--no-default-browser-check",
                                     "--disable-background-networking",
                                     "--disable-component-update",
                                     "--disable-sync",
                                     "--disable-default-apps",
                                     "--disable-extensions",
                                     "--mute-audio",
                                     "--hide-scrollbars",
                                     "--disable-features=Translate,MediaRouter,OptimizationHints",
                                     "about:blank"};
    args.insert(args.end() - 1, flags.begin(), flags.end());
    pid_ = fork();
    if (pid_ == 0) {
        dieWithParent();
        // The protocol runs on descriptors 3 (commands in) and 4 (answers out).
        dup2(commands[0], 3);
        dup2(answers[1], 4);
        for (int fd : {commands[0], commands[1], answers[0], answers[1]})
            if (fd > 4)
                close(fd);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(&a[0]);
        argv.push_back(nullptr);
        execvp("chromium", argv.data());
        _exit(127);
    }
    close(commands[0]);
    close(answers[1]);
    toBrowser_ = commands[1];
    fromBrowser_ = answers[0];
    fcntl(toBrowser_, F_SETFD, FD_CLOEXEC);
    fcntl(fromBrowser_, F_SETFD, FD_CLOEXEC);
}

Chromium::~Chromium()
{
    // A profile kept for a second start is closed as a user closes the
    // browser, so that it writes down what it holds in memory (local storage).
    if (keepsProfile_ && toBrowser_ >= 0 && pid_ > 0) {
        const std::string close = json{{"id", nextId_++}, {"method", "Browser.close"}}.dump() + '\0';
        if (write(toBrowser_, close.data(), close.size()) == static_cast<ssize_t>(close.size())) {
            const auto deadline = Clock::now() + std::chrono::seconds(10);
            while (waitpid(pid_, nullptr, WNOHANG) == 0 && Clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (Clock::now() < deadline)
                pid_ = -1;
        }
    }
    if (toBrowser_ >= 0)
        close(toBrowser_);
    if (fromBrowser_ >= 0)
        close(fromBrowser_);
    stopProcess(pid_);  // a fresh profile goes with the test's home
}

bool Chromium::readMessage(int timeoutMs, json& message)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const size_t end = buffer_.find('\0');
        if (end != std::string::npos) {
            message = json::parse(buffer_.substr(0, end), nullptr, false);
            buffer_.erase(0, end + 1);
            return !message.is_discarded();
        }
        pollfd p{fromBrowser_, POLLIN, 0};
        if (poll(&p, 1, msLeft(deadline)) <= 0)
            return false;
        char chunk[65536];
        const ssize_t n = read(fromBrowser_, chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer_.append(chunk, static_cast<size_t>(n));
    }
}

json Chromium::send(const std::string& method, const json& params, const std::string& session)
{
    const int id = nextId_++;
    json command = {{"id", id}, {"method", method}, {"params", params}};
    if (!session.empty())
        command["sessionId"] = session;
    const std::string text = command.dump() + '\0';
    if (write(toBrowser_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        ADD_FAILURE() << "Chromium does not take commands (" << method << ")";
        return {{"error", "no browser"}};
    }
    json message;
    while (readMessage(60000, message)) {
        if (message.contains("id") && message["id"] == id) {
            if (message.contains("error")) {
                ADD_FAILURE() << method << ": " << message["error"].dump();
                return {{"error", message["error"]}};
            }
            return message.value("result", json::object());
        }
        if (message.contains("method"))
            events_.push_back(message);
    }
    ADD_FAILURE() << "no answer from Chromium to " << method;
    return {{"error", "no answer"}};
}

bool Chromium::waitEvent(const std::string& method, const std::string& session, int timeoutMs, json* params)
{
    auto matches = [&](const json& e) { return e["method"] == method && e.value("sessionId", "") == session; };
    for (auto it = events_.begin(); it != events_.end(); ++it) {
        if (matches(*it)) {
            if (params)
                *params = (*it).value("params", json::object());
            events_.erase(it);
            return true;
        }
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    json message;
    while (msLeft(deadline) > 0 && readMessage(msLeft(deadline), message)) {
        if (!message.contains("method"))
            continue;
        if (matches(message)) {
            if (params)
                *params = message.value("params", json::object());
            return true;
        }
        events_.push_back(message);
    }
    return false;
}

std::vector<json> Chromium::takeEvents(const std::string& method, const std::string& session)
{
    // Whatever has arrived by now is read first.
    json message;
    while (readMessage(0, message))
        if (message.contains("method"))
            events_.push_back(message);
    std::vector<json> taken;
    for (auto it = events_.begin(); it != events_.end();) {
        if ((*it)["method"] == method && (*it).value("sessionId", "") == session) {
            taken.push_back((*it).value("params", json::object()));
            it = events_.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

Tab::Tab(Chromium& browser, const Viewport& viewport) : browser_(browser)
{
    target_ = browser_.send("Target.createTarget", {{"url", "about:blank"}}).value("targetId", "");
    session_ =
        browser_.send("Target.attachToTarget", {{"targetId", target_}, {"flatten", true}}).value("sessionId", "");
    send("Page.enable");
    send("Runtime.enable");
    send("Log.enable");  // the browser's own words about the page (interventions)
    send("Emulation.setDeviceMetricsOverride", {{"width", viewport.width},
                                                {"height", viewport.height},
                                                {"deviceScaleFactor", viewport.deviceScaleFactor},
                                                {"mobile", viewport.mobile}});
    if (viewport.mobile)
        send("Emulation.setTouchEmulationEnabled", {{"enabled", true}, {"maxTouchPoints", 10}});
}

json Tab::send(const std::string& method, const json& params)
{
    return browser_.send(method, params, session_);
}

void Tab::open(const std::string& url)
{
    browser_.takeEvents("Page.loadEventFired", session_);
    send("Page.navigate", {{"url", url}});
    EXPECT_TRUE(browser_.waitEvent("Page.loadEventFired", session_, 30000)) << "no load event from " << url;
}

void Tab::reload()
{
    browser_.takeEvents("Page.loadEventFired", session_);
    send("Page.reload");
    EXPECT_TRUE(browser_.waitEvent("Page.loadEventFired", session_, 30000)) << "no load event after a reload";
}

json Tab::eval(const std::string& expression)
{
    const json r =
        send("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}, {"awaitPromise", true}});
    if (r.contains("exceptionDetails"))
        ADD_FAILURE() << expression << " threw " << r["exceptionDetails"].dump();
    return r.contains("result") ? r["result"].value("value", json()) : json();
}

bool Tab::waitFor(const std::string& expression, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const json v = eval("Promise.resolve(" + expression + ").then(v => !!v)");
        if (v.is_boolean() && v.get<bool>())
            return true;
        if (msLeft(deadline) == 0)
            return false;
        usleep(50000);
    }
}

RGBAImage Tab::screenshot()
{
    return screenshotOf(send("Page.captureScreenshot", {{"format", "png"}}).value("data", ""));
}

std::vector<std::string> Tab::console()
{
    for (const json& e : browser_.takeEvents("Runtime.consoleAPICalled", session_)) {
        std::string line;
        for (const json& a : e.value("args", json::array()))
            line += (line.empty() ? "" : " ") +
                    (a.contains("value") ? (a["value"].is_string() ? a["value"].get<std::string>() : a["value"].dump())
                                         : a.value("description", ""));
        console_.push_back(line);
    }
    for (const json& e : browser_.takeEvents("Log.entryAdded", session_))
        console_.push_back(e["entry"].value("text", ""));
    return console_;
}

void Tab::touch(const std::string& type, const std::vector<Finger>& fingers)
{
    json points = json::array();
    for (const Finger& f : fingers)
        points.push_back({{"x", f.x}, {"y", f.y}, {"id", f.id}, {"radiusX", 1}, {"radiusY", 1}, {"force", 1}});
    send("Input.dispatchTouchEvent", {{"type", type}, {"touchPoints", points}});
}

void Tab::mouse(const std::string& type, double x, double y, const std::string& button, int modifiers)
{
    json p = {{"type", type}, {"x", x}, {"y", y}, {"button", button}, {"modifiers", modifiers}};
    if (type == "mousePressed" || type == "mouseReleased")
        p["clickCount"] = 1;
    if (button == "left")
        p["buttons"] = type == "mouseReleased" ? 0 : 1;
    send("Input.dispatchMouseEvent", p);
}

namespace {

json keyParams(const std::string& type, const std::string& key)
{
    json p = {{"type", type}, {"key", key}};
    if (key.size() == 1) {
        p["code"] = std::isalpha(static_cast<unsigned char>(key[0]))
                        ? "Key" + std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(key[0]))))
                        : "";
        if (type == "keyDown")
            p["text"] = key;
    } else {
        p["code"] = key;
        static const std::pair<const char*, int> codes[] = {{"ArrowLeft", 37}, {"ArrowUp", 38}, {"ArrowRight", 39},
                                                            {"ArrowDown", 40}, {"Escape", 27},  {"Enter", 13},
                                                            {"Home", 36},      {"PageUp", 33},  {"PageDown", 34}};
        for (const auto& c : codes)
            if (key == c.first)
                p["windowsVirtualKeyCode"] = c.second;
    }
    return p;
}

}  // namespace

void Tab::keyDown(const std::string& key)
{
    send("Input.dispatchKeyEvent", keyParams(key.size() == 1 ? "keyDown" : "rawKeyDown", key));
}

void Tab::keyUp(const std::string& key)
{
    send("Input.dispatchKeyEvent", keyParams("keyUp", key));
}

std::vector<std::string> fakeMediaFlags(const BrowserOptions& options)
{
    std::vector<std::string> flags;
    if (!options.fakeMedia)
        return flags;
    flags = {"--use-fake-ui-for-media-stream", "--use-fake-device-for-media-stream",
             "--autoplay-policy=no-user-gesture-required"};
    if (!options.microphoneFile.empty())
        flags.push_back("--use-file-for-fake-audio-capture=" + options.microphoneFile);
    if (!options.cameraFile.empty())
        flags.push_back("--use-file-for-fake-video-capture=" + options.cameraFile);
    return flags;
}

ChromiumPage::ChromiumPage(const std::vector<std::string>& flags, const BrowserOptions& options,
                           const std::string& profile)
    : browser_(flags, profile),
      tab_(browser_, {options.width, options.height, options.deviceScaleFactor, options.mobile})
{
    if (!options.downloadDir.empty())
        browser_.send("Browser.setDownloadBehavior", {{"behavior", "allow"}, {"downloadPath", options.downloadDir}});
}

bool ChromiumPage::coverWithAnotherTab()
{
    cover_ = std::make_unique<Tab>(browser_, Tab::Viewport{});
    cover_->open("about:blank");
    const json info = cover_->send("Target.getTargetInfo");
    browser_.send("Target.activateTarget", {{"targetId", info["targetInfo"]["targetId"]}});
    return true;
}

void ChromiumPage::uncover()
{
    const json info = tab_.send("Target.getTargetInfo");
    browser_.send("Target.activateTarget", {{"targetId", info["targetInfo"]["targetId"]}});
}

void ChromiumPage::addPreloadScript(const std::string& source)
{
    tab_.send("Page.addScriptToEvaluateOnNewDocument", {{"source", source}});
}

void ChromiumPage::open(const std::string& url)
{
    forgetBoard();
    tab_.open(url);
}

void ChromiumPage::reload()
{
    forgetBoard();
    tab_.reload();
}

json ChromiumPage::eval(const std::string& expression)
{
    return tab_.eval(expression);
}

void ChromiumPage::touch(const std::string& type, const std::vector<Finger>& fingers)
{
    std::vector<Finger> inViewport = fingers;
    for (Finger& f : inViewport)
        toViewport(f.x, f.y, f.x, f.y);
    // The protocol's touchEnd names the fingers that lift (none: all of
    // them), where the Page names those that stay down.
    if ((type == "touchEnd" || type == "touchCancel") && !inViewport.empty()) {
        std::vector<Finger> lifted;
        for (const Finger& d : down_) {
            bool stays = false;
            for (const Finger& f : inViewport)
                stays = stays || f.id == d.id;
            if (!stays)
                lifted.push_back(d);
        }
        tab_.touch(type, lifted);
    } else {
        tab_.touch(type, inViewport);
    }
    down_ = inViewport;
}

void ChromiumPage::mouse(const std::string& type, double x, double y, const std::string& button, int modifiers)
{
    double vx, vy;
    toViewport(x, y, vx, vy);
    tab_.mouse(type, vx, vy, button, modifiers);
}

void ChromiumPage::chooseFile(double x, double y, const std::string& path)
{
    if (!intercepting_)
        tab_.send("Page.setInterceptFileChooserDialog", {{"enabled", true}});
    intercepting_ = true;
    browser_.takeEvents("Page.fileChooserOpened", tab_.session());
    touch("touchStart", {{x, y, 1}});
    touch("touchEnd", {});
    json opened;
    ASSERT_TRUE(browser_.waitEvent("Page.fileChooserOpened", tab_.session(), 10000, &opened)) << "no file picker";
    tab_.send("DOM.setFileInputFiles", {{"files", {path}}, {"backendNodeId", opened["backendNodeId"]}});
}

std::unique_ptr<Page> openChromium(const BrowserOptions& options)
{
    return std::make_unique<ChromiumPage>(fakeMediaFlags(options), options);
}

}  // namespace zorbel::test
