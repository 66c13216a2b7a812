#include "wire.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <random>
#include <sys/prctl.h>
#include <sys/socket.h>
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

bool sendAll(int fd, const std::string& bytes)
{
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

// Reads what has come, waiting up to the deadline; false when closed or late.
bool readSome(int fd, std::string& into, Clock::time_point deadline)
{
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, msLeft(deadline)) <= 0)
        return false;
    char chunk[65536];
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n <= 0)
        return false;
    into.append(chunk, static_cast<size_t>(n));
    return true;
}

}  // namespace

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

int connectLoopback(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

HttpReply httpRequest(int port, const std::string& method, const std::string& path, const std::string& body,
                      int timeoutMs)
{
    HttpReply reply;
    const int fd = connectLoopback(port);
    if (fd < 0)
        return reply;
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                          "\r\nConnection: close\r\nAccept: application/json\r\n";
    if (!body.empty() || method == "POST")
        request +=
            "Content-Type: application/json; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    request += "\r\n" + body;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string in;
    size_t headerEnd = std::string::npos;
    if (sendAll(fd, request))
        while ((headerEnd = in.find("\r\n\r\n")) == std::string::npos && readSome(fd, in, deadline)) {
        }
    if (headerEnd == std::string::npos) {
        close(fd);
        return reply;
    }
    std::string header = in.substr(0, headerEnd);
    std::string rest = in.substr(headerEnd + 4);
    for (char& c : header)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    reply.status = std::atoi(header.c_str() + header.find(' ') + 1);
    const size_t lengthAt = header.find("content-length:");
    if (header.find("transfer-encoding: chunked") != std::string::npos) {
        // Chunks: a hex size line, the bytes, CRLF; a chunk of 0 ends it.
        for (;;) {
            size_t lineEnd;
            while ((lineEnd = rest.find("\r\n")) == std::string::npos && readSome(fd, rest, deadline)) {
            }
            if (lineEnd == std::string::npos)
                break;
            const size_t size = std::stoul(rest.substr(0, lineEnd), nullptr, 16);
            if (size == 0)
                break;
            while (rest.size() < lineEnd + 2 + size + 2 && readSome(fd, rest, deadline)) {
            }
            reply.body += rest.substr(lineEnd + 2, size);
            rest.erase(0, std::min(rest.size(), lineEnd + 2 + size + 2));
        }
    } else if (lengthAt != std::string::npos) {
        const size_t length = std::stoul(header.substr(lengthAt + 15));
        while (rest.size() < length && readSome(fd, rest, deadline)) {
        }
        reply.body = rest.substr(0, length);
    } else {
        while (readSome(fd, rest, deadline)) {
        }
        reply.body = rest;
    }
    close(fd);
    return reply;
}

WebSocket::~WebSocket()
{
    if (fd_ >= 0)
        close(fd_);
}

bool WebSocket::open(int port, const std::string& path)
{
    fd_ = connectLoopback(port);
    if (fd_ < 0)
        return false;
    std::string nonce(16, '\0');
    std::random_device random;
    for (char& c : nonce)
        c = static_cast<char>(random());
    const std::string request =
        "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
        "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " + base64Encode(nonce) +
        "\r\nSec-WebSocket-Version: 13\r\n\r\n";
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    size_t headerEnd = std::string::npos;
    if (sendAll(fd_, request))
        while ((headerEnd = in_.find("\r\n\r\n")) == std::string::npos && readSome(fd_, in_, deadline)) {
        }
    if (headerEnd == std::string::npos || in_.compare(0, 12, "HTTP/1.1 101") != 0) {
        close(fd_);
        fd_ = -1;
        return false;
    }
    in_.erase(0, headerEnd + 4);
    return true;
}

bool WebSocket::sendFrame(int opcode, const std::string& payload)
{
    // A client masks every frame it sends.
    std::string frame(1, static_cast<char>(0x80 | opcode));
    const size_t n = payload.size();
    if (n < 126) {
        frame += static_cast<char>(0x80 | n);
    } else if (n < 65536) {
        frame += static_cast<char>(0x80 | 126);
        frame += static_cast<char>(n >> 8);
        frame += static_cast<char>(n & 0xff);
    } else {
        frame += static_cast<char>(0x80 | 127);
        for (int shift = 56; shift >= 0; shift -= 8)
            frame += static_cast<char>((static_cast<uint64_t>(n) >> shift) & 0xff);
    }
    const char mask[4] = {0x37, 0x5a, 0x11, 0x6c};
    frame.append(mask, 4);
    for (size_t i = 0; i < n; ++i)
        frame += static_cast<char>(payload[i] ^ mask[i % 4]);
    return fd_ >= 0 && sendAll(fd_, frame);
}

bool WebSocket::send(const std::string& text)
{
    return sendFrame(1, text);
}

bool WebSocket::fill(size_t bytes, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (in_.size() < bytes)
        if (!readSome(fd_, in_, deadline))
            return false;
    return true;
}

bool WebSocket::receive(std::string& text, int timeoutMs)
{
    if (fd_ < 0)
        return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::string message;
    for (;;) {
        if (!fill(2, msLeft(deadline)))
            return false;
        const auto* b = reinterpret_cast<const unsigned char*>(in_.data());
        const bool final = b[0] & 0x80;
        const int opcode = b[0] & 0x0f;
        size_t length = b[1] & 0x7f, at = 2;
        if (length == 126) {
            if (!fill(4, msLeft(deadline)))
                return false;
            b = reinterpret_cast<const unsigned char*>(in_.data());
            length = static_cast<size_t>(b[2]) << 8 | b[3];
            at = 4;
        } else if (length == 127) {
            if (!fill(10, msLeft(deadline)))
                return false;
            b = reinterpret_cast<const unsigned char*>(in_.data());
            length = 0;
            for (int i = 2; i < 10; ++i)
                length = length << 8 | b[i];
            at = 10;
        }
        // A large screenshot takes a while to arrive whole.
        if (!fill(at + length, std::max(msLeft(deadline), 30000)))
            return false;
        const std::string payload = in_.substr(at, length);
        in_.erase(0, at + length);
        if (opcode == 8) {  // close
            close(fd_);
            fd_ = -1;
            return false;
        }
        if (opcode == 9) {  // ping
            sendFrame(10, payload);
            continue;
        }
        if (opcode == 10)
            continue;
        message += payload;
        if (final) {
            text = std::move(message);
            return true;
        }
    }
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
    static const char* chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t value = 0;  // wraps: only its low bits are read
    int bits = -6;
    for (unsigned char c : in) {
        value = (value << 8) + c;
        bits += 8;
        while (bits >= 0) {
            out += chars[(value >> bits) & 0x3F];
            bits -= 6;
        }
    }
    if (bits > -6)
        out += chars[((value << 8) >> (bits + 8)) & 0x3F];
    while (out.size() % 4)
        out += '=';
    return out;
}

std::string base64Decode(const std::string& in)
{
    static const std::string chars = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int bits = 0;
    uint32_t value = 0;
    for (char c : in) {
        const size_t v = chars.find(c);
        if (v == std::string::npos)
            continue;
        value = value << 6 | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xff);
        }
    }
    return out;
}

}  // namespace zorbel::test
