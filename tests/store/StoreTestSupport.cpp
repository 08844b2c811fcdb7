// Helpers for the data store tests.
#include <gtest/gtest.h>

#include "tests/store/StoreTestSupport.h"

#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "tests/support/SqlValue.h"

#include <sqlite3.h>

ActionRecord MakeAction(const char* start, const char* end, const char* subject) {
    ActionRecord r;
    r[ActionField::StaDateTime] = FromUtf8(start);
    r[ActionField::EndDateTime] = FromUtf8(end);
    r[ActionField::Subject] = FromUtf8(subject);
    return r;
}

int RawSql(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open(path.c_str(), &db);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc;
}

std::string RawValue(const std::string& path, const std::string& sql) {
    return FirstValueOfFile(path, sql);
}

std::string IntegrityOf(const std::string& path) {
    return RawValue(path, "PRAGMA integrity_check");
}

void StoreFixture::SetUp() {
    SetFixedClock(2010, 11, 14, 9, 5, 3);
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    file = dir.file("user.sdf");
    ASSERT_EQ(CreateDataFile(FromUtf8(file)), S_OK);
}

void StoreFixture::TearDown() {
    CloseDataFile();
    EXPECT_EQ(IntegrityOf(file), "ok");
    SetClockSource({});
}
