// The recorder's chain on a real data file with a settable clock: records and their
// closing rules, stop and restart, back, clear, delete, the history dropping entries and
// its renumbering, restarts of the program and a kill right after a tap.
#include "core/Clock.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/recorder/RecorderTestSupport.h"

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using RecorderChainTest = RecorderFixture;

std::string Text(const OptText& text) {
    return text ? ToUtf8(*text) : "<null>";
}

TEST_F(RecorderChainTest, FirstRecordAfterClearStartsAOneLineChain) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("<現在時刻>", "家", "私用", "朝")), kRecorderDone);
    ASSERT_EQ(chain.Record(Fields("<現在時刻>", "家", "私用", "朝")), kRecorderDone);
    ASSERT_EQ(chain.Clear(), kRecorderDone);
    EXPECT_FALSE(chain.open());
    EXPECT_TRUE(chain.lines().empty());

    SetFixedClock(2010, 11, 14, 9, 5, 30);
    ASSERT_EQ(chain.Record(Fields("<現在時刻>", "Office", "Work", "Desk")), kRecorderDone);
    EXPECT_EQ(Lines(chain), std::vector<std::string>{"2010/11/14 09:05::Office...::Work::Desk"});
    const std::u16string id = app.recorder.preActId;
    EXPECT_EQ(app.recorder.history.ids, std::vector<std::u16string>{id});
    EXPECT_EQ(Value("select f_i4Value from t_LongData where f_nvcItem='RcdrHistNum'"), "1");
    EXPECT_EQ(Value("select f_nchActId from t_RcdrData where f_i4SNo=0"), ToUtf8(id));
    EXPECT_EQ(Value("select f_nvcValue from t_TextData where f_nvcItem='RcdrPreActId'"), ToUtf8(id));
    EXPECT_EQ(Value("select f_nvcValue from t_TextData where f_nvcItem='RcdrPreDateTime'"), "2010/11/14 09:05:30");
    ActionRecord action = Stored(id);
    EXPECT_EQ(Text(action[ActionField::StaDateTime]), "2010/11/14 09:05:30");
    EXPECT_EQ(Text(action[ActionField::EndDateTime]), "2010/11/14 09:05:30");
    EXPECT_EQ(Text(action[ActionField::Subject]), "");
    EXPECT_EQ(Text(action[ActionField::Latitude]), "<null>");
    // The main window follows the recorder.
    EXPECT_EQ(app.selectedActionId, id);
    EXPECT_EQ(app.shownDate, (ShownDate{2010, 11, 14}));
    EXPECT_EQ(app.actionIndex.count(), 3);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(RecorderChainTest, ARecordClosesTheOpenActionWithTheMove) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    RecorderFields a = Fields("0900", "A", "c1", "c2");
    a.latitude = u"35/30/0.000000";
    a.longitude = u"139/45/0.000000";
    ASSERT_EQ(chain.Record(a), kRecorderDone);
    const std::u16string first = app.recorder.preActId;
    ASSERT_EQ(chain.Record(Fields("10:30", "B", "c1", "c2")), kRecorderDone);
    const std::u16string second = app.recorder.preActId;

    ActionRecord closed = Stored(first);
    EXPECT_EQ(Text(closed[ActionField::StaDateTime]), "2010/11/14 09:00:00");
    EXPECT_EQ(Text(closed[ActionField::EndDateTime]), "2010/11/14 10:30:00");
    EXPECT_EQ(Text(closed[ActionField::Place]), "A－＞B");
    EXPECT_EQ(Text(closed[ActionField::Latitude]), "35.500000");
    EXPECT_EQ(Text(closed[ActionField::Longitude]), "139.750000");
    ActionRecord opened = Stored(second);
    EXPECT_EQ(Text(opened[ActionField::StaDateTime]), "2010/11/14 10:30:00");
    EXPECT_EQ(Text(opened[ActionField::EndDateTime]), "2010/11/14 10:30:00");
    EXPECT_EQ(Text(opened[ActionField::Place]), "B");
    EXPECT_EQ(Lines(chain),
              (std::vector<std::string>{"2010/11/14 09:00::A－＞B::c1::c2", "2010/11/14 10:30::B...::c1::c2"}));
    EXPECT_EQ(StoredHistory(), (std::vector<std::u16string>{first, second}));
    // The index holds both in start order without a rebuild.
    ActionIndex rebuilt;
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, rebuilt), S_OK);
    EXPECT_TRUE(rebuilt == app.actionIndex);
}

