// Fault test helpers: digests, the reporting child process, limits and read-only folders.
#include "tests/reliability/FaultSupport.h"

#include "core/MessageBox.h"
#include "core/Utf.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

long long g_kills = 0;
long long g_faultCases = 0;
long long g_rowsLost = 0;

// Prints the summary once every test has run.
class SummaryEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        std::printf("[ summary  ] kills survived: %lld, fault cases tried: %lld, rows lost: %lld\n", g_kills,
                    g_faultCases, g_rowsLost);
    }
};
[[maybe_unused]] ::testing::Environment* const g_summary = ::testing::AddGlobalTestEnvironment(new SummaryEnvironment);

// Messages travel as lines; a line break inside a text becomes "\n".
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text)
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

void WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

ChildReport Parse(const std::string& bytes) {
    ChildReport report;
    std::istringstream in(bytes);
    std::string line;
    if (std::getline(in, line)) report.code = std::atoi(line.c_str());
    while (std::getline(in, line)) {
        ChildMessage m;
        size_t a = line.find('\t'), b = line.find('\t', a + 1);
        if (a == std::string::npos || b == std::string::npos) continue;
        m.flags = static_cast<unsigned>(std::stoul(line.substr(0, a)));
        m.caption = line.substr(a + 1, b - a - 1);
        m.text = line.substr(b + 1);
        report.messages.push_back(m);
    }
    return report;
}

} // namespace

std::string FileDigest(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return "<folder>";
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unsigned long long h = 1469598103934665603ull; // FNV-1a
    for (unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ull;
    char text[64];
    std::snprintf(text, sizeof text, "%zu:%016llx", bytes.size(), h);
    return text;
}

std::map<std::string, std::string> FolderDigests(const std::string& folder) {
    std::map<std::string, std::string> digests;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        digests[entry.path().filename().string()] = FileDigest(entry.path().string());
    return digests;
}

std::string ChildReport::Describe() const {
    std::string text = "code " + std::to_string(code) + (hung ? " (hung)" : "") +
                       (finished ? "" : " status " + std::to_string(status));
    for (const ChildMessage& m : messages)
        text += "\n  [" + m.caption + "] " + m.text;
    return text;
}

bool ChildReport::ToldFailure() const {
    for (const ChildMessage& m : messages) {
        unsigned icon = m.flags & 0xF0u;
        if (icon == MB_ICONSTOP || icon == MB_ICONEXCLAMATION || m.caption == "ERROR" || m.caption == "Error")
            return true;
    }
    return false;
}

ChildReport RunInChild(const std::function<int()>& body, std::chrono::seconds timeout) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        ScriptedMessages messages;
        for (int i = 0; i < 50; ++i)
            messages.Answer(IDYES);
        int code = body();
        std::string out = std::to_string(code) + "\n";
        for (const ShownMessage& m : messages.shown())
            out += std::to_string(m.flags) + "\t" + OneLine(ToUtf8(m.caption)) + "\t" + OneLine(ToUtf8(m.text)) + "\n";
        WriteAll(pipeFds[1], out);
        _exit(0);
    }
    close(pipeFds[1]);
    std::string bytes;
    auto deadline = std::chrono::steady_clock::now() + timeout;
    bool hung = false;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            hung = true;
            break;
        }
        pollfd p{pipeFds[0], POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
        char buffer[4096];
        ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(pipeFds[0]);
    if (hung) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    ChildReport report = Parse(bytes);
    report.hung = hung;
    report.status = status;
    report.finished = !hung && WIFEXITED(status) && WEXITSTATUS(status) == 0 && !bytes.empty();
    return report;
}

void LimitFileSize(long long bytes) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    setrlimit(RLIMIT_FSIZE, &limit);
}

bool MakeFolderUnwritable(const std::string& folder) {
    if (geteuid() == 0) {
        // Root writes through permissions; a read-only mount stops it.
        if (unshare(CLONE_NEWNS) != 0) return false;
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
        if (mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) return false;
        if (mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) return false;
    } else {
        chmod(folder.c_str(), 0555);
    }
    std::string probe = folder + "/.probe";
    int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) return true;
    close(fd);
    unlink(probe.c_str());
    return false;
}

bool UnwritableFoldersAvailable() {
    static const bool available = [] {
        char folder[] = "/tmp/tidemark-ro-XXXXXX";
        if (!mkdtemp(folder)) return false;
        ChildReport report = RunInChild([&] { return MakeFolderUnwritable(folder) ? 1 : 0; });
        chmod(folder, 0700);
        rmdir(folder);
        return report.finished && report.code == 1;
    }();
    return available;
}

void CountKill() {
    ++g_kills;
}

void CountFaultCase() {
    ++g_faultCases;
}

void CountRowsLost(long long rows) {
    g_rowsLost += rows;
}
