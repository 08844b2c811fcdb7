// Data files, damage and read-back for the salvage tests.
#include "tests/salvage/SalvageTestSupport.h"

#include "core/ActionId.h"
#include "core/Clock.h"
#include "core/Cp932.h"
#include "core/DateTimeText.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "exchange/ImportActions.h"
#include "store/ActionIndex.h"
#include "store/DataFileTables.h"
#include "tests/support/SqlValue.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

using namespace ActionField;

ActionRecord MadeRecord(int i) {
    ActionRecord r;
    const int second = i / 100;
    r[ActId] = FormatActionId(2009, 1, 1 + second / 86400, second / 3600 % 24, second / 60 % 60, second % 60, i % 100);
    const int day = i % 365, hour = i % 20;
    const int month = 1 + day / 31 % 12, dom = 1 + day % 28;
    r[StaDateTime] = FormatDateTimeText(2010, month, dom, hour, i % 60, 0);
    r[EndDateTime] = FormatDateTimeText(2010, month, dom, hour + 1, i % 60, 30);
    if (i % 3 == 0) {
        r[Latitude] = FormatText("%f", 35.0 + i % 1000 / 1000.0);
        r[Longitude] = FormatText("%f", 139.0 + i % 997 / 1000.0);
    }
    r[Subject] = FromUtf8("会議 " + std::to_string(i));
    r[Place] = FromUtf8(i % 2 ? "東京都千代田区" : "横浜");
    r[Category1] = FromUtf8("cat" + std::to_string(i % 7));
    if (i % 5) r[Category2] = FromUtf8("仕事");
    if (i % 4 == 0)
        r[Memo] = FromUtf8("memo " + std::to_string(i) + "\r\nsecond \"line\"\twith a tab");
    else if (i % 4 == 1)
        r[Memo] = FromUtf8("短いメモ");
    if (i % 6 == 0) r[ExtItems] = FromUtf8("count:int=" + std::to_string(i));
    return r;
}

// Made once per number of rows in this test program, then copied.
void MakeDataFile(const std::string& path, int rows) {
    static TempDir folder;
    static std::map<int, std::string> made;
    auto [it, inserted] = made.try_emplace(rows, folder.file("made" + std::to_string(rows) + ".sdf"));
    if (inserted) WriteDataFile(it->second, rows);
    std::filesystem::copy_file(it->second, path, std::filesystem::copy_options::overwrite_existing);
}

void WriteDataFile(const std::string& path, int rows) {
    SetFixedClock(2010, 11, 14, 9, 0, 0);
    ASSERT_EQ(CreateDataFile(FromUtf8(path)), S_OK);
    DataFileTables* tables = OpenTables();
    ASSERT_EQ(ExecuteSql(tables->db, "BEGIN"), S_OK);
    for (int i = 0; i < rows; ++i) {
        ActionRecord r = MadeRecord(i);
        ASSERT_EQ(tables->userData->InsertAction(r), S_OK) << i;
    }
    ASSERT_EQ(ExecuteSql(tables->db, "COMMIT"), S_OK);
    CloseDataFile();
    SetClockSource({});
}

void RunSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "") << " in " << sql;
    sqlite3_free(error);
    sqlite3_close(db);
}

std::string QueryValue(const std::string& path, const std::string& sql) {
    return FirstValueOfFile(path, sql);
}

PageMap MapPages(const std::string& path) {
    PageMap map;
    map.pageSize = std::stoi(QueryValue(path, "pragma page_size"));
    map.pages = std::stoi(QueryValue(path, "pragma page_count"));
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "select pageno, pagetype, ncell from dbstat where name = 't_UserData'", -1, &stmt, nullptr);
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::string type = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
        if (type == "leaf")
            map.userDataCells[sqlite3_column_int(stmt, 0)] = sqlite3_column_int(stmt, 2);
        else if (type == "internal")
            map.userDataInterior.push_back(sqlite3_column_int(stmt, 0));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return map;
}

void GarblePage(const std::string& path, int pageSize, int n, unsigned seed) {
    std::mt19937 random(seed);
    std::string garbage(static_cast<size_t>(pageSize), '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(n - 1) * pageSize);
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
}

void SalvageFixture::SetUp() {
    SetProgramFolder(FromUtf8(programDir.path() + "/"));
    exportFile = dir.file("out.csv");
    errorFile = dir.file("ErrFLT.csv");
}

void SalvageFixture::TearDown() {
    // The working copy never stays behind.
    EXPECT_FALSE(std::ifstream(programDir.file("$$TmpFLT.sdf")).good());
    CloseDataFile();
    SetClockSource({});
}

SalvageResult SalvageFixture::Salvage(const std::string& dataFile) {
    messages.Answer(IDYES);
    return RunSalvage(nullptr, FromUtf8(dataFile), FromUtf8(exportFile));
}

std::vector<std::string> SalvageFixture::Lines(const std::string& path) {
    std::string text = ToUtf8(FromCp932(TempDir::ReadBytes(path)));
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", from)) {
        lines.push_back(text.substr(from, at - from));
        from = at + 2;
    }
    EXPECT_EQ(from, text.size()) << "every line ends with CR LF";
    return lines;
}

int SalvageFixture::ImportExport(long long& rows) {
    std::string target = dir.file("imported.sdf");
    EXPECT_EQ(CreateDataFile(FromUtf8(target)), S_OK);
    ActionIndex index;
    ExchangeTarget exchange{*OpenTables()->userData, index};
    int result = ImportActions(exchange, FromUtf8(exportFile), ExchangeLayout::Ver3, ImportMode::Replace);
    rows = index.count();
    CloseDataFile();
    return result;
}
