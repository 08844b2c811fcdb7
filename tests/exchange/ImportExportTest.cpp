// Import and export through real files and a real data file: bytes on disk, round
// trips of each layout, every refusal with its line and code, and the outcome of
// failures.
#include "tests/exchange/ExchangeTestSupport.h"

#include "core/Clock.h"
#include "core/Cp932.h"
#include "core/DateTimeText.h"
#include "core/Progress.h"
#include "core/Utf.h"
#include "exchange/ExportActions.h"
#include "exchange/ImportActions.h"
#include "exchange/IndexedActions.h"

#include <sqlite3.h>

#include "tests/support/CommaLocale.h"

#include <filesystem>

using namespace ActionField;

namespace {

constexpr unsigned kStop = MB_OK | MB_ICONSTOP;

std::string Cp(const char* utf8) {
    return ToCp932(FromUtf8(utf8));
}

class CountingProgress : public ProgressSink {
public:
    CountingProgress() { SetProgressSink(this); }
    ~CountingProgress() override { SetProgressSink(nullptr); }
    void Start(std::u16string_view, std::int64_t total) override { starts.push_back(total); }
    void Step(std::int64_t done) override { steps.push_back(done); }
    void Finish() override { ++finishes; }
    std::vector<std::int64_t> starts, steps;
    int finishes = 0;
};

} // namespace

using ExportTest = ExchangeFixture;
using ImportTest = ExchangeFixture;

TEST_F(ExportTest, Ver3FileHoldsHeaderAndCp932LinesWithCrLf) {
    std::u16string late = Add("2010/11/14 10:00:00", "2010/11/14 11:00:00", "会議", "a\r\nb");
    ActionRecord r;
    r[StaDateTime] = u"2010/11/14 00:00:00";
    r[EndDateTime] = u"2010/11/14 24:00:00";
    r[Latitude] = u"35.5";
    r[Longitude] = u"139.75";
    r[Place] = u"東京";
    r[ExtItems] = u"n:string:\"N\":\"v\":";
    ASSERT_EQ(Table().InsertAction(r), S_OK);
    ASSERT_EQ(RebuildActionIndex(Table(), index), S_OK);
    std::u16string early = *r[ActId];

    std::string path = dir.file("out.csv");
    EXPECT_EQ(RunExportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3), 2);
    std::string expected =
        "ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\t"
        "Category1\tCategory2\tMemo\tExtItems\r\n" +
        ToUtf8(early) + "\t2010/11/14 09:05:03\t2010/11/14 00:00:00\t2010/11/14 24:00:00\t35.500000\t139.750000\t\t" +
        Cp("東京") + "\t\t\t\"\"\tn:string:\"N\":\"v\":\r\n" + ToUtf8(late) +
        "\t2010/11/14 09:05:03\t2010/11/14 10:00:00\t2010/11/14 11:00:00\t\t\t\x89\xef\x8b\x63\t\t\t"
        "\t\"a\\r\\nb\"\t\r\n";
    EXPECT_EQ(TempDir::ReadBytes(path), expected);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text, u"エクスポートが完了しました。");
    EXPECT_EQ(messages.last().caption, u"エクスポート完了");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);
}

TEST_F(ExportTest, Ver1AndVer2KeepTheirFieldsAndDropLineBreaks) {
    std::u16string id = Add("2010/11/14 09:05:30", "2010/11/14 10:00:00", "件名", "a\r\nb");
    std::string path = dir.file("v.csv");
    EXPECT_EQ(ExportActions(Target(), FromUtf8(path), ExchangeLayout::Ver1), 1);
    EXPECT_EQ(TempDir::ReadBytes(path), "2010/11/14\t09:05\t2010/11/14\t10:00\t\t\t\tab\r\n");
    EXPECT_EQ(ExportActions(Target(), FromUtf8(path), ExchangeLayout::Ver2), 1);
    EXPECT_EQ(TempDir::ReadBytes(path), ToUtf8(id) + "\t2010/11/14\t09:05:30\t2010/11/14\t10:00:00\t\t\t\tab\r\n");
}

