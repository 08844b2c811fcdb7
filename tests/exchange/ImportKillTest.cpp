// An import killed (SIGKILL) at various moments by a parent process: the data file
// always opens afterwards, passes the engine's integrity check and holds either the
// rows it held before or all of the import, each row whole.
#include "tests/exchange/ExchangeTestSupport.h"

#include "core/Cp932.h"
#include "core/Utf.h"
#include "exchange/ImportActions.h"

#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Ver3Lines(int rows) {
    std::string text = ToCp932(Ver3HeaderLine()) + "\r\n";
    char line[256];
    for (int i = 0; i < rows; ++i) {
        int day = 1 + i / 1440 % 28, hour = i % 1440 / 60, minute = i % 60;
        std::snprintf(line, sizeof line,
                      "ID2011%02d%02d%02d%02d00%02d\t\t2011/%02d/%02d %02d:%02d:00\t2011/%02d/%02d %02d:%02d:30\t35.5\t"
                      "139.25\tsubject %d\tplace\tc1\tc2\t\"memo\\r\\nline\"\t\r\n",
                      1 + i / 40320, day, hour, minute, i % 100, 1 + i / 40320, day, hour, minute, 1 + i / 40320, day,
                      hour, minute, i);
        text += line;
    }
    return text;
}

using ImportKillTest = ExchangeFixture;

TEST_F(ImportKillTest, AKilledImportLeavesAnIntactDataFileWithWholeRows) {
    const int rows = 30000;
    Add("2010/11/14 09:00:00", "2010/11/14 10:00:00", "before");
    Add("2010/11/14 11:00:00", "2010/11/14 12:00:00", "before");
    std::string input = dir.file("in.csv");
    TempDir::WriteBytes(input, Ver3Lines(rows));
    CloseDataFile();
    std::string base = dir.file("base.sdf");
    std::filesystem::copy_file(dataFile, base);
    int killed = 0;
    for (int delayMs : {2, 15, 40, 80, 120, 180, 250, 400, -1}) { // -1: not killed
        SCOPED_TRACE(delayMs);
        std::filesystem::copy_file(base, dataFile, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(dataFile + "-journal");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (FAILED(OpenDataFile(FromUtf8(dataFile)))) _exit(2);
            ActionIndex own;
            ExchangeTarget target{*OpenTables()->userData, own};
            int result = ImportActions(target, FromUtf8(input), ExchangeLayout::Ver3, ImportMode::Replace);
            CloseDataFile();
            _exit(result == 0 ? 0 : 1);
        }
        if (delayMs >= 0) {
            usleep(static_cast<useconds_t>(delayMs) * 1000);
            kill(child, SIGKILL);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status))
            ++killed;
        else
            EXPECT_EQ(WEXITSTATUS(status), 0);

        ASSERT_EQ(OpenDataFile(FromUtf8(dataFile)), S_OK);
        EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
        long long held = Rows();
        EXPECT_TRUE(held == 2 || held == 2 + rows) << held;
        EXPECT_EQ(Value("select count(*) from t_UserData where length(f_nchActId) <> 18 or f_nchStaDateTime is null "
                        "or f_nchEndDateTime is null or f_dtLastUpdate is null or (f_nvcSubject <> 'before' and "
                        "(f_fltLatitude <> 35.5 or f_nvcMemo <> 'memo' || char(13, 10) || 'line' or f_nvcExtItems "
                        "<> ''))"),
                  "0");
        EXPECT_EQ(Value("select count(*) from t_UserData where f_nvcSubject = 'before'"), "2");
        CloseDataFile();
    }
    EXPECT_GE(killed, 3); // most kills landed while the import ran
    ASSERT_EQ(OpenDataFile(FromUtf8(dataFile)), S_OK);
}

// Into an empty table the rows are written before the indexes are made again: a kill
// at any moment must leave the table empty with both its indexes, or all rows with
// indexes that agree with them.
TEST_F(ImportKillTest, AKilledImportIntoAnEmptyTableKeepsItsIndexes) {
    const int rows = 30000;
    const std::string indexes = Value("select group_concat(sql, '|') from sqlite_master where type = 'index' and "
                                      "tbl_name = 't_UserData'");
    ASSERT_NE(indexes.find("i_UserDataSta"), std::string::npos);
    std::string input = dir.file("in.csv");
    TempDir::WriteBytes(input, Ver3Lines(rows));
    CloseDataFile();
    std::string base = dir.file("base.sdf");
    std::filesystem::copy_file(dataFile, base);
    int killed = 0;
    for (int delayMs : {5, 60, 150, 300, 500}) {
        SCOPED_TRACE(delayMs);
        std::filesystem::copy_file(base, dataFile, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::remove(dataFile + "-journal");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (FAILED(OpenDataFile(FromUtf8(dataFile)))) _exit(2);
            ActionIndex own;
            ExchangeTarget target{*OpenTables()->userData, own};
            int result = ImportActions(target, FromUtf8(input), ExchangeLayout::Ver3, ImportMode::Add);
            CloseDataFile();
            _exit(result == 0 ? 0 : 1);
        }
        usleep(static_cast<useconds_t>(delayMs) * 1000);
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        killed += WIFSIGNALED(status);

        ASSERT_EQ(OpenDataFile(FromUtf8(dataFile)), S_OK);
        EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
        long long held = Rows();
        EXPECT_TRUE(held == 0 || held == rows) << held;
        EXPECT_EQ(Value("select group_concat(sql, '|') from sqlite_master where type = 'index' and "
                        "tbl_name = 't_UserData'"),
                  indexes);
        EXPECT_EQ(Value("select count(*) from t_UserData indexed by i_UserDataSta where f_nchStaDateTime >= ''"),
                  std::to_string(held));
        CloseDataFile();
    }
    EXPECT_GE(killed, 2);
    ASSERT_EQ(OpenDataFile(FromUtf8(dataFile)), S_OK);
}

} // namespace
