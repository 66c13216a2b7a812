// What the browser drivers speak over loopback, through libsoup: one HTTP
// request at a time (W3C WebDriver) and a WebSocket client (WebDriver
// BiDi); and the child processes the browsers run in.
#pragma once

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zorbel::test {

// A port of 127.0.0.1 that nothing listens on just now.
int freePort();

struct HttpReply {
    int status = 0;  // 0: no answer
    std::string body;
};

// One request on a fresh connection, the body sent as JSON when not empty.
HttpReply httpRequest(int port, const std::string& method, const std::string& path, const std::string& body,
                      int timeoutMs);

class WebSocket {
public:
    WebSocket();
    ~WebSocket();
    WebSocket(const WebSocket&) = delete;
    WebSocket& operator=(const WebSocket&) = delete;

    // Opens ws://127.0.0.1:port/path; false when refused.
    bool open(int port, const std::string& path);
    bool send(const std::string& text);
    // The next text message; false after timeoutMs or when closed.
    bool receive(std::string& text, int timeoutMs);

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

// A browser and its helpers in a process group of their own, ended with the
// test process even when it crashes; their output goes to `log`.
pid_t spawnGroup(const std::vector<std::string>& argv, const std::string& log,
                 const std::vector<std::string>& env = {});
// Ends the whole group and reaps its leader.
void endGroup(pid_t& pid);

// A private X server (Xvfb, no auth cookie) for a browser that needs one.
class Xvfb {
public:
    Xvfb();
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;
    const std::string& display() const { return display_; }  // ":N", empty when it did not start
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

std::string base64Encode(const std::string& in);
std::string base64Decode(const std::string& in);

}  // namespace zorbel::test
