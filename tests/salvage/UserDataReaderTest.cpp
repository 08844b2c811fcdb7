// The row reader's column rules on real SQLite files: what is absent and why.
#include "salvage/UserDataReader.h"

#include "core/Utf.h"
#include "tests/salvage/SalvageTestSupport.h"

#include <sqlite3.h>

namespace {

using namespace ActionField;

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("user.sdf");
        MakeDataFile(path, 3);
    }
    std::vector<SalvagedRow> ReadAll(const std::string& sql = "select * from t_UserData", HRESULT* open = nullptr) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        UserDataReader reader;
        std::vector<SalvagedRow> rows;
        HRESULT hr = reader.Open(db, sql, "rowid");
        if (open) *open = hr;
        SalvagedRow row;
        while (SUCCEEDED(hr) && reader.Next(row) == S_OK)
            rows.push_back(row);
        reader.Close();
        sqlite3_close(db);
        return rows;
    }
    TempDir dir;
    std::string path;
};

TEST_F(ReaderTest, ReadsTheStoresRowsAsTheyWereWritten) {
    std::vector<SalvagedRow> rows = ReadAll("select rowid, * from t_UserData");
    ASSERT_EQ(rows.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        ActionRecord expected = MadeRecord(i);
        ActionRecord got = rows[static_cast<size_t>(i)].record;
        EXPECT_EQ(got[LastUpdate], u"2010/11/14 09:00:00");
        got[LastUpdate].reset();
        EXPECT_EQ(got, expected) << i;
        EXPECT_TRUE(rows[static_cast<size_t>(i)].hasRowid);
        EXPECT_EQ(rows[static_cast<size_t>(i)].rowid, i + 1);
    }
}

TEST_F(ReaderTest, NullWrongTypeAndFailedConversionAreAbsent) {
    RunSql(path, "update t_UserData set f_nvcMemo = cast(x'61ff62' as text), f_nvcSubject = x'6162', "
                 "f_fltLatitude = 'north', f_fltLongitude = 12, f_dtLastUpdate = 'yesterday', "
                 "f_nvcPlace = NULL, f_nvcCategory1 = 42 where rowid = 1");
    std::vector<SalvagedRow> rows = ReadAll();
    ASSERT_EQ(rows.size(), 3u);
    const ActionRecord& r = rows[0].record;
    EXPECT_FALSE(r[Memo]) << "bytes that are not UTF-8";
    EXPECT_FALSE(r[Subject]) << "a blob in a text column";
    EXPECT_FALSE(r[Latitude]) << "a text in a float column";
    EXPECT_EQ(r[Longitude], u"12.000000");
    EXPECT_FALSE(r[LastUpdate]) << "no timestamp";
    EXPECT_FALSE(r[Place]);
    EXPECT_EQ(r[Category1], u"42");
    EXPECT_EQ(r[StaDateTime], MadeRecord(0)[StaDateTime]) << "the other fields as usual";
    EXPECT_FALSE(rows[0].hasRowid) << "the query carried no row number";
}

TEST_F(ReaderTest, MissingColumnFailsTheSelect) {
    RunSql(path, "alter table t_UserData drop column f_nvcExtItems");
    HRESULT open = S_OK;
    EXPECT_TRUE(ReadAll("select * from t_UserData", &open).empty());
    EXPECT_EQ(open, E_FAIL);
}

TEST(Utf8Strict, RefusesWhatIsNotUtf8) {
    std::u16string out;
    EXPECT_TRUE(DecodeUtf8Strictly("a\xc3\xa9\xe4\xbc\x9a\xf0\x9f\x98\x80", out));
    EXPECT_EQ(out, u"aé会😀");
    for (const char* bad : {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xe4\xbc", "\xf4\x90\x80\x80"})
        EXPECT_FALSE(DecodeUtf8Strictly(bad, out)) << bad;
}

} // namespace