TEST_F(ExportTest, EmptySearchResultWritesHeaderOnlyAndSearchLimitsTheRows) {
    Add("2010/11/14 09:00:00", "2010/11/14 10:00:00", "keep");
    Add("2010/11/15 09:00:00", "2010/11/15 10:00:00", "other");
    ASSERT_EQ(RebuildActionIndex(Table(), index, u"f_nvcSubject = 'none'"), S_OK);
    std::string path = dir.file("empty.csv");
    EXPECT_EQ(ExportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3), 0);
    EXPECT_EQ(TempDir::ReadBytes(path), ToUtf8(Ver3HeaderLine()) + "\r\n");
    EXPECT_EQ(ExportActions(Target(), FromUtf8(path), ExchangeLayout::Ver2), 0);
    EXPECT_EQ(TempDir::ReadBytes(path), "");

    ASSERT_EQ(RebuildActionIndex(Table(), index, u"f_nvcSubject = 'keep'"), S_OK);
    EXPECT_EQ(ExportActions(Target(u"f_nvcSubject = 'keep'"), FromUtf8(path), ExchangeLayout::Ver1), 1);
    EXPECT_EQ(TempDir::ReadBytes(path), "2010/11/14\t09:00\t2010/11/14\t10:00\t\t\t\t\r\n");
}

TEST_F(ExportTest, RowsAreExactlyThoseOfTheIndexEvenWhenItWasBuiltOtherwise) {
    Add("2010/11/14 09:00:00", "2010/11/14 10:00:00", "a");
    Add("2010/11/15 09:00:00", "2010/11/15 10:00:00", "b");
    Add("2010/11/16 09:00:00", "2010/11/16 10:00:00", "a");
    {
        IndexedActions rows(Table(), index, {});
        ActionRecord r;
        for (long long i = 0; i < index.count(); ++i) {
            ASSERT_EQ(rows.ReadNext(r), S_OK);
            EXPECT_EQ(r[ActId], index.IdAt(i));
        }
        EXPECT_EQ(rows.lookups(), 0); // one scan served them all
    }
    // The index holds the search result but the caller names no search: the scan
    // runs out of step and the rows come by lookup, still those of the index.
    ASSERT_EQ(RebuildActionIndex(Table(), index, u"f_nvcSubject = 'b'"), S_OK);
    std::string path = dir.file("b.csv");
    EXPECT_EQ(ExportActions(Target(), FromUtf8(path), ExchangeLayout::Ver1), 1);
    EXPECT_EQ(TempDir::ReadBytes(path), "2010/11/15\t09:00\t2010/11/15\t10:00\t\t\t\t\r\n");
    IndexedActions rows(Table(), index, {});
    ActionRecord r;
    ASSERT_EQ(rows.ReadNext(r), S_OK);
    EXPECT_EQ(r[Subject], u"b");
    EXPECT_EQ(rows.lookups(), 1);
}

TEST_F(ExportTest, FailuresAreToldAndNeverCountAsDone) {
    Add("2010/11/14 09:00:00", "2010/11/14 10:00:00", "s");
    // A device that takes no bytes: the loss shows when the buffer is flushed.
    EXPECT_EQ(RunExportActions(Target(), u"/dev/full", ExchangeLayout::Ver3), -1);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].text,
              u"ファイル/dev/fullの書込みに失敗(-1)しました。メモリの空き容量を確認してください。");
    EXPECT_EQ(messages.shown()[0].caption, u"書込みエラー");
    EXPECT_EQ(messages.shown()[0].flags, kStop);
    EXPECT_EQ(messages.shown()[1].text, u"エクスポートに失敗しました。(-1)");
    EXPECT_EQ(messages.shown()[1].caption, u"エクスポート失敗");
    EXPECT_EQ(messages.shown()[1].flags, kStop);

    messages.Clear();
    std::u16string missing = FromUtf8(dir.file("no/such/folder.csv"));
    EXPECT_EQ(ExportActions(Target(), missing, ExchangeLayout::Ver3), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              u"ファイル" + missing + u"のオープンに失敗しました。ファイル名を見直してください。");
    EXPECT_EQ(messages.last().caption, u"オープンエラー");

    // An action of the index that is gone from the table would be silently missing.
    messages.Clear();
    ASSERT_EQ(Table().DeleteAction(index.IdAt(0)), S_OK);
    EXPECT_EQ(ExportActions(Target(), FromUtf8(dir.file("x.csv")), ExchangeLayout::Ver3), -1);
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().caption, u"ERROR");
    EXPECT_NE(messages.last().text.find(u"80040e19"), std::u16string::npos);
}

