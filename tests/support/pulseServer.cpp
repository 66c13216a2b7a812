#include "pulseServer.h"

#include "testHome.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace zorbel::test {

namespace {

// Runs argv in a child with its output going to `log`. The child ends with
// this process, even when a test crashes.
pid_t spawn(const char* const argv[], const std::string& log)
{
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(fd, 1);
        dup2(fd, 2);
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    return pid;
}

void end(pid_t& pid)
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}

}  // namespace

PulseServer::PulseServer() : dir_(freshDir("pulse"))
{
    // The daemon keeps its state under HOME and its socket under the runtime
    // folder; clients find it through PULSE_SERVER and share its cookie.
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("PULSE_SERVER", ("unix:" + dir_ + "/pulse/native").c_str(), 1);
    setenv("PULSE_COOKIE", (dir_ + "/cookie").c_str(), 1);
}

PulseServer::~PulseServer()
{
    end(player_);
    stop();
}

bool PulseServer::start()
{
    stop();
    const std::string home = "HOME=" + dir_;
    const char* const argv[] = {"/usr/bin/env",
                                home.c_str(),
                                PULSEAUDIO,
                                "-n",
                                "--daemonize=no",
                                "--exit-idle-time=-1",
                                "--use-pid-file=no",
                                "--disable-shm=yes",
                                "--load=module-native-protocol-unix auth-anonymous=1",
                                "--load=module-null-sink sink_name=out",
                                "--load=module-null-source source_name=mic",
                                nullptr};
    daemon_ = spawn(argv, dir_ + "/daemon.log");
    for (int i = 0; i < 100; ++i) {
        if (pactl("info"))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void PulseServer::stop()
{
    end(daemon_);
}

void PulseServer::play(const std::string& file)
{
    end(player_);
    const char* const argv[] = {PAPLAY,           "--raw",      "--rate=8000", "--channels=1",
                                "--format=s16le", file.c_str(), nullptr};
    player_ = spawn(argv, dir_ + "/paplay.log");
}

bool PulseServer::hearWhatPlays()
{
    return pactl("load-module module-remap-source master=out.monitor source_name=heard "
                 "source_properties=device.description=Heard") &&
           pactl("unload-module module-null-source") && pactl("set-default-source heard");
}

void PulseServer::playFile(const std::string& file)
{
    end(player_);
    const char* const argv[] = {PAPLAY, file.c_str(), nullptr};
    player_ = spawn(argv, dir_ + "/paplay.log");
}

std::unique_ptr<PulseServer> PulseServer::hearing(const std::string& file)
{
    if (file.empty())
        return nullptr;
    auto server = std::make_unique<PulseServer>();
    if (!server->start())
        std::fprintf(stderr, "the private sound server does not start\n");
    server->hearWhatPlays();
    server->playFile(file);
    return server;
}

bool PulseServer::pactl(const std::string& args)
{
    return std::system(("pactl " + args + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace zorbel::test
