// Damaged copies of data files written by the store: garbage pages, truncation, a
// zeroed first page, a dropped table, a file that is no database, an empty file.
// What reaches the export file must be the stored rows, each once, and import again.
#include "salvage/PageScan.h"
#include "salvage/SalvageRun.h"
#include "salvage/UserDataReader.h"

#include "core/Progress.h"
#include "core/Utf.h"
#include "tests/salvage/SalvageTestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#include <sqlite3.h>

namespace {

namespace fs = std::filesystem;

// Made files are kept for the whole test program: making 20,000 rows takes a moment.
const std::string& CleanFile(int rows) {
    static TempDir folder;
    static std::map<int, std::string> made;
    auto [it, inserted] = made.try_emplace(rows, folder.file("clean" + std::to_string(rows) + ".sdf"));
    if (inserted) WriteDataFile(it->second, rows);
    return it->second;
}

// The seed of the random damage: fixed, or TIDEMARK_DAMAGE_SEED to try others.
unsigned DamageSeed(unsigned fixed) {
    const char* seed = std::getenv("TIDEMARK_DAMAGE_SEED");
    return seed && *seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : fixed;
}

class Damage : public SalvageFixture {
protected:
    std::string Copy(int rows) {
        std::string path = dir.file("damaged.sdf");
        fs::copy_file(CleanFile(rows), path, fs::copy_options::overwrite_existing);
        return path;
    }