TEST_F(ExportTest, ReportsProgressAboutEveryThousandRows) {
    for (int i = 0; i < 2500; ++i)
        index.Append(u"ID2010111409050300", u"2010/11/14 09:00:00");
    Add("2010/11/14 09:00:00", "2010/11/14 10:00:00", "s"); // rebuilds: one real action
    for (int i = 1; i < 2500; ++i)
        index.Append(index.IdAt(0), index.StartAt(0));
    CountingProgress progress;
    EXPECT_EQ(ExportActions(Target(), FromUtf8(dir.file("p.csv")), ExchangeLayout::Ver2), 2500);
    EXPECT_EQ(progress.starts, std::vector<std::int64_t>{2500});
    EXPECT_EQ(progress.steps, (std::vector<std::int64_t>{0, 1000, 2000}));
    EXPECT_EQ(progress.finishes, 1);
}

TEST_F(ImportTest, RoundTripOfEachLayoutThroughAFile) {
    std::u16string memo = u"\\ \" ' \t \r \n \x01 x";
    Add("2010/11/14 00:00:00", "2010/11/14 24:00:00", "終日", nullptr);
    ActionRecord full;
    full[StaDateTime] = u"2010/11/14 09:05:30";
    full[EndDateTime] = u"2010/11/14 10:00:00";
    full[Latitude] = u"-35.123456";
    full[Longitude] = u"139.5";
    full[Subject] = u"件名";
    full[Place] = u"場所";
    full[Category1] = u"c1";
    full[Category2] = u"c2";
    full[Memo] = memo;
    full[ExtItems] = u"k:int:\"K\":3:";
    ASSERT_EQ(Table().InsertAction(full), S_OK);
    ASSERT_EQ(RebuildActionIndex(Table(), index), S_OK);
    std::vector<ActionRecord> before(2);
    ASSERT_EQ(Table().ReadActionById(index.IdAt(0), before[0]), S_OK);
    ASSERT_EQ(Table().ReadActionById(index.IdAt(1), before[1]), S_OK);

    for (ExchangeLayout layout : {ExchangeLayout::Ver1, ExchangeLayout::Ver2, ExchangeLayout::Ver3}) {
        SCOPED_TRACE(static_cast<int>(layout));
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "delete from t_UserData"), S_OK);
        for (ActionRecord r : before)
            ASSERT_EQ(Table().InsertAction(r), S_OK);
        ASSERT_EQ(RebuildActionIndex(Table(), index), S_OK);
        std::u16string path = FromUtf8(dir.file("round.csv"));
        ASSERT_EQ(ExportActions(Target(), path, layout), 2);
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "delete from t_UserData"), S_OK);
        SetFixedClock(2011, 1, 2, 3, 4, 5);
        ASSERT_EQ(ImportActions(Target(), path, layout, ImportMode::Replace), ImportResult::Done);
        SetFixedClock(2010, 11, 14, 9, 5, 3);
        ASSERT_EQ(index.count(), 2);
        for (int i = 0; i < 2; ++i) {
            ActionRecord back;
            ASSERT_EQ(Table().ReadActionById(index.IdAt(i), back), S_OK);
            ActionRecord want = before[static_cast<size_t>(i)];
            want[LastUpdate] = u"2011/01/02 03:04:05";
            if (layout != ExchangeLayout::Ver3) {
                want[Subject] = u"";
                want[Latitude] = want[Longitude] = want[ExtItems] = std::nullopt;
                for (int f : {Place, Category1, Category2, Memo})
                    if (!want[f]) want[f] = u"";
                want[Memo] = StripLineBreaks(*want[Memo]);
            } else {
                want[Place] = want[Place].value_or(u"");
                want[Category1] = want[Category1].value_or(u"");
                want[Category2] = want[Category2].value_or(u"");
                want[Memo] = want[Memo].value_or(u"");
                want[ExtItems] = want[ExtItems].value_or(u"");
            }
            if (layout == ExchangeLayout::Ver1) {
                EXPECT_NE(back[ActId], want[ActId]); // added under a new identifier
                want[ActId] = back[ActId];
                want[StaDateTime] = want[StaDateTime]->substr(0, 16) + u":00";
            }
            if (layout == ExchangeLayout::Ver1 || layout == ExchangeLayout::Ver2)
                want[Memo] = [&] { // a tab in the memo becomes a blank in the layouts without quoting
                    std::u16string m = *want[Memo];
                    for (char16_t& c : m)
                        if (c == u'\t') c = u' ';
                    return m;
                }();
            for (int f = 0; f < Count; ++f)
                EXPECT_EQ(back[f], want[f]) << "row " << i << " field " << f;
        }
    }
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ImportTest, RefusedLinesStopWithTheirMessageAndWriteNothing) {
    const std::string head = ToUtf8(Ver3HeaderLine()) + "\r\n";
    const std::string ok3 = "ID2010111409050300\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t\r\n";
    struct Case {
        ExchangeLayout layout;
        std::string bytes;
        std::u16string message;
    } cases[] = {
        {ExchangeLayout::Ver3, head + ok3 + "ID2010111409050300\t\t2010/11/14 09:00:00\r\n",
         u"2 行目には開始または終了日時がありません。\nインポートを中止します。"},
        {ExchangeLayout::Ver3, head + ok3 + ok3 + "ID2010111409050300\t\t2010/11/14 10:00:00\t2010/11/14 09:00:00\t",
         u"3 行目の値が不正です。(-106)\nインポートを中止します。"},
        {ExchangeLayout::Ver3, head + "ID2010111409050300\t\t2010/11/14 10:00:00\t2010/11/14 24:00:00\t\r\n",
         u"1 行目の値が不正です。(-105)\nインポートを中止します。"},
        {ExchangeLayout::Ver3, head + "\t\t2010/11/14 10:00:00\t2010/11/14 11:0\t\r\n",
         u"1 行目の値が不正です。(-110)\nインポートを中止します。"},
        {ExchangeLayout::Ver3, head + "\t\t2010/11/14 10:00:00\t2010/11/14 11:00:00\t\r\n",
         u"1 行目のアクションIDの値が不正です。(-1)\nインポートを中止します。"},
        {ExchangeLayout::Ver3, head + ok3 + "ID20101114\t\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t\r\n",
         u"2 行目のアクションIDの値が不正です。(-1)\nインポートを中止します。"},
        {ExchangeLayout::Ver2, "XX2010111409050300\t2010/11/14\t09:00:00\t2010/11/14\t10:00:00\t\t\r\n",
         u"1 行目のアクションIDの値が不正です。(-2)\nインポートを中止します。"},
        {ExchangeLayout::Ver2, "ID2010111409050300\t2010/11/14\t09:00:00\t2010/11/14\r\n",
         u"1 行目には開始または終了日時がありません。\nインポートを中止します。"},
        {ExchangeLayout::Ver1,
         "2010/11/14\t09:00\t2010/11/14\t10:00\tp\tc\n2010/11/31\t09:00\t2010/12/01\t10:00\tp\tc\n",
         u"2 行目の値が不正です。(-101)\nインポートを中止します。"},
        {ExchangeLayout::Ver1, "2010/11/14\t09:00\t2010/11/14\t10:00\tp\r\n",
         u"1 行目には開始または終了日時がありません。\nインポートを中止します。"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n++);
        messages.Clear();
        std::string path = dir.file("bad.csv");
        TempDir::WriteBytes(path, c.bytes);
        EXPECT_EQ(RunImportActions(Target(), FromUtf8(path), c.layout, ImportMode::Replace), ImportResult::LineRefused);
        ASSERT_EQ(messages.count(), 2u);
        EXPECT_EQ(messages.shown()[0].text, c.message);
        EXPECT_EQ(messages.shown()[0].caption, u"インポート中止");
        EXPECT_EQ(messages.shown()[0].flags, kStop);
        EXPECT_EQ(messages.shown()[1].text, u"インポートに失敗しました。");
        EXPECT_EQ(messages.shown()[1].caption, u"インポート失敗");
        EXPECT_EQ(Rows(), 0);
    }
}