// A tap is written but the index cannot be read back (here: a search condition the
// engine refuses): the chain tells it once per tap and reports it; the tap stays on
// disk. Once the condition reads again, the next tap reads the whole index instead of
// putting its action into the empty one.
TEST_F(RecorderChainTest, AnIndexThatCannotBeReadAfterATapIsToldAndReadWholeNextTime) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("0900", "A", "", "")), kRecorderDone);
    messages.Clear();
    app.searchCondition = u"no_such_column = 1";
    ASSERT_EQ(chain.Record(Fields("1000", "B", "", "")), kRecorderIndexFailed);
    ASSERT_EQ(messages.count(), 1u); // two refreshes, one message
    EXPECT_TRUE(messages.last().text.starts_with(u"アクション一覧の読込みに失敗しました。(80041001)\n"));
    EXPECT_EQ(messages.last().caption, u"データファイル読込エラー");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONSTOP);
    const std::u16string second = app.recorder.preActId;
    EXPECT_EQ(Text(Stored(second)[ActionField::Place]), "B");
    EXPECT_EQ(StoredHistory().size(), 2u);
    messages.Answer(IDYES);
    ASSERT_EQ(chain.Back(), kRecorderIndexFailed); // asks, deletes, tells
    EXPECT_EQ(messages.count(), 3u);

    app.searchCondition.clear();
    messages.Clear();
    ASSERT_EQ(chain.Record(Fields("1100", "C", "", "")), kRecorderDone);
    EXPECT_EQ(messages.count(), 0u);
    ActionIndex rebuilt;
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, rebuilt), S_OK);
    EXPECT_GT(rebuilt.count(), 1);
    EXPECT_TRUE(rebuilt == app.actionIndex);
}

TEST_F(RecorderChainTest, ClosingKeepsTheSamePlaceAndNeverEndsBeforeTheStart) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("10:00", "A")), kRecorderDone);
    const std::u16string first = app.recorder.preActId;
    ASSERT_EQ(chain.Record(Fields("11:00", "A")), kRecorderDone);
    EXPECT_EQ(Text(Stored(first)[ActionField::Place]), "A");
    EXPECT_EQ(Text(Stored(first)[ActionField::EndDateTime]), "2010/11/14 11:00:00");

    // A time typed earlier than the open action's start.
    const std::u16string second = app.recorder.preActId;
    ASSERT_EQ(chain.Record(Fields("0930", "A")), kRecorderDone);
    EXPECT_EQ(Text(Stored(second)[ActionField::EndDateTime]), "2010/11/14 11:00:00");
    EXPECT_EQ(Text(Stored(app.recorder.preActId)[ActionField::StaDateTime]), "2010/11/14 09:30:00");
}

TEST_F(RecorderChainTest, AnAllDayOpenActionStaysAllDay) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    for (const char* start : {"2010/11/13", "2010/11/20"}) {
        ASSERT_EQ(chain.Record(Fields("08:00", "X")), kRecorderDone);
        ActionRecord open = Stored(app.recorder.preActId);
        open[ActionField::StaDateTime] = FromUtf8(start) + u" 00:00:00";
        open[ActionField::EndDateTime] = FromUtf8(start) + u" 24:00:00";
        ASSERT_EQ(OpenTables()->userData->UpdateAction(open), S_OK);
        const std::u16string id = app.recorder.preActId;
        ASSERT_EQ(chain.Record(Fields("12:00", "X")), kRecorderDone);
        // The end moves to the later of its start date and today, still at 24:00:00.
        std::string later = std::string(start) > "2010/11/14" ? start : "2010/11/14";
        EXPECT_EQ(Text(Stored(id)[ActionField::EndDateTime]), later + " 24:00:00");
        EXPECT_EQ(chain.lines()[chain.lines().size() - 2], FromUtf8(start) + u" 終日::X::::");
    }
}

