// The data file fixture of the exchange tests.
#include "tests/exchange/ExchangeTestSupport.h"

#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Random.h"
#include "core/Utf.h"
#include "tests/support/SqlValue.h"

#include <sqlite3.h>

void ExchangeFixture::SetUp() {
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    SeedRandom(7);
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    dataFile = dir.file("user.sdf");
    ASSERT_EQ(CreateDataFile(FromUtf8(dataFile)), S_OK);
}

void ExchangeFixture::TearDown() {
    if (OpenTables()) {
        EXPECT_EQ(Value("PRAGMA integrity_check"), "ok");
    }
    CloseDataFile();
    SetClockSource({});
}

std::u16string ExchangeFixture::Add(const char* start, const char* end, const char* subject, const char* memo) {
    ActionRecord r;
    r[ActionField::StaDateTime] = FromUtf8(start);
    r[ActionField::EndDateTime] = FromUtf8(end);
    r[ActionField::Subject] = FromUtf8(subject);
    if (memo) r[ActionField::Memo] = FromUtf8(memo);
    EXPECT_EQ(Table().InsertAction(r), S_OK);
    EXPECT_EQ(RebuildActionIndex(Table(), index), S_OK);
    return *r[ActionField::ActId];
}

std::string ExchangeFixture::Value(const std::string& sql) {
    return FirstValue(OpenTables()->db, sql);
}

long long ExchangeFixture::Rows() {
    return std::stoll(Value("select count(*) from t_UserData"));
}