TEST_F(ImportTest, ForeignFileWithOtherLineEndsImportsUpToTheFirstEmptyLine) {
    // Written by another program: LF and lone CR line ends, extra fields, no line end
    // at the last line, commas inside fields.
    std::string bytes = Cp("2010/11/14\t09:05\t2010/11/14\t10:00\t渋谷,駅\t仕事\t\tメモ①\textra\tmore\n") +
                        "2010/11/15\t00:00\t2010/11/15\t24:00\tp\tc1\r" + "2010/11/16\t23:00\t2010/11/16\t23:59\tp\tc1";
    std::string path = dir.file("foreign.txt");
    TempDir::WriteBytes(path, bytes);
    EXPECT_EQ(RunImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver1, ImportMode::Replace),
              ImportResult::Done);
    ASSERT_EQ(index.count(), 3);
    ActionRecord r;
    ASSERT_EQ(Table().ReadActionById(index.IdAt(0), r), S_OK);
    EXPECT_EQ(r[StaDateTime], u"2010/11/14 09:05:00");
    EXPECT_EQ(r[Place], u"渋谷,駅");
    EXPECT_EQ(r[Category1], u"仕事");
    EXPECT_EQ(r[Memo], u"メモ①");
    ASSERT_EQ(Table().ReadActionById(index.IdAt(1), r), S_OK);
    EXPECT_EQ(r[EndDateTime], u"2010/11/15 24:00:00");
    ASSERT_EQ(Table().ReadActionById(index.IdAt(2), r), S_OK);
    EXPECT_EQ(r[EndDateTime], u"2010/11/16 23:59:00");
    EXPECT_EQ(messages.last().text, u"インポートが完了しました。");
    EXPECT_EQ(messages.last().caption, u"インポート完了");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONINFORMATION);

    // A blank line ends the file: the bad line after it is never read.
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "delete from t_UserData"), S_OK);
    TempDir::WriteBytes(path, "2010/11/14\t09:05\t2010/11/14\t10:00\tp\tc\r\n\r\nnot a line\r\n");
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver1, ImportMode::Add), ImportResult::Done);
    EXPECT_EQ(Rows(), 1);
    // A header only, or nothing at all, is an import of no rows.
    TempDir::WriteBytes(path, ToUtf8(Ver3HeaderLine()));
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, ImportMode::Add), ImportResult::Done);
    TempDir::WriteBytes(path, "");
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, ImportMode::Add), ImportResult::Done);
    EXPECT_EQ(Rows(), 1);
}

