// Starting and stopping gpsfake for the position tests.
#include "tests/support/GpsFake.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>

using namespace std::chrono_literals;

int FreeLoopbackPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    close(fd);
    return port;
}

namespace {

int ConnectLoopback(int port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -1;
    }
    timeval timeout{0, 500000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    return fd;
}

// True once gpsd lists the fake device. gpsd listens before gpsfake has added the
// device, and a watch that comes before the add never sees that device's reports.
bool DeviceListed(int port) {
    int fd = ConnectLoopback(port);
    if (fd < 0) return false;
    const char ask[] = "?DEVICES;\n";
    bool listed = false;
    if (write(fd, ask, sizeof ask - 1) == static_cast<ssize_t>(sizeof ask - 1)) {
        std::string got;
        char buffer[1024];
        while (got.find("\"class\":\"DEVICES\"") == std::string::npos || got.back() != '\n') {
            ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        std::size_t at = got.find("\"class\":\"DEVICES\"");
        listed = at != std::string::npos && got.find("\"path\"", at) != std::string::npos;
    }
    close(fd);
    return listed;
}

} // namespace

// Empty when the daemon is up; otherwise why it could not start.
std::string GpsFake::Start(const std::string& log, const char* cycle) {
    port_ = FreeLoopbackPort();
    if (port_ == 0) return "no free loopback port";
    const std::string& path = log;
    std::string port = std::to_string(port_);
    pid_ = fork();
    if (pid_ < 0) return "fork failed";
    if (pid_ == 0) {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::string env = std::string("/usr/sbin:/usr/bin:/sbin:/bin:") + (getenv("PATH") ? getenv("PATH") : "");
        setenv("PATH", env.c_str(), 1);
        // -n: gpsd reads the fake device from the moment it is added, not from the
        // first watch, so every test sees the log from a running device.
        execlp("gpsfake", "gpsfake", "-q", "-n", "-P", port.c_str(), "-c", cycle, path.c_str(), nullptr);
        _exit(127);
    }
    setpgid(pid_, pid_);
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (DeviceListed(port_)) return {};
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return "gpsfake exited at start (is gpsd-clients installed?)";
        }
        std::this_thread::sleep_for(20ms);
    }
    Kill();
    return "gpsd did not list the fake device within 20 s";
}

void GpsFake::Kill() {
    if (pid_ <= 0) return;
    kill(-pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            kill(-pid_, SIGKILL); // any gpsd left in the group
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(10ms);
    }
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
