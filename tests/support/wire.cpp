#include "wire.h"

#include <gtest/gtest.h>
#include <libsoup/soup.h>

#include <arpa/inet.h>
#include <chrono>
#include <deque>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zorbel::test {

int freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

std::string loopbackUrl(const char* scheme, int port, const std::string& path)
{
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
}

HttpReply httpRequest(int port, const std::string& method, const std::string& path, const std::string& body,
                      int timeoutMs)
{
    HttpReply reply;
    SoupSession* session = soup_session_new_with_options("timeout", (timeoutMs + 999) / 1000, nullptr);
    SoupMessage* message = soup_message_new(method.c_str(), loopbackUrl("http", port, path).c_str());
    if (message && (!body.empty() || method == "POST")) {
        GBytes* bytes = g_bytes_new(body.data(), body.size());
        soup_message_set_request_body_from_bytes(message, "application/json; charset=utf-8", bytes);
        g_bytes_unref(bytes);
    }
    GBytes* answer = message ? soup_session_send_and_read(session, message, nullptr, nullptr) : nullptr;
    if (answer) {
        reply.status = static_cast<int>(soup_message_get_status(message));
        gsize size = 0;
        const char* data = static_cast<const char*>(g_bytes_get_data(answer, &size));
        reply.body.assign(data ? data : "", size);
        g_bytes_unref(answer);
    }
    if (message)
        g_object_unref(message);
    g_object_unref(session);
    return reply;
}

// The connection lives on a main context of its own, the thread's default
// while the test sends or waits on it (libsoup attaches its sources to the
// default of the moment); messages that come meanwhile queue up.
struct WebSocket::Connection {
    GMainContext* context = g_main_context_new();
    SoupSession* session = nullptr;
    SoupWebsocketConnection* socket = nullptr;
    bool connecting = false;
    std::deque<std::string> in;

    struct Within {
        GMainContext* context;
        explicit Within(GMainContext* c) : context(c) { g_main_context_push_thread_default(c); }
        ~Within() { g_main_context_pop_thread_default(context); }
    };

    ~Connection()
    {
        if (socket)
            g_object_unref(socket);
        if (session)
            g_object_unref(session);
        g_main_context_unref(context);
    }
    // Runs the context until `done` or the deadline.
    template <class Done> bool runUntil(Done done, int timeoutMs)
    {
        const Within within(context);
        const gint64 deadline = g_get_monotonic_time() + gint64(timeoutMs) * 1000;
        while (!done() && g_get_monotonic_time() < deadline)
            if (!g_main_context_iteration(context, FALSE))
                g_usleep(1000);
        while (g_main_context_iteration(context, FALSE)) {
        }
        return done();
    }
};

WebSocket::WebSocket() = default;
WebSocket::~WebSocket() = default;

bool WebSocket::open(int port, const std::string& path)
{
    connection_ = std::make_unique<Connection>();
    Connection& c = *connection_;
    {
        const Connection::Within within(c.context);
        c.session = soup_session_new();
        SoupMessage* message = soup_message_new("GET", loopbackUrl("ws", port, path).c_str());
        c.connecting = true;
        soup_session_websocket_connect_async(
            c.session, message, nullptr, nullptr, G_PRIORITY_DEFAULT, nullptr,
            [](GObject* session, GAsyncResult* result, gpointer data) {
                auto& c = *static_cast<Connection*>(data);
                c.socket = soup_session_websocket_connect_finish(SOUP_SESSION(session), result, nullptr);
                c.connecting = false;
            },
            &c);
        g_object_unref(message);
    }
    c.runUntil([&] { return !c.connecting; }, 10000);
    if (!c.socket) {
        connection_.reset();
        return false;
    }
    soup_websocket_connection_set_max_incoming_payload_size(c.socket, 0);  // screenshots are large
    g_signal_connect(c.socket, "message",
                     G_CALLBACK(+[](SoupWebsocketConnection*, gint type, GBytes* bytes, gpointer data) {
                         gsize size = 0;
                         const char* text = static_cast<const char*>(g_bytes_get_data(bytes, &size));
                         if (type == SOUP_WEBSOCKET_DATA_TEXT)
                             static_cast<Connection*>(data)->in.emplace_back(text ? text : "", size);
                     }),
                     &c);
    return true;
}

bool WebSocket::send(const std::string& text)
{
    if (!connection_ || soup_websocket_connection_get_state(connection_->socket) != SOUP_WEBSOCKET_STATE_OPEN)
        return false;
    const Connection::Within within(connection_->context);
    soup_websocket_connection_send_text(connection_->socket, text.c_str());
    return true;
}

bool WebSocket::receive(std::string& text, int timeoutMs)
{
    if (!connection_)
        return false;
    Connection& c = *connection_;
    if (!c.runUntil([&] { return !c.in.empty(); }, timeoutMs))
        return false;
    text = std::move(c.in.front());
    c.in.pop_front();
    return true;
}

pid_t spawnGroup(const std::vector<std::string>& argv, const std::string& log, const std::vector<std::string>& env)
{
    const pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(fd, 1);
        dup2(fd, 2);
        for (const std::string& e : env)
            putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    if (pid > 0)
        setpgid(pid, pid);
    return pid;
}

void endGroup(pid_t& pid)
{
    if (pid <= 0)
        return;
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

Xvfb::Xvfb()
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    pid_ = fork();
    if (pid_ == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        close(fds[0]);
        const int devNull = ::open("/dev/null", O_WRONLY);
        dup2(devNull, 1);
        dup2(devNull, 2);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The server writes its display number once it accepts clients.
    std::string number;
    char c;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (!number.empty())
        display_ = ":" + number;
    EXPECT_FALSE(display_.empty()) << "Xvfb did not start";
}

Xvfb::~Xvfb()
{
    endGroup(pid_);
}

std::string base64Encode(const std::string& in)
{
    gchar* text = g_base64_encode(reinterpret_cast<const guchar*>(in.data()), in.size());
    std::string out = text;
    g_free(text);
    return out;
}

std::string base64Decode(const std::string& in)
{
    gsize size = 0;
    guchar* bytes = g_base64_decode(in.c_str(), &size);
    std::string out(reinterpret_cast<const char*>(bytes), size);
    g_free(bytes);
    return out;
}

}  // namespace zorbel::test