TEST_F(RecorderChainTest, TimeEntriesOfFourDigits) {
    std::u16string text = u"0930";
    EXPECT_EQ(CommitTimeField(nullptr, text), kRecorderDone);
    EXPECT_EQ(text, u"09:30");
    text = u"<現在時刻>";
    EXPECT_EQ(CommitTimeField(nullptr, text), kRecorderDone);
    EXPECT_EQ(text, u"<現在時刻>");
    for (const char16_t* bad : {u"2400", u"2500", u"0960", u"9:7x"}) {
        text = bad;
        messages.Clear();
        EXPECT_EQ(CommitTimeField(nullptr, text), kRecorderBadTime);
        EXPECT_EQ(text, bad);
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_EQ(messages.last().text, u"入力した時刻の値が不正です。入力値を見直してください。");
        EXPECT_EQ(messages.last().caption, u"入力値不正");
    }
    // A bad time refuses the record before anything is written.
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    EXPECT_EQ(chain.Record(Fields("2460", "A")), kRecorderBadTime);
    EXPECT_EQ(app.actionIndex.count(), 0);
    EXPECT_FALSE(chain.open());
}

TEST_F(RecorderChainTest, BackWithOneEntryStopsTheChain) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("09:00", "A")), kRecorderDone);
    const std::u16string id = app.recorder.preActId;
    messages.Answer(IDNO);
    EXPECT_EQ(chain.Back(), kRecorderDeclined);
    EXPECT_TRUE(Exists(id));
    messages.Answer(IDYES);
    ASSERT_EQ(chain.Back(), kRecorderDone);
    EXPECT_EQ(messages.last().text, u"最後のアクションを削除しますが、よろしいですか？");
    EXPECT_EQ(messages.last().flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_FALSE(Exists(id));
    EXPECT_FALSE(chain.open());
    EXPECT_TRUE(chain.lines().empty());
    EXPECT_EQ(app.actionIndex.count(), 0);
    EXPECT_EQ(Value("select f_nvcValue from t_TextData where f_nvcItem='RcdrPreActId'"), "");
    EXPECT_TRUE(StoredHistory().empty());
    EXPECT_EQ(chain.Back(), kRecorderDeclined);
    EXPECT_EQ(messages.last().text, u"これ以上、戻せません。");
}

TEST_F(RecorderChainTest, BackReopensThePreviousAction) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("09:00", "A")), kRecorderDone);
    const std::u16string first = app.recorder.preActId;
    ASSERT_EQ(chain.Record(Fields("10:30", "B")), kRecorderDone);
    ASSERT_EQ(chain.Record(Fields("11:00", "B")), kRecorderDone);
    messages.Answer({IDYES, IDYES});
    ASSERT_EQ(chain.Back(), kRecorderDone);
    ASSERT_EQ(chain.Back(), kRecorderDone);
    EXPECT_EQ(app.recorder.preActId, first);
    ActionRecord reopened = Stored(first);
    EXPECT_EQ(Text(reopened[ActionField::Place]), "A");
    EXPECT_EQ(Text(reopened[ActionField::EndDateTime]), "2010/11/14 09:00:00");
    EXPECT_EQ(Lines(chain), std::vector<std::string>{"2010/11/14 09:00::A...::::"});
    EXPECT_EQ(StoredHistory(), std::vector<std::u16string>{first});
    EXPECT_EQ(app.actionIndex.count(), 1);
}

TEST_F(RecorderChainTest, BackThatCannotDeleteChangesNothing) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("09:00", "A")), kRecorderDone);
    ASSERT_EQ(chain.Record(Fields("10:30", "B")), kRecorderDone);
    const std::vector<std::u16string> history = app.recorder.history.ids;
    const std::vector<std::string> lines = Lines(chain);
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "CREATE TEMP TRIGGER keep BEFORE DELETE ON t_UserData "
                                           "BEGIN SELECT RAISE(ABORT, 'kept'); END"),
              S_OK);
    messages.Answer(IDYES);
    EXPECT_EQ(chain.Back(), kRecorderDeleteFailed);
    EXPECT_EQ(ToUtf8(messages.last().text).rfind("CRecorderDlg::OnBtnBack Delete Err (ln=", 0), 0u);
    EXPECT_EQ(messages.last().caption, u"ERROR");
    EXPECT_EQ(app.recorder.history.ids, history);
    EXPECT_EQ(app.recorder.preActId, history.back());
    EXPECT_EQ(Lines(chain), lines);
    EXPECT_EQ(Text(Stored(history[0])[ActionField::Place]), "A－＞B");
    EXPECT_EQ(StoredHistory(), history);
}