TEST_F(ImportTest, ReplaceUpdatesExistingAndInsertsNewIdentifiers) {
    std::u16string existing = Add("2010/11/14 09:00:00", "2010/11/14 10:00:00", "old", "old memo");
    std::string path = dir.file("r.csv");
    // The second identifier holds quotes and SQL: with bound values it is only data.
    std::string odd = "ID'); drop table--";
    ASSERT_EQ(odd.size(), 18u);
    TempDir::WriteBytes(path, ToUtf8(existing) + "\t2010/11/14\t11:00:00\t2010/11/14\t12:00:00\tnew\tc1\tc2\tm\r\n" +
                                  odd + "\t2010/11/15\t08:00:00\t2010/11/15\t09:00:00\tq\t\t\t\r\n");
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver2, ImportMode::Replace), ImportResult::Done);
    EXPECT_EQ(Rows(), 2);
    ActionRecord r;
    ASSERT_EQ(Table().ReadActionById(existing, r), S_OK);
    EXPECT_EQ(r[StaDateTime], u"2010/11/14 11:00:00");
    EXPECT_EQ(r[Subject], u"");
    EXPECT_EQ(r[Place], u"new");
    EXPECT_EQ(r[Memo], u"m");
    ASSERT_EQ(Table().ReadActionById(FromUtf8(odd), r), S_OK);
    EXPECT_EQ(r[Place], u"q");
    EXPECT_EQ(index.count(), 2);
    EXPECT_EQ(index.IdAt(1), FromUtf8(odd));

    // Add mode ignores the file's identifiers and adds both again.
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver2, ImportMode::Add), ImportResult::Done);
    EXPECT_EQ(Rows(), 4);
    EXPECT_EQ(Value("select count(distinct f_nchActId) from t_UserData"), "4");
    EXPECT_EQ(index.count(), 4);
}

