// Position requests against a real gpsd started by gpsfake on a private loopback port.
#include "gps/PositionSource.h"
#include "core/Clock.h"
#include "core/CommandPoster.h"
#include "tests/support/GpsFake.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;

class RecordingPoster : public CommandPoster {
public:
    void PostCommand(WindowHandle target, int command) override {
        std::lock_guard lock(mutex_);
        posts_.emplace_back(target, command);
        changed_.notify_all();
    }
    bool WaitForPosts(std::size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return posts_.size() >= count; });
    }
    std::vector<std::pair<WindowHandle, int>> Posts() {
        std::lock_guard lock(mutex_);
        return posts_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<WindowHandle, int>> posts_;
};

WindowHandle Window(int n) {
    return reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(0x1000 * n));
}

class PositionSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The fixed clock is local time; the logs' fixes are UTC. Outside ctest too.
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        SetCommandPoster(&poster_);
        // The logs carry fixes at 03:00:03 and 03:00:04 UTC on 2026-12-08 (12:00 in Tokyo).
        SetFixedClock(2026, 12, 8, 12, 0, 4);
    }
    void TearDown() override {
        ReleasePositionSource();
        SetCommandPoster(nullptr);
        SetClockSource({});
        SetPositionDaemon("localhost", "2947");
    }
    void StartDaemon(const std::string& log) {
        std::string why = fake_.Start(std::string(TIDEMARK_GPS_LOGS) + "/" + log);
        if (!why.empty()) GTEST_SKIP() << "gpsd could not be started through gpsfake: " << why;
        SetPositionDaemon("127.0.0.1", std::to_string(fake_.Port()));
    }

    RecordingPoster poster_;
    GpsFake fake_;
};

TEST_F(PositionSourceTest, RequestGetsFirstFixAfterSentencesWithoutOne) {
    StartDaemon("fix_after_void.nmea");
    if (IsSkipped()) return;
    ASSERT_EQ(RequestPosition(Window(1), kPositionCommand), 0);
    EXPECT_TRUE(PositionRequestPending());
    ASSERT_TRUE(poster_.WaitForPosts(1, 10s));
    auto posts = poster_.Posts();
    EXPECT_EQ(posts[0].first, Window(1));
    EXPECT_EQ(posts[0].second, 33103);
    EXPECT_FALSE(PositionRequestPending());
    ASSERT_EQ(StopPositionSource(), S_OK);
    PositionListener* l = CurrentPositionListener();
    ASSERT_NE(l, nullptr);
    EXPECT_NEAR(l->latitude, 35.678667, 1e-5);
    EXPECT_NEAR(l->longitude, 139.767, 1e-5);
    EXPECT_EQ(l->armed, 0);
}

TEST_F(PositionSourceTest, SecondRequestWhilePendingLeavesFixToFirstWindow) {
    StartDaemon("fix_after_void.nmea");
    if (IsSkipped()) return;
    ASSERT_EQ(RequestPosition(Window(1), kPositionCommand), 0);
    EXPECT_EQ(RequestPosition(Window(2), 40000), 0);
    ASSERT_TRUE(poster_.WaitForPosts(1, 10s));
    ASSERT_EQ(StopPositionSource(), S_OK);
    auto posts = poster_.Posts();
    ASSERT_EQ(posts.size(), 1u);
    EXPECT_EQ(posts[0].first, Window(1));
    EXPECT_EQ(posts[0].second, 33103);
}

TEST_F(PositionSourceTest, LaterReportsUpdatePositionButPostOnce) {
    StartDaemon("two_fixes.nmea");
    if (IsSkipped()) return;
    ASSERT_EQ(RequestPosition(Window(1), kPositionCommand), 0);
    ASSERT_TRUE(poster_.WaitForPosts(1, 10s));
    // The log repeats every 0.1 s: give it several more reports before looking.
    EXPECT_FALSE(poster_.WaitForPosts(2, 500ms));
    ASSERT_EQ(StopPositionSource(), S_OK);
    EXPECT_EQ(poster_.Posts().size(), 1u);
    double lat = CurrentPositionListener()->latitude;
    EXPECT_TRUE(std::abs(lat - 35.678667) < 1e-5 || std::abs(lat - 35.683333) < 1e-5) << lat;
}

TEST_F(PositionSourceTest, StopEndsWorkerQuicklyWhileNothingArrives) {
    StartDaemon("no_fix.nmea");
    if (IsSkipped()) return;
    ASSERT_EQ(RequestPosition(Window(1), kPositionCommand), 0);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(StopPositionSource(), S_OK);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_TRUE(poster_.Posts().empty());
    EXPECT_EQ(StopPositionSource(), E_INVALIDARG);
}

TEST_F(PositionSourceTest, RequestAfterFixReopensConnection) {
    StartDaemon("fix_after_void.nmea");
    if (IsSkipped()) return;
    ASSERT_EQ(RequestPosition(Window(1), kPositionCommand), 0);
    ASSERT_TRUE(poster_.WaitForPosts(1, 10s));
    ASSERT_EQ(RequestPosition(Window(2), kPositionCommand), 0);
    ASSERT_TRUE(poster_.WaitForPosts(2, 10s));
    ASSERT_EQ(StopPositionSource(), S_OK);
    auto posts = poster_.Posts();
    ASSERT_EQ(posts.size(), 2u);
    EXPECT_EQ(posts[1].first, Window(2));
}

TEST_F(PositionSourceTest, StaleFixDoesNotComplete) {
    SetFixedClock(2026, 12, 8, 12, 0, 10);
    StartDaemon("two_fixes.nmea");
    if (IsSkipped()) return;
    ASSERT_EQ(RequestPosition(Window(1), kPositionCommand), 0);
    EXPECT_FALSE(poster_.WaitForPosts(1, 700ms));
    EXPECT_TRUE(PositionRequestPending());
}

TEST_F(PositionSourceTest, DaemonLostWhilePendingFreesTheRequest) {
    StartDaemon("no_fix.nmea");
    if (IsSkipped()) return;
    ASSERT_EQ(RequestPosition(Window(1), kPositionCommand), 0);
    fake_.Kill();
    auto deadline = std::chrono::steady_clock::now() + 5s;
    while (PositionRequestPending() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(PositionRequestPending());
    EXPECT_TRUE(poster_.Posts().empty());
}

TEST(PositionSourceNoDaemon, FailedStartClearsPendingFlag) {
    RecordingPoster poster;
    SetCommandPoster(&poster);
    SetPositionDaemon("127.0.0.1", std::to_string(FreeLoopbackPort()));
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(RequestPosition(Window(1), kPositionCommand), kPositionStartFailed);
        EXPECT_FALSE(PositionRequestPending());
    }
    EXPECT_EQ(StopPositionSource(), E_INVALIDARG);
    ReleasePositionSource();
    SetCommandPoster(nullptr);
    SetPositionDaemon("localhost", "2947");
    EXPECT_TRUE(poster.Posts().empty());
}

} // namespace