TEST_F(RecorderChainTest, AFailedCloseOrInsertEndsTheTap) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("09:00", "A")), kRecorderDone);
    const std::u16string first = app.recorder.preActId;
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "CREATE TEMP TRIGGER frozen BEFORE UPDATE ON t_UserData "
                                           "BEGIN SELECT RAISE(ABORT, 'frozen'); END"),
              S_OK);
    EXPECT_EQ(chain.Record(Fields("10:00", "B")), kRecorderUpdateFailed);
    EXPECT_EQ(ToUtf8(messages.last().text).rfind("レコード更新エラー(", 0), 0u);
    EXPECT_EQ(messages.last().caption, u"DB更新エラー");
    EXPECT_EQ(app.actionIndex.count(), 1);
    EXPECT_EQ(app.recorder.preActId, first);
    EXPECT_EQ(Text(Stored(first)[ActionField::Place]), "A");

    // The close is kept when the insert fails; the chain stays on the closed action.
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "DROP TRIGGER frozen"), S_OK);
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "CREATE TEMP TRIGGER full BEFORE INSERT ON t_UserData "
                                           "BEGIN SELECT RAISE(ABORT, 'full'); END"),
              S_OK);
    messages.Clear();
    EXPECT_EQ(chain.Record(Fields("10:00", "B")), kRecorderInsertFailed);
    // The failure is told, once.
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(ToUtf8(messages.last().text).rfind("レコード作成エラー(", 0), 0u);
    EXPECT_EQ(messages.last().caption, u"DB更新エラー");
    EXPECT_EQ(Text(Stored(first)[ActionField::EndDateTime]), "2010/11/14 10:00:00");
    EXPECT_TRUE(app.selectedActionId.empty());
    EXPECT_EQ(StoredHistory(), std::vector<std::u16string>{first});
    EXPECT_EQ(app.actionIndex.count(), 1);
}

TEST_F(RecorderChainTest, StopThenRestartCutsTheMoveTheStopAdded) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("09:00", "A")), kRecorderDone);
    ASSERT_EQ(chain.Record(Fields("10:30", "B")), kRecorderDone);
    const std::u16string last = app.recorder.preActId;
    ASSERT_EQ(chain.Stop(Fields("11:15", "C")), kRecorderDone);
    EXPECT_FALSE(chain.open());
    EXPECT_EQ(Text(Stored(last)[ActionField::Place]), "B－＞C");
    EXPECT_EQ(Lines(chain).back(), "2010/11/14 10:30::B－＞C::::");
    EXPECT_EQ(Value("select f_nvcValue from t_TextData where f_nvcItem='RcdrPreActId'"), "");

    RestartProgram();
    RecorderChain again(app, nullptr);
    ASSERT_EQ(again.LoadOnce(), 0);
    ASSERT_EQ(again.Refill(), kRecorderDone);
    EXPECT_FALSE(again.open());
    ASSERT_EQ(again.Reopen(), kRecorderDone);
    EXPECT_TRUE(again.open());
    ActionRecord reopened = Stored(last);
    EXPECT_EQ(Text(reopened[ActionField::Place]), "B");
    EXPECT_EQ(Text(reopened[ActionField::EndDateTime]), "2010/11/14 11:15:00");
    EXPECT_EQ(Lines(again).back(), "2010/11/14 10:30::B...::::");
    EXPECT_EQ(Value("select f_nvcValue from t_TextData where f_nvcItem='RcdrPreActId'"), ToUtf8(last));

    ASSERT_EQ(again.Clear(), kRecorderDone);
    EXPECT_EQ(again.Reopen(), kRecorderDeclined);
    EXPECT_EQ(messages.last().text, u"再開する記録がありません。新規に記録を開始してください。");
}