TEST_F(ImportTest, OpenAndReadFailuresWriteNothing) {
    std::u16string missing = FromUtf8(dir.file("missing.csv"));
    EXPECT_EQ(ImportActions(Target(), missing, ExchangeLayout::Ver3, ImportMode::Add), ImportResult::OpenFailed);
    EXPECT_EQ(messages.last().text,
              u"ファイル " + missing + u" のオープンに失敗しました。ファイル名を見直してください。");
    EXPECT_EQ(messages.last().caption, u"オープンエラー");
    EXPECT_EQ(ImportActions(Target(), missing, ExchangeLayout::Ver3, ImportMode::Replace), ImportResult::OpenFailed);
    EXPECT_EQ(messages.last().text,
              u"ファイル" + missing + u"のオープンに失敗しました。ファイル名を見直してください。");
    // Ver.1 is always added, so it words the message of add mode.
    EXPECT_EQ(ImportActions(Target(), missing, ExchangeLayout::Ver1, ImportMode::Replace), ImportResult::OpenFailed);
    EXPECT_EQ(messages.last().text.substr(0, 5), u"ファイル ");

    // The front end checks first: a missing file and a folder are refused by name.
    messages.Clear();
    for (const std::u16string& name : {missing, FromUtf8(dir.path())}) {
        EXPECT_EQ(RunImportActions(Target(), name, ExchangeLayout::Ver3, ImportMode::Add), ImportResult::NoSuchFile);
        EXPECT_EQ(messages.last().text,
                  u"指定されたファイル" + name + u"が存在しません。ファイル名を見直してください。");
        EXPECT_EQ(messages.last().caption, u"ファイル名不正");
        EXPECT_EQ(messages.last().flags, kStop);
    }
    EXPECT_EQ(messages.count(), 2u);

    // Reading fails (a folder opens but cannot be read): nothing is written and the
    // import is not reported as done.
    messages.Clear();
    EXPECT_EQ(ImportActions(Target(), FromUtf8(dir.path()), ExchangeLayout::Ver2, ImportMode::Add),
              ImportResult::ReadFailed);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(messages.count(), 0u);
}

TEST_F(ImportTest, ProgressAndBatchesCoverEveryRow) {
    std::string bytes;
    for (int i = 0; i < 2345; ++i)
        bytes += "2010/11/14\t09:00\t2010/11/14\t10:00\tp\tc\r\n";
    std::string path = dir.file("many.csv");
    TempDir::WriteBytes(path, bytes);
    CountingProgress progress;
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver1, ImportMode::Add, ImportTuning{1000}),
              ImportResult::Done);
    EXPECT_EQ(Rows(), 2345);
    EXPECT_EQ(index.count(), 2345);
    EXPECT_EQ(progress.starts, (std::vector<std::int64_t>{-1, 2345}));
    EXPECT_EQ(progress.steps, (std::vector<std::int64_t>{1000, 2000, 0, 1000, 2000}));
    EXPECT_EQ(progress.finishes, 2);
    EXPECT_EQ(Value("select count(distinct f_nchActId) from t_UserData"), "2345");
}

// Into an empty data file the rows go through the bulk insert and identifiers are
// answered from what the import wrote: a repeated identifier must still replace
// its first row, and the rows must be stored as a single insert stores them.
TEST_F(ImportTest, IntoAnEmptyFileRowsAreStoredAsSingleInsertsWouldStoreThem) {
    EXPECT_EQ(Table().LongestActionSeconds(), 0);
    std::u16string subject(100, u'a');
    subject += u"bc"; // beyond the column's 100 units: cut
    std::string line1 = "ID2010111409050301\t\t2010/11/14 09:00:00\t2010/11/14 12:00:00\t35.5\tabc\t" +
                        ToUtf8(subject) + "\t場所\tc1\tc2\t\"m\\tx\"\text\r\n";
    std::string line2 = "ID2010111409050302\t\t2010/11/14 08:00:00\t2010/11/14 08:30:00\t-1e2\t139\tb\r\n";
    std::string line3 = "ID2010111409050301\t\t2010/11/14 10:00:00\t2010/11/14 11:00:00\t\t\tagain\r\n";
    std::string path = dir.file("empty.csv");
    TempDir::WriteBytes(path, Cp(("h\r\n" + line1 + line2).c_str()));
    ASSERT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, ImportMode::Replace), ImportResult::Done);
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(Table().LongestActionSeconds(), 3 * 3600);
    ActionRecord r;
    ASSERT_EQ(Table().ReadActionById(u"ID2010111409050301", r), S_OK);
    EXPECT_EQ(r[LastUpdate], u"2010/11/14 09:05:03");
    EXPECT_EQ(r[Latitude], u"35.500000");
    EXPECT_EQ(r[Longitude], std::nullopt);
    EXPECT_EQ(r[Subject], std::u16string(100, u'a'));
    EXPECT_EQ(r[Memo], u"m\tx");
    EXPECT_EQ(r[ExtItems], u"ext");
    EXPECT_EQ(Value("select typeof(f_fltLatitude) || ' ' || f_dtLastUpdate from t_UserData limit 1"),
              "real 2010-11-14 09:05:03");
    ASSERT_EQ(Table().ReadActionById(u"ID2010111409050302", r), S_OK);
    EXPECT_EQ(r[Latitude], u"-100.000000");
    EXPECT_EQ(r[Place], u"");
    EXPECT_EQ(r[Memo], u""); // no memo field: an empty memo, as a single insert stores it

    // A second import into a file that now has rows, repeating the first identifier,
    // and a file that repeats one identifier into an empty file: the later line wins.
    TempDir::WriteBytes(path, Cp(("h\r\n" + line3).c_str()));
    ASSERT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, ImportMode::Replace), ImportResult::Done);
    EXPECT_EQ(Rows(), 2);
    ASSERT_EQ(Table().ReadActionById(u"ID2010111409050301", r), S_OK);
    EXPECT_EQ(r[Subject], u"again");
    ASSERT_EQ(sqlite3_exec(OpenTables()->db, "delete from t_UserData", nullptr, nullptr, nullptr), SQLITE_OK);
    TempDir::WriteBytes(path, Cp(("h\r\n" + line1 + line2 + line3).c_str()));
    ASSERT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, ImportMode::Replace), ImportResult::Done);
    EXPECT_EQ(Rows(), 2);
    ASSERT_EQ(Table().ReadActionById(u"ID2010111409050301", r), S_OK);
    EXPECT_EQ(r[Subject], u"again");
    EXPECT_EQ(r[StaDateTime], u"2010/11/14 10:00:00");
    EXPECT_EQ(index.count(), 2);
    EXPECT_EQ(messages.count(), 0u);
}

