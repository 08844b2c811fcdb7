// The clock, the random generator, the trace buffer and the message box hook.
#include "core/Clock.h"
#include "core/MessageBox.h"
#include "core/Random.h"
#include "core/Trace.h"
#include "tests/support/ScriptedMessages.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(Random, FollowsTheRuntimeRecurrence) {
    // The C runtime's generator seeded with 1 starts 41, 18467, 6334.
    SeedRandom(1);
    EXPECT_EQ(NextRandom(), 41);
    EXPECT_EQ(NextRandom(), 18467);
    EXPECT_EQ(NextRandom(), 6334);
    SeedRandom(12345);
    for (int i = 0; i < 10000; ++i) {
        int r = NextRandom();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandomMax);
    }
}

TEST(Clock, FixedClockAndWeekdays) {
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    LocalDateTime now = LocalNow();
    EXPECT_EQ(now.year, 2010);
    EXPECT_EQ(now.second, 3);
    EXPECT_EQ(now.weekday, 0); // a Sunday
    SetClockSource({});
    EXPECT_GE(LocalNow().year, 2024);
    EXPECT_EQ(WeekdayOf(1900, 1, 1), 1);  // Monday
    EXPECT_EQ(WeekdayOf(2000, 2, 29), 2); // Tuesday
    std::uint64_t a = TickCountMs();
    EXPECT_LE(a, TickCountMs());
}

TEST(Trace, FormatsAndCutsAtTheCapacity) {
    Trace("EvalExpr S:%d", 3);
    EXPECT_EQ(TraceBuffer(), u"EvalExpr S:3");
    Trace("CMainWnd::DbReadWeekData Select Err (ln=%d, hr=%x)", 12, 0x80004005u);
    EXPECT_EQ(TraceBuffer(), u"CMainWnd::DbReadWeekData Select Err (ln=12, hr=80004005)");
    std::string big(3000, 'y');
    Trace("%s", big.c_str());
    EXPECT_EQ(TraceBuffer().size(), kTraceCapacity);
    ClearTrace();
    EXPECT_TRUE(TraceBuffer().empty());
}

// A worker thread (the GPS source) traces into a buffer of its own: the UI thread's
// buffer, which a view may be showing, never changes under it (the thread sanitizer
// run, scripts/test --tsan, checks that nothing is shared).
TEST(Trace, WorkerThreadsTraceIntoTheirOwnBuffer) {
    Trace("ui %d", 1);
    std::u16string seenByWorker;
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i)
            Trace("w=%p m=%u la=%f lo=%f", nullptr, 33103u, 35.5 + i, 139.75);
        seenByWorker = TraceBuffer();
    });
    for (int i = 0; i < 2000; ++i)
        EXPECT_EQ(TraceBuffer(), u"ui 1");
    worker.join();
    EXPECT_EQ(seenByWorker, u"w=(nil) m=33103 la=2034.500000 lo=139.750000");
    EXPECT_EQ(TraceBuffer(), u"ui 1");
}

TEST(MessageBox, ScriptedAnswersAndDefaults) {
    ScriptedMessages messages;
    messages.Answer(IDNO);
    EXPECT_EQ(ShowMessage(nullptr, u"消しますか？", u"確認", MB_YESNO | MB_ICONQUESTION), IDNO);
    // With the script used up, the default button answers.
    EXPECT_EQ(ShowMessage(nullptr, u"a", u"b", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(ShowMessage(nullptr, u"a", u"b", MB_YESNO), IDYES);
    EXPECT_EQ(ShowMessage(nullptr, u"a", u"b", MB_OK | MB_ICONSTOP), IDOK);
    ASSERT_EQ(messages.count(), 4u);
    EXPECT_EQ(messages.shown()[0].text, u"消しますか？");
    EXPECT_EQ(messages.shown()[0].caption, u"確認");
    EXPECT_EQ(messages.shown()[0].flags, MB_YESNO | MB_ICONQUESTION);
}

TEST(MessageBox, DefaultAnswerOfEachButtonSet) {
    EXPECT_EQ(DefaultMessageAnswer(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(DefaultMessageAnswer(MB_YESNOCANCEL | MB_DEFBUTTON3), IDCANCEL);
    EXPECT_EQ(DefaultMessageAnswer(MB_RETRYCANCEL), IDRETRY);
}

} // namespace