TEST_F(RecorderChainTest, EntriesDeletedElsewhereDropOutAndTheRowsAreRenumbered) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    std::vector<std::u16string> ids;
    for (const char* time : {"08:00", "09:00", "10:00", "11:00"}) {
        ASSERT_EQ(chain.Record(Fields(time, time)), kRecorderDone);
        ids.push_back(app.recorder.preActId);
    }
    // The edit dialog deletes the second action.
    ASSERT_EQ(OpenTables()->userData->DeleteAction(ids[1]), S_OK);
    ASSERT_EQ(chain.Refill(), kRecorderDone);
    EXPECT_EQ(Lines(chain),
              (std::vector<std::string>{"2010/11/14 08:00::08:00－＞09:00::::", "2010/11/14 10:00::10:00－＞11:00::::",
                                        "2010/11/14 11:00::11:00...::::"}));
    EXPECT_EQ(Value("select f_i4Value from t_LongData where f_nvcItem='RcdrHistNum'"), "3");
    EXPECT_EQ(StoredHistory(), (std::vector<std::u16string>{ids[0], ids[2], ids[3]}));

    // Deleting the open action elsewhere stops the chain on the next refill.
    ASSERT_EQ(OpenTables()->userData->DeleteAction(ids[3]), S_OK);
    ASSERT_EQ(chain.Refill(), kRecorderDone);
    EXPECT_FALSE(chain.open());
    EXPECT_EQ(Lines(chain).back(), "2010/11/14 10:00::10:00－＞11:00::::");

    const std::vector<std::string> shown = Lines(chain);
    RestartProgram();
    RecorderChain again(app, nullptr);
    ASSERT_EQ(again.LoadOnce(), 0);
    ASSERT_EQ(again.Refill(), kRecorderDone);
    EXPECT_EQ(Lines(again), shown);
    EXPECT_FALSE(again.open());
}

TEST_F(RecorderChainTest, DeleteOfSelectedLines) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    std::vector<std::u16string> ids;
    for (const char* time : {"08:00", "09:00", "10:00", "11:00"}) {
        ASSERT_EQ(chain.Record(Fields(time, "P")), kRecorderDone);
        ids.push_back(app.recorder.preActId);
    }
    EXPECT_EQ(chain.DeleteLines({}), kRecorderDeclined);
    EXPECT_EQ(messages.last().text, u"有効なアクションが選択されていません。");
    messages.Answer(IDNO);
    EXPECT_EQ(chain.DeleteLines({2}), kRecorderDeclined);
    EXPECT_EQ(messages.last().text, u"このアクションを削除しますか？");
    EXPECT_TRUE(Exists(ids[2]));

    messages.Answer(IDYES);
    ASSERT_EQ(chain.DeleteLines({0, 2}), kRecorderDone);
    EXPECT_EQ(messages.last().text, u"これらの 2個のアクションを削除しますか？");
    EXPECT_EQ(messages.last().caption, u"アクションの削除の確認");
    EXPECT_FALSE(Exists(ids[0]));
    EXPECT_FALSE(Exists(ids[2]));
    EXPECT_EQ(app.recorder.history.ids, (std::vector<std::u16string>{ids[1], ids[3]}));
    EXPECT_EQ(StoredHistory(), app.recorder.history.ids);
    EXPECT_EQ(app.actionIndex.count(), 2);
    EXPECT_TRUE(chain.open());

    // The open action itself.
    messages.Answer(IDYES);
    ASSERT_EQ(chain.DeleteLines({1}), kRecorderDone);
    EXPECT_FALSE(chain.open());
    EXPECT_EQ(Lines(chain), std::vector<std::string>{"2010/11/14 09:00::P::::"});

    // A delete that fails stops at the first failure and shows the trace.
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "CREATE TEMP TRIGGER keep BEFORE DELETE ON t_UserData "
                                           "BEGIN SELECT RAISE(ABORT, 'kept'); END"),
              S_OK);
    messages.Answer(IDYES);
    EXPECT_EQ(chain.DeleteLines({0}), kRecorderDeleteFailed);
    EXPECT_EQ(ToUtf8(messages.last().text).rfind("CRecorderDlg::FxBtnDelete Delete Err (ln=", 0), 0u);
    EXPECT_EQ(chain.lines().size(), 1u);
}