    // Every exported line is a stored row (identifier and content), none twice; the
    // number of rows exported.
    long long CheckExport(int rows) {
        std::map<std::string, std::string> expected;
        for (int i = 0; i < rows; ++i) {
            std::u16string line;
            SalvagedRow row;
            row.record = MadeRecord(i);
            row.record[ActionField::LastUpdate] = u"2010/11/14 09:00:00";
            IdentifierCounter counter;
            AppendSalvageLine(row.record, counter, line);
            expected[ToUtf8(row.record[ActionField::ActId].value())] = ToUtf8(line);
        }
        std::vector<std::string> lines = Lines(exportFile);
        EXPECT_FALSE(lines.empty());
        std::set<std::string> seen;
        for (size_t i = 1; i < lines.size(); ++i) {
            std::string id = lines[i].substr(0, 18);
            EXPECT_TRUE(seen.insert(id).second) << "exported twice: " << id;
            auto it = expected.find(id);
            if (it == expected.end())
                ADD_FAILURE() << "not a stored row: " << lines[i];
            else
                EXPECT_EQ(lines[i], it->second);
        }
        long long imported = 0;
        EXPECT_EQ(ImportExport(imported), 0);
        EXPECT_EQ(imported, static_cast<long long>(lines.size()) - 1);
        return static_cast<long long>(lines.size()) - 1;
    }
};

TEST_F(Damage, OneGarbledPageIn10000Rows) {
    const int rows = 10000;
    PageMap map = MapPages(CleanFile(rows));
    ASSERT_GT(map.userDataCells.size(), 50u);
    ASSERT_FALSE(map.userDataInterior.empty());
    // A leaf in the middle of the table, its parent (all leaves below it are cut off),
    // and a page drawn at random.
    auto middle = std::next(map.userDataCells.begin(), static_cast<long>(map.userDataCells.size() / 2));
    const unsigned seed = DamageSeed(11);
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    int randomPage = 2 + static_cast<int>(random() % static_cast<unsigned>(map.pages - 1));
    for (int page : {middle->first, map.userDataInterior.front(), randomPage}) {
        SCOPED_TRACE(page);
        std::string data = Copy(rows);
        GarblePage(data, map.pageSize, page, seed + 5);
        messages.Clear();
        SalvageResult result = Salvage(data);
        EXPECT_EQ(result.code, 0);
        long long outside = rows - (map.userDataCells.count(page) ? map.userDataCells[page] : 0);
        long long exported = CheckExport(rows);
        EXPECT_GE(exported * 100, outside * 95) << exported << " of " << outside;
        std::printf("page %d: %lld of %lld rows outside it exported\n", page, exported, outside);
        EXPECT_EQ(result.counts.exported, exported);
    }
}

TEST_F(Damage, TenRandomGarbledPagesIn20000Rows) {
    const int rows = 20000;
    PageMap map = MapPages(CleanFile(rows));
    std::string data = Copy(rows);
    const unsigned seed = DamageSeed(2024);
    SCOPED_TRACE(seed);
    std::mt19937 random(seed);
    std::set<int> pages;
    while (pages.size() < 10)
        pages.insert(2 + static_cast<int>(random() % static_cast<unsigned>(map.pages - 1)));
    long long outside = rows;
    for (int page : pages) {
        GarblePage(data, map.pageSize, page, static_cast<unsigned>(page) * 31 + seed);
        if (map.userDataCells.count(page)) outside -= map.userDataCells[page];
    }
    SalvageResult result = Salvage(data);
    long long exported = CheckExport(rows);
    EXPECT_GE(exported * 100, outside * 90) << exported << " of " << outside;
    std::printf("10 pages: %lld of %lld rows outside them exported (%lld by the deeper passes)\n", exported, outside,
                result.counts.deeper);
    EXPECT_GT(result.counts.deeper, 0);
}

// A misdirected write: one leaf of the table written over another. The engine then
// meets the same rows twice in its walk; each is still exported once.
TEST_F(Damage, LeafWrittenOverAnotherLeaf) {
    const int rows = 10000;
    PageMap map = MapPages(CleanFile(rows));
    auto early = std::next(map.userDataCells.begin(), static_cast<long>(map.userDataCells.size() / 3));
    auto late = std::next(map.userDataCells.begin(), static_cast<long>(map.userDataCells.size() * 2 / 3));
    // An earlier leaf over a later one, and a later one over an earlier one.
    for (auto [from, to] : {std::pair(early, late), std::pair(late, early)}) {
        SCOPED_TRACE(to->first);
        std::string data = Copy(rows);
        std::string bytes = TempDir::ReadBytes(data);
        const size_t size = static_cast<size_t>(map.pageSize);
        bytes.replace(static_cast<size_t>(to->first - 1) * size, size, bytes,
                      static_cast<size_t>(from->first - 1) * size, size);
        TempDir::WriteBytes(data, bytes);
        SalvageResult result = Salvage(data);
        EXPECT_EQ(result.code, 0);
        long long exported = CheckExport(rows);
        EXPECT_EQ(exported, rows - to->second);
        EXPECT_EQ(result.counts.exported, exported);
    }
}

// The progress dialog keeps being fed while the passes after the damage run (it also
// keeps the window answering): every thousand rows looked at, to the last of them.
TEST_F(Damage, ProgressGoesOnThroughTheDeeperPasses) {
    class Recorder : public ProgressSink {
    public:
        Recorder() { SetProgressSink(this); }
        ~Recorder() override { SetProgressSink(nullptr); }
        void Start(std::u16string_view, std::int64_t) override { ++starts; }
        void Step(std::int64_t done) override { steps.push_back(done); }
        void Finish() override { ++finishes; }
        int starts = 0, finishes = 0;
        std::vector<std::int64_t> steps;
    };
    const int rows = 10000;
    PageMap map = MapPages(CleanFile(rows));
    auto middle = std::next(map.userDataCells.begin(), static_cast<long>(map.userDataCells.size() / 2));
    std::string garbled = Copy(rows);
    GarblePage(garbled, map.pageSize, middle->first, 5);
    std::string headless = dir.file("headless.sdf");
    fs::copy_file(CleanFile(rows), headless);
    {
        std::fstream file(headless, std::ios::in | std::ios::out | std::ios::binary);
        file.write(std::string(static_cast<size_t>(map.pageSize), '\0').data(), map.pageSize);
    }
    for (const std::string& data : {garbled, headless}) {
        SCOPED_TRACE(data);
        Recorder progress;
        SalvageResult result = Salvage(data);
        ASSERT_EQ(result.code, 0);
        EXPECT_GE(progress.starts, 1);
        EXPECT_EQ(progress.finishes, 1);
        ASSERT_FALSE(progress.steps.empty());
        // The deeper passes look at the rows before the damage again, so more than the
        // rows exported are looked at.
        EXPECT_GE(progress.steps.back() + 1000, result.counts.exported);
        EXPECT_GE(static_cast<long long>(progress.steps.size()) + 1, result.counts.exported / 1000);
    }
}

// The table's root page pointing to itself for every child: the engine's walk must not
// go round, and the rows below are found by the page scan.
TEST_F(Damage, RootPointingToItself) {
    const int rows = 10000;
    std::string data = Copy(rows);
    const int root = std::stoi(QueryValue(data, "select rootpage from sqlite_master where name = 't_UserData'"));
    const int pageSize = MapPages(data).pageSize;
    std::string bytes = TempDir::ReadBytes(data);
    auto* page = reinterpret_cast<unsigned char*>(bytes.data()) + static_cast<size_t>(root - 1) * pageSize;
    ASSERT_EQ(page[0], 0x05) << "an interior page of a table";
    auto putRoot = [root](unsigned char* at) {
        for (int i = 0; i < 4; ++i)
            at[i] = static_cast<unsigned char>(root >> (24 - 8 * i));
    };
    putRoot(page + 8); // the right-most child
    for (int i = 0, cells = page[3] << 8 | page[4]; i < cells; ++i)
        putRoot(page + (page[12 + 2 * i] << 8 | page[13 + 2 * i]));
    TempDir::WriteBytes(data, bytes);
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.code, 0);
    EXPECT_GE(CheckExport(rows) * 100, rows * 95);
}