// Into an empty table with distinct identifiers (and always in add mode) the rows are
// written before the table's two indexes, which are made again before the commit: the
// file must end with the very schema a new data file has and indexes that agree with
// the rows, also when a row fails half way (the rows before it stay, the failing line
// and those after it are not written), and a refused line still writes nothing.
TEST_F(ImportTest, IntoAnEmptyTableTheIndexesAreMadeAgainWholeAlsoAfterAFailedRow) {
    const std::string schema = "select group_concat(name || ':' || sql, '|') from (select name, sql from "
                               "sqlite_master where tbl_name = 't_UserData' and type <> 'trigger' order by name)";
    const std::string before = Value(schema);
    ASSERT_NE(before.find("i_UserDataSta"), std::string::npos);
    auto line = [](int i, const char* subject, int hour = 9) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "ID20101114%02d%04d%02d\t\t2010/11/%02d 09:00:00\t2010/11/%02d 10:00:00\t\t\t%s\r\n", hour,
                      (i * 7919) % 10000, i % 100, 1 + i % 28, 1 + i % 28, subject);
        return std::string(text);
    };
    std::string rows;
    for (int i = 0; i < 3000; ++i)
        rows += line(i, "s"); // identifiers out of order, all distinct
    std::string path = dir.file("in.csv");
    auto check = [&](long long expected) {
        EXPECT_EQ(Rows(), expected);
        EXPECT_EQ(Value(schema), before);
        EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
        EXPECT_EQ(Value("select count(*) from t_UserData indexed by i_UserData where f_nchActId >= ''"),
                  std::to_string(expected));
        EXPECT_EQ(Value("select count(*) from t_UserData indexed by i_UserDataSta where f_nchStaDateTime >= ''"),
                  std::to_string(expected));
        EXPECT_EQ(index.count(), expected);
    };
    for (ImportMode mode : {ImportMode::Replace, ImportMode::Add}) {
        SCOPED_TRACE(static_cast<int>(mode));
        TempDir::WriteBytes(path, "h\r\n" + rows);
        ASSERT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, mode), ImportResult::Done);
        check(3000);
        ActionRecord r;
        if (mode == ImportMode::Replace) {
            ASSERT_EQ(Table().ReadActionById(u"ID2010111409791901", r), S_OK);
            EXPECT_EQ(r[StaDateTime], u"2010/11/02 09:00:00");
        }
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "delete from t_UserData"), S_OK);
    }

    // A line that fails its checks at the end: nothing at all is written.
    TempDir::WriteBytes(path, "h\r\n" + rows + "ID2010111409050300\t\t2010/11/14 09:00:00\r\n");
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, ImportMode::Replace),
              ImportResult::LineRefused);
    EXPECT_EQ(Rows(), 0);
    EXPECT_EQ(Value(schema), before);

    // The engine refuses row 2,001 (a trigger stands in for any failing write): the
    // 2,000 rows before it stay, committed with both indexes whole.
    ASSERT_EQ(ExecuteSql(OpenTables()->db, "create trigger refuse before insert on t_UserData when "
                                           "new.f_nvcSubject = 'refused' begin select raise(abort, 'no'); end"),
              S_OK);
    std::string failing = rows.substr(0, rows.size() / 3 * 2) + line(0, "refused", 23) + line(1, "after", 23);
    for (ImportMode mode : {ImportMode::Replace, ImportMode::Add}) {
        SCOPED_TRACE(static_cast<int>(mode));
        messages.Clear();
        TempDir::WriteBytes(path, "h\r\n" + failing);
        EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, mode), ImportResult::WriteFailed);
        ASSERT_EQ(messages.count(), 1u);
        EXPECT_TRUE(messages.shown()[0].text.ends_with(u")\nインポートを中止します。"));
        EXPECT_EQ(Value("select count(*) from t_UserData where f_nvcSubject <> 's'"), "0");
        check(2000);
        ASSERT_EQ(ExecuteSql(OpenTables()->db, "delete from t_UserData"), S_OK);
    }
}

