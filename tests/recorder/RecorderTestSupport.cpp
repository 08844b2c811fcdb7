// The recorder test fixture.
#include "tests/recorder/RecorderTestSupport.h"

#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/support/SqlValue.h"

#include <sqlite3.h>

namespace {

// A new data file, made once per test program (its many synced schema steps take a
// quarter of a second) and copied for every test.
const std::string& EmptyDataFile() {
    static TempDir folder;
    static const std::string path = [] {
        std::string file = folder.file("empty.sdf");
        CreateDataFile(FromUtf8(file));
        CloseDataFile();
        return file;
    }();
    return path;
}

} // namespace

void RecorderFixture::SetUp() {
    SetFixedClock(2010, 11, 14, 9, 0, 0);
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    app.settings = DefaultSettings(144);
    app.settings.DataFile = dir.file16("user.sdf");
    TempDir::WriteBytes(dir.file("user.sdf"), TempDir::ReadBytes(EmptyDataFile()));
    ASSERT_EQ(OpenDataFile(app.settings.DataFile), S_OK);
    app.shownDate = {2010, 11, 1};
    SetApp(&app);
}

void RecorderFixture::TearDown() {
    CloseDataFile();
    SetApp(nullptr);
    SetClockSource({});
}

RecorderFields RecorderFixture::Fields(const char* time, const char* place, const char* category1,
                                       const char* category2) {
    return RecorderFields{FromUtf8(time), u"", u"", FromUtf8(place), FromUtf8(category1), FromUtf8(category2)};
}

ActionRecord RecorderFixture::Stored(const std::u16string& id) {
    ActionRecord action;
    EXPECT_EQ(OpenTables()->userData->ReadActionById(id, action), S_OK) << ToUtf8(id);
    return action;
}

bool RecorderFixture::Exists(const std::u16string& id) {
    ActionRecord action;
    return OpenTables()->userData->ReadActionById(id, action) == S_OK;
}

void RecorderFixture::RestartProgram() {
    app.recorder.changed = true;
    SaveRecorderState(app.recorder, app.actionIndex);
    app.recorder = RecorderState{};
    ASSERT_EQ(OpenDataFile(app.settings.DataFile), S_OK);
    ASSERT_EQ(RebuildActionIndex(*OpenTables()->userData, app.actionIndex), S_OK);
}

std::string RecorderFixture::Value(const std::string& sql) {
    return FirstValue(OpenTables()->db, sql);
}

std::vector<std::u16string> RecorderFixture::StoredHistory() {
    RecorderState state;
    EXPECT_EQ(LoadRecorderState(state), 0);
    return state.history.ids;
}

std::vector<std::string> RecorderFixture::Lines(const RecorderChain& chain) const {
    std::vector<std::string> lines;
    for (const std::u16string& line : chain.lines())
        lines.push_back(ToUtf8(line));
    return lines;
}