TEST_F(Damage, TruncatedFile) {
    std::string data = Copy(10000);
    const auto size = fs::file_size(data);
    fs::resize_file(data, size * 2 / 3);
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.code, 0);
    long long exported = CheckExport(10000);
    EXPECT_GT(exported, 5000);
}

TEST_F(Damage, ZeroedHeaderPage) {
    std::string data = Copy(10000);
    PageMap map = MapPages(data);
    {
        std::fstream file(data, std::ios::in | std::ios::out | std::ios::binary);
        file.write(std::string(static_cast<size_t>(map.pageSize), '\0').data(), map.pageSize);
    }
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.code, 0);
    long long exported = CheckExport(10000);
    EXPECT_GE(exported, 9500);
    EXPECT_EQ(result.counts.deeper, exported);
}

TEST_F(Damage, DroppedTable) {
    std::string data = Copy(200);
    RunSql(data, "drop table t_UserData");
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.code, 0);
    ASSERT_EQ(messages.count(), 3u);
    EXPECT_EQ(messages.shown()[1].text, u"データファイルへのアクセス(select)に失敗しました。");
    EXPECT_EQ(messages.shown()[1].caption, u"アクセス(select)エラー");
    // The engine clears what a dropped table held, so at most what it left is found.
    CheckExport(200);
}

// A file written without secure deletion (as other builds of the engine do) keeps a
// dropped table's rows on its free pages: they are found there. The first rows were
// replaced before (as the diary's import replaces an action: deleted, then stored
// again changed); each action is still exported once.
TEST_F(Damage, DroppedTableWithOldVersionsOnFreePages) {
    std::string data = Copy(2000);
    RunSql(data, "pragma secure_delete = 0;"
                 "create temp table kept as select * from t_UserData where rowid <= 1500;"
                 "update kept set f_nvcSubject = f_nvcSubject || ' changed';"
                 "delete from t_UserData where rowid <= 1500;"
                 "insert into t_UserData select * from kept;"
                 "drop table t_UserData");
    SalvageResult result = Salvage(data);
    EXPECT_EQ(result.code, 0);
    std::vector<std::string> lines = Lines(exportFile);
    std::set<std::string> identifiers;
    for (size_t i = 1; i < lines.size(); ++i)
        EXPECT_TRUE(identifiers.insert(lines[i].substr(0, 18)).second) << "exported twice: " << lines[i];
    EXPECT_GE(identifiers.size(), 1900u);
    long long imported = 0;
    EXPECT_EQ(ImportExport(imported), 0);
    EXPECT_EQ(imported, static_cast<long long>(identifiers.size()));
}