TEST_F(ImportTest, AHundredThousandLinesAddedWithUniqueIdentifiers) {
    std::string bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "2010/11/14\t09:00\t2010/11/14\t10:00\tp\tc\r\n";
    std::string path = dir.file("big.csv");
    TempDir::WriteBytes(path, bytes);
    EXPECT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver1, ImportMode::Add), ImportResult::Done);
    EXPECT_EQ(Rows(), 100000);
    EXPECT_EQ(Value("select count(distinct f_nchActId) from t_UserData"), "100000");
    EXPECT_EQ(messages.count(), 0u);
}

// Under a comma-decimal locale (a German desktop) coordinates keep their value through
// an import into an empty file (the bulk insert), an import over existing rows, a read
// and an export.
TEST_F(ImportTest, CoordinatesRoundTripUnderACommaLocale) {
    ScopedCommaLocale comma;
    ASSERT_TRUE(comma.active());
    std::string header = "ActId\tLastUpdate\tStaDateTime\tEndDateTime\tLatitude\tLongitude\tSubject\tPlace\t"
                         "Category1\tCategory2\tMemo\tExtItems\r\n";
    std::string line = "ID2010111409000001\t2010/11/14 09:05:03\t2010/11/14 09:00:00\t2010/11/14 10:00:00\t"
                       "35.5\t-139.125\ts\t\t\t\t\"\"\t\r\n";
    std::string path = dir.file("in.csv");
    TempDir::WriteBytes(path, header + line);
    for (ImportMode mode : {ImportMode::Replace, ImportMode::Replace}) { // into an empty file, then over the row
        ASSERT_EQ(ImportActions(Target(), FromUtf8(path), ExchangeLayout::Ver3, mode), ImportResult::Done);
        EXPECT_EQ(Value("select f_fltLatitude || ' ' || f_fltLongitude from t_UserData"), "35.5 -139.125");
    }
    ActionRecord back;
    ASSERT_EQ(Table().ReadActionById(u"ID2010111409000001", back), S_OK);
    EXPECT_EQ(back[Latitude], u"35.500000");
    EXPECT_EQ(back[Longitude], u"-139.125000");
    ASSERT_EQ(ExportActions(Target(), FromUtf8(dir.file("out.csv")), ExchangeLayout::Ver3), 1);
    EXPECT_NE(TempDir::ReadBytes(dir.file("out.csv")).find("\t35.500000\t-139.125000\t"), std::string::npos);
    EXPECT_EQ(messages.count(), 0u);
}

// Rows written but the index cannot be read back (here: a search condition the engine
// refuses): the import says so and never reports completion over an empty index.
TEST_F(ImportTest, AnIndexThatCannotBeReadAfterwardsIsNoCompletedImport) {
    std::string path = dir.file("in.csv");
    TempDir::WriteBytes(path, "2010/11/14\t09:00\t2010/11/14\t10:00\tp\tc1\tc2\tm\r\n");
    EXPECT_EQ(RunImportActions(Target(u"no_such_column = 1"), FromUtf8(path), ExchangeLayout::Ver1, ImportMode::Add),
              ImportResult::IndexFailed);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_TRUE(messages.shown()[0].text.starts_with(u"アクション一覧の読込みに失敗しました。(80041001)\n"));
    EXPECT_EQ(messages.shown()[0].caption, u"データファイル読込エラー");
    EXPECT_EQ(messages.shown()[0].flags, kStop);
    EXPECT_EQ(messages.shown()[1].text, u"インポートに失敗しました。");
    EXPECT_EQ(Rows(), 1); // what was written stays
}
