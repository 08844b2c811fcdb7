// Damage met while reading a data file is noted from the engine's error log and told
// once per data file, never for a sound file.
#include "store/DamageWatch.h"

#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "store/UserDataTable.h"
#include "tests/support/ScriptedMessages.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

constexpr int kRows = 300;

std::u16string IdOf(int i) {
    char id[32];
    std::snprintf(id, sizeof id, "ID%016d", i);
    return FromUtf8(id);
}

// A data file of kRows actions with long memos, so that they fill many table pages.
void MakeFile(const std::string& path) {
    ASSERT_EQ(CreateDataFile(FromUtf8(path)), S_OK);
    UserDataTable& table = *OpenTables()->userData;
    ExecuteSql(OpenTables()->db, "begin");
    for (int i = 0; i < kRows; ++i) {
        ActionRecord r;
        r[ActionField::ActId] = IdOf(i);
        r[ActionField::StaDateTime] = u"2010/11/14 09:00:00";
        r[ActionField::EndDateTime] = u"2010/11/14 10:00:00";
        r[ActionField::Memo] = FromUtf8(std::string(300, 'm'));
        ASSERT_EQ(table.InsertAction(r), S_OK);
    }
    ExecuteSql(OpenTables()->db, "commit");
    CloseDataFile();
}

// Reads every action by its identifier; the number that could not be read.
int ReadAll() {
    int failed = 0;
    for (int i = 0; i < kRows; ++i) {
        ActionRecord r;
        if (FAILED(OpenTables()->userData->ReadActionById(IdOf(i), r))) ++failed;
    }
    return failed;
}

TEST(DamageWatch, DamageMetByAReadIsToldOncePerDataFile) {
    CloseDataFile(); // the engine restarts: no connection may be open
    ASSERT_TRUE(InstallDamageWatch());
    ScriptedMessages messages;
    TempDir dir;
    const std::string sound = dir.file("sound.sdf"), damaged = dir.file("damaged.sdf");
    MakeFile(sound);
    std::filesystem::copy_file(sound, damaged);

    ASSERT_EQ(OpenDataFile(FromUtf8(sound)), S_OK);
    EXPECT_EQ(ReadAll(), 0);
    CloseDataFile();
    EXPECT_FALSE(TellDamageOnce(nullptr, FromUtf8(sound)));

    // A table page in the middle of the file written over with garbage.
    const long long page = 4096, middle = std::filesystem::file_size(damaged) / page / 2;
    FILE* f = std::fopen(damaged.c_str(), "r+b");
    ASSERT_NE(f, nullptr);
    std::fseek(f, static_cast<long>(middle * page), SEEK_SET);
    for (int i = 0; i < page; ++i)
        std::fputc((i * 7919 + 13) & 0xFF, f);
    std::fclose(f);

    ASSERT_EQ(OpenDataFile(FromUtf8(damaged)), S_OK);
    EXPECT_GT(ReadAll(), 0);
    EXPECT_TRUE(TellDamageOnce(nullptr, FromUtf8(damaged)));
    ASSERT_EQ(messages.count(), 1u);
    EXPECT_EQ(messages.last().text,
              u"データファイル '" + FromUtf8(damaged) +
                  u"' が破損しています。\n読めないアクションは flotsam で取り出せる可能性があります。");
    EXPECT_EQ(messages.last().caption, u"データファイル破損");
    EXPECT_EQ(messages.last().flags, MB_OK | MB_ICONEXCLAMATION);
    // The same file again: told already.
    EXPECT_GT(ReadAll(), 0);
    EXPECT_FALSE(TellDamageOnce(nullptr, FromUtf8(damaged)));
    CloseDataFile();
    EXPECT_EQ(messages.count(), 1u);

    // Damage noted in one file is not told of the next one opened.
    ASSERT_EQ(OpenDataFile(FromUtf8(damaged)), S_OK);
    EXPECT_GT(ReadAll(), 0);
    ASSERT_EQ(OpenDataFile(FromUtf8(sound)), S_OK);
    EXPECT_FALSE(TellDamageOnce(nullptr, FromUtf8(sound)));
    CloseDataFile();

    // A file the start-up has told about is not told again.
    const std::string other = dir.file("other.sdf");
    std::filesystem::copy_file(damaged, other);
    MarkDamageTold(FromUtf8(other));
    ASSERT_EQ(OpenDataFile(FromUtf8(other)), S_OK);
    EXPECT_GT(ReadAll(), 0);
    EXPECT_FALSE(TellDamageOnce(nullptr, FromUtf8(other)));
    CloseDataFile();
    EXPECT_EQ(messages.count(), 1u);
}

} // namespace