TEST_F(Damage, NotADatabaseAndEmptyFile) {
    for (std::string bytes : {std::string("ActId\tLastUpdate\r\nthis is text, not a data file\r\n"), std::string()}) {
        std::string data = dir.file("bad.sdf");
        TempDir::WriteBytes(data, bytes);
        messages.Clear();
        SalvageResult result = Salvage(data);
        EXPECT_EQ(result.code, -2);
        ASSERT_EQ(messages.count(), 2u);
        EXPECT_EQ(messages.last().text, u"データファイルのオープンに失敗しました。");
        EXPECT_FALSE(fs::exists(exportFile));
    }
}

TEST_F(Damage, GarbageEverywhereNeitherCrashesNorHangs) {
    std::string data = Copy(2000);
    PageMap map = MapPages(data);
    for (int page = 1; page <= map.pages; page += 2)
        GarblePage(data, map.pageSize, page, static_cast<unsigned>(page));
    SalvageResult result = Salvage(data);
    if (result.code == 0) CheckExport(2000);
}

TEST(PageSize, FoundFromThePagesWhenTheHeaderIsLost) {
    TempDir dir;
    std::string data = dir.file("user.sdf");
    MakeDataFile(data, 500);
    std::string bytes = TempDir::ReadBytes(data);
    std::fill(bytes.begin(), bytes.begin() + 100, '\0');
    EXPECT_EQ(GuessPageSize(bytes), 4096u);
    EXPECT_EQ(GuessPageSize(std::string(100000, '\x55')), 0u);
}

} // namespace

namespace {

// Bytes changed at random all over a small file: the page scan and the documented
// read never crash, never hang, and whatever they offer is a row of the file or one
// with absent fields (garbage that reads as text is possible, a crash is not).
TEST(RandomDamage, PageScanAndRowReaderSurviveFlippedBytes) {
    TempDir dir;
    std::string clean = dir.file("clean.sdf");
    MakeDataFile(clean, 120);
    const std::string bytes = TempDir::ReadBytes(clean);
    std::mt19937 random(77);
    std::string path = dir.file("flipped.sdf");
    long long offered = 0;
    for (int round = 0; round < 300; ++round) {
        std::string damaged = bytes;
        const int flips = 1 + static_cast<int>(random() % 64);
        for (int i = 0; i < flips; ++i)
            damaged[random() % damaged.size()] = static_cast<char>(random());
        if (round % 3 == 0) damaged.resize(random() % damaged.size());
        TempDir::WriteBytes(path, damaged);
        PageScanResult scan = ScanPagesForRows(FromUtf8(path), round % 2 == 0, [&](const SalvagedRow& row) {
            EXPECT_TRUE(row.hasRowid);
            ++offered;
            return true;
        });
        EXPECT_FALSE(scan.stopped);
        EXPECT_LE(scan.rows, 1000) << "more rows than the file could hold";
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            UserDataReader reader;
            SalvagedRow row;
            int rows = 0;
            if (SUCCEEDED(reader.Open(db, "select _rowid_ as n, * from t_UserData", "n"))) {
                while (reader.Next(row) == S_OK && rows < 1000)
                    ++rows;
            }
            EXPECT_LT(rows, 1000);
        }
        sqlite3_close_v2(db);
    }
    EXPECT_GT(offered, 0);
}

} // namespace