TEST_F(RecorderChainTest, OpeningALineChecksTheSearchResult) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("09:00", "A")), kRecorderDone);
    ASSERT_EQ(chain.Record(Fields("10:00", "B")), kRecorderDone);
    EXPECT_EQ(chain.PositionOfLine(1), 1);
    EXPECT_EQ(app.selectedActionId, app.recorder.history.ids[1]);
    app.searchCondition = u"f_nvcPlace = 'B'";
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, app.actionIndex, app.searchCondition), S_OK);
    EXPECT_EQ(chain.PositionOfLine(0), -1);
    EXPECT_EQ(messages.last().caption, u"検索対象外");
    EXPECT_EQ(chain.PositionOfLine(1), 0);
}

TEST_F(RecorderChainTest, PlacesWithTheSeparatorAreNotRemembered) {
    app.settings.lists = PickLists{};
    RememberRecorderValue(app, RecorderPick::Place, u"A－＞B");
    RememberRecorderValue(app, RecorderPick::Category1, u"仕事");
    EXPECT_EQ(app.settings.lists.Place, std::vector<std::u16string>{u"A－＞B"});
    app.settings.NoMemPlaceSepaStr = 1;
    RememberRecorderValue(app, RecorderPick::Place, u"C－＞D");
    RememberRecorderValue(app, RecorderPick::Place, u"E");
    EXPECT_EQ(app.settings.lists.Place, (std::vector<std::u16string>{u"E", u"A－＞B"}));
    EXPECT_EQ(app.settings.lists.Category1.front(), u"仕事");
}

// A tap writes its actions, history and open action in one commit before it returns,
// so a kill right after it loses nothing the recorder showed.
TEST_F(RecorderChainTest, KillRightAfterATapKeepsTheShownChain) {
    RecorderChain chain(app, nullptr);
    ASSERT_EQ(chain.LoadOnce(), 0);
    ASSERT_EQ(chain.Record(Fields("08:00", "A")), kRecorderDone);
    ASSERT_EQ(chain.Record(Fields("09:00", "B")), kRecorderDone);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeEnds[0]);
        // The child makes its own connection, as a running program has.
        CloseDataFile();
        if (OpenDataFile(app.settings.DataFile) != S_OK) _exit(1);
        chain.Record(Fields("10:15", "C", "k"));
        std::string shown;
        for (const std::u16string& line : chain.lines())
            shown += ToUtf8(line) + "\n";
        shown += ToUtf8(app.recorder.preActId) + "\n";
        (void)!write(pipeEnds[1], shown.data(), shown.size());
        kill(getpid(), SIGKILL);
    }
    close(pipeEnds[1]);
    std::string shown;
    char buffer[512];
    ssize_t n;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0)
        shown.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

    // The restart: this process's connection is dropped without saving anything.
    CloseDataFile();
    app.recorder = RecorderState{};
    ASSERT_EQ(OpenDataFile(app.settings.DataFile), S_OK);
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, app.actionIndex), S_OK);
    RecorderChain again(app, nullptr);
    ASSERT_EQ(again.LoadOnce(), 0);
    ASSERT_EQ(again.Refill(), kRecorderDone);
    std::string read;
    for (const std::string& line : Lines(again))
        read += line + "\n";
    read += ToUtf8(app.recorder.preActId) + "\n";
    EXPECT_EQ(read, shown);
    EXPECT_EQ(Lines(again).back(), "2010/11/14 10:15::C...::k::");
    EXPECT_EQ(app.recorder.preDate + u" " + app.recorder.preTime, u"2010/11/14 10:15:00");
    EXPECT_EQ(app.actionIndex.count(), 3);
}

TEST_F(RecorderChainTest, AFailedLoadIsToldAndTriedAgain) {
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "DROP TABLE t_RcdrData"), S_OK);
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "UPDATE t_LongData SET f_i4Value=2 WHERE f_nvcItem='RcdrHistNum'"), S_OK);
    RecorderChain chain(app, nullptr);
    EXPECT_EQ(chain.LoadOnce(), -1);
    EXPECT_EQ(messages.last().text, u"レコーダーデータ読込み中にエラーが発生しました。(-1)");
    EXPECT_EQ(messages.last().caption, u"読込みエラー");
    EXPECT_FALSE(app.recorder.loaded);
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "CREATE TABLE t_RcdrData (f_i4SNo int, f_nchActId NCHAR(18))"), S_OK);
    EXPECT_EQ(chain.LoadOnce(), 0);
    EXPECT_TRUE(app.recorder.loaded);
}

} // namespace
