// The edit dialog's position commands against a real gpsd (gpsfake on a loopback
// port): a fix taken (Yes) and refused (No), no daemon at all, and a dialog closed
// while its request waits. Completions arrive as queued OnCommand calls, as in the diary.
#include "core/Clock.h"
#include "core/CommandPoster.h"
#include "core/Degrees.h"
#include "core/QtPlatform.h"
#include "core/Utf.h"
#include "gps/PositionSource.h"
#include "tests/edit/EditDlgTestSupport.h"
#include "tests/support/GpsFake.h"
#include "views/CommandIds.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <chrono>
#include <thread>

namespace {

// The log's two fixes lie at 35/40/43.2 and 35/41/0; which one a watch sees first
// depends on when it reached gpsd, so either one is right.
bool IsAFixOfTheLog(const std::string& latitude) {
    return latitude.rfind("35/40/", 0) == 0 || latitude.rfind("35/41/", 0) == 0;
}

class EditDlgPosition : public EditDlgFixture {
protected:
    void SetUp() override {
        EditDlgFixture::SetUp();
        SetCommandPoster(&poster_);
        // The logs carry fixes at 03:00:03 and 03:00:04 UTC on 2026-12-08 (12:00 in Tokyo).
        SetFixedClock(2026, 12, 8, 12, 0, 4);
    }
    void TearDown() override {
        ReleasePositionSource();
        SetCommandPoster(nullptr);
        SetPositionDaemon("localhost", "2947");
        EditDlgFixture::TearDown();
    }
    void StartDaemon(const char* log) {
        std::string why = fake_.Start(std::string(TIDEMARK_GPS_LOGS) + "/" + log);
        if (!why.empty()) GTEST_SKIP() << "gpsd could not be started through gpsfake: " << why;
        SetPositionDaemon("127.0.0.1", std::to_string(fake_.Port()));
    }
    // Runs the event loop until the dialog's acquisition has ended (false after 10 s).
    bool WaitForCompletion(CEditActionDlg& d) {
        QElapsedTimer timer;
        timer.start();
        while (d.form().acquiring() && timer.elapsed() < 10000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return !d.form().acquiring();
    }

    QtCommandPoster poster_;
    GpsFake fake_;
};

TEST_F(EditDlgPosition, FixTakenWithYesIsShownAndStored) {
    StartDaemon("two_fixes.nmea");
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::Latitude);
    EXPECT_EQ(Text(EditCmd::Latitude), "取得中");
    EXPECT_EQ(Text(EditCmd::Longitude), "取得中");
    messages.Answer(IDYES);
    ASSERT_TRUE(WaitForCompletion(d));
    ASSERT_EQ(messages.count(), 1u);
    const ShownMessage& asked = messages.last();
    EXPECT_EQ(asked.caption, u"位置情報取得");
    EXPECT_EQ(asked.flags, MB_YESNO | MB_ICONQUESTION);
    // Later reports may move the listener on; the field takes the fix the question showed.
    const std::u16string prefix = u"位置情報を取得しました。値を取り込みますか？\nLat:";
    ASSERT_EQ(asked.text.substr(0, prefix.size()), prefix);
    size_t lonAt = asked.text.find(u"\nLon:");
    ASSERT_NE(lonAt, std::u16string::npos);
    std::u16string lat = asked.text.substr(prefix.size(), lonAt - prefix.size());
    EXPECT_EQ(Text(EditCmd::Latitude), ToUtf8(lat));
    EXPECT_EQ(Text(EditCmd::Longitude), ToUtf8(asked.text.substr(lonAt + 5)));
    EXPECT_TRUE(IsAFixOfTheLog(ToUtf8(lat))) << ToUtf8(lat);
    EXPECT_TRUE(d.form().modified);
    d.OnCommand(EditCmd::Save);
    ActionRecord r = Stored(0);
    // Later reports move the listener on; the stored fix is one of the log's.
    EXPECT_NEAR(std::stod(U8(r[ActionField::Latitude])), 35.68, 0.01);
    EXPECT_NEAR(std::stod(U8(r[ActionField::Longitude])), 139.775, 0.02);
}

TEST_F(EditDlgPosition, FixRefusedWithNoRestoresTheFieldsAndStaysShowable) {
    StartDaemon("two_fixes.nmea");
    Insert({{"2026/12/08 10:00:00", "2026/12/08 11:00:00"}});
    CEditActionDlg& d = Open(EditDlgMode::Change, 0);
    d.form().latitude = u"1/2/3.000000";
    d.form().longitude = u"4/5/6.000000";
    d.form().modified = false;
    d.OnCommand(EditCmd::Acquire);
    messages.Answer(IDNO);
    ASSERT_TRUE(WaitForCompletion(d));
    EXPECT_EQ(Text(EditCmd::Latitude), "1/2/3.000000");
    EXPECT_EQ(Text(EditCmd::Longitude), "4/5/6.000000");
    EXPECT_FALSE(d.form().modified);
    // The refused fix is still the last acquired one: "位置表示" offers it again.
    messages.Answer(IDYES);
    d.OnCommand(EditCmd::ShowPosition);
    EXPECT_EQ(messages.last().caption, u"位置情報");
    EXPECT_TRUE(IsAFixOfTheLog(Text(EditCmd::Latitude))) << Text(EditCmd::Latitude);
    d.OnCommand(EditCmd::ClearPosition);
    EXPECT_EQ(Text(EditCmd::Latitude), "");
}

TEST_F(EditDlgPosition, WithoutADaemonTheFieldsComeBackAtOnce) {
    SetPositionDaemon("127.0.0.1", "1"); // nobody listens on port 1
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.form().latitude = u"35/0/0.000000";
    d.OnCommand(EditCmd::Longitude);
    EXPECT_FALSE(d.form().acquiring());
    EXPECT_EQ(Text(EditCmd::Latitude), "35/0/0.000000");
    EXPECT_EQ(Text(EditCmd::Longitude), "");
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"位置情報を取得できません。GPS受信機の接続と位置情報サービスを確認してください。");
    EXPECT_EQ(messages.last().caption, u"位置情報取得エラー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
    // Nothing acquired yet.
    d.OnCommand(EditCmd::ShowPosition);
    EXPECT_EQ(messages.last().text, u"位置情報は未取得です。");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);
}

TEST_F(EditDlgPosition, ADialogClosedWhileWaitingIsNeverAddressed) {
    StartDaemon("fix_after_void.nmea");
    CEditActionDlg& d = Open(EditDlgMode::New);
    d.OnCommand(EditCmd::Acquire);
    ASSERT_TRUE(d.form().acquiring());
    d.OnCommand(EditCmd::Close);
    dialog.reset(); // closed and gone before the fix arrives
    EXPECT_FALSE(PositionRequestPending());
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 600)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(messages.count(), 0u); // no question from a window that is gone
    // The source is free again: the next dialog gets its fix.
    CEditActionDlg& e = Open(EditDlgMode::New);
    e.OnCommand(EditCmd::Acquire);
    messages.Answer(IDYES);
    ASSERT_TRUE(WaitForCompletion(e));
    EXPECT_TRUE(IsAFixOfTheLog(Text(EditCmd::Latitude))) << Text(EditCmd::Latitude);
}

} // namespace
