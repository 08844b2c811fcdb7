// Import and export when the disk fills up: a small tmpfs mounted for the test
// (needs root; skipped otherwise). Rows written before the failure stay, the
// failure is told with the engine's code, and the index matches the data file.
#include "tests/exchange/ExchangeTestSupport.h"

#include "core/Utf.h"
#include "exchange/ExportActions.h"
#include "exchange/ImportActions.h"
#include "tests/support/SmallDisk.h"

#include <sqlite3.h>

#include <filesystem>
#include <sys/mount.h>
#include <unistd.h>

namespace {

std::string ManyVer1Lines(int count) {
    std::string line = "2010/11/14\t09:00\t2010/11/14\t10:00\tplace\tc1\tc2\t" + std::string(300, 'm') + "\r\n";
    std::string bytes;
    for (int i = 0; i < count; ++i)
        bytes += line;
    return bytes;
}

} // namespace

using FullDiskTest = ExchangeFixture;

TEST_F(FullDiskTest, ImportKeepsTheCommittedRowsAndSaysWhyItStopped) {
    std::string input = dir.file("in.csv");
    TempDir::WriteBytes(input, ManyVer1Lines(20000));
    CloseDataFile();
    // 0: the default, one transaction for the whole import.
    for (size_t batch : {size_t{5000}, size_t{1000}, size_t{0}}) {
        SCOPED_TRACE(batch);
        std::string folder = dir.file("disk" + std::to_string(batch));
        SmallDisk disk(folder, "3m");
        if (!disk.mounted()) GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
        ASSERT_EQ(CreateDataFile(FromUtf8(folder + "/user.sdf")), S_OK);
        messages.Clear();
        int result = batch == 0 ? RunImportActions(Target(), FromUtf8(input), ExchangeLayout::Ver1, ImportMode::Add)
                                : ImportActions(Target(), FromUtf8(input), ExchangeLayout::Ver1, ImportMode::Add,
                                                ImportTuning{batch});
        EXPECT_EQ(result, ImportResult::WriteFailed);
        ASSERT_GE(messages.count(), 1u);
        EXPECT_EQ(messages.shown()[0].text, u"レコード作成エラー(8004100d)\nインポートを中止します。");
        EXPECT_EQ(messages.shown()[0].caption, u"インポート中止");
        EXPECT_EQ(messages.last().text, batch == 0 ? u"インポートに失敗しました。" : messages.shown()[0].text);
        long long kept = Rows();
        if (batch > 0) {
            // Whole committed batches stay: the first 5,000 rows fit on this disk.
            EXPECT_EQ(kept % static_cast<long long>(batch), 0);
            EXPECT_GE(kept, 5000);
        }
        EXPECT_LT(kept, 20000);
        EXPECT_EQ(index.count(), kept);
        EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
        CloseDataFile(); // before the disk goes away
    }
    ASSERT_EQ(OpenDataFile(FromUtf8(dataFile)), S_OK);
}

TEST_F(FullDiskTest, ExportStopsAtTheFullDiskAndKeepsThePreviousFile) {
    SmallDisk disk(dir.file("disk"), "64k");
    if (!disk.mounted()) GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
    std::string input = dir.file("in.csv");
    TempDir::WriteBytes(input, ManyVer1Lines(1000));
    ASSERT_EQ(ImportActions(Target(), FromUtf8(input), ExchangeLayout::Ver1, ImportMode::Add), ImportResult::Done);

    std::string out = dir.file("disk/out.csv");
    std::string previous(20000, 'p');
    TempDir::WriteBytes(out, previous);
    EXPECT_EQ(RunExportActions(Target(), FromUtf8(out), ExchangeLayout::Ver3), -1);
    ASSERT_EQ(messages.count(), 2u);
    EXPECT_EQ(messages.shown()[0].text,
              u"ファイル" + FromUtf8(out) + u"の書込みに失敗(-1)しました。メモリの空き容量を確認してください。");
    EXPECT_EQ(messages.shown()[0].caption, u"書込みエラー");
    EXPECT_EQ(messages.shown()[1].text, u"エクスポートに失敗しました。(-1)");
    // The previous export is untouched and no partial file is left beside it.
    EXPECT_EQ(TempDir::ReadBytes(out), previous);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.file("disk")))
        ++files;
    EXPECT_EQ(files, 1u);
}
