// The main window test fixture and the QApplication of the test program.
#include "tests/views/ViewsTestSupport.h"

#include "core/Clock.h"
#include "core/Paths.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/support/QtTestApp.h"
#include "views/MainWnd.h"
#include "views/ViewHooks.h"

#include <QApplication>
#include <QFont>
#include <QTreeWidget>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

} // namespace

void MainWndFixture::SetUp() {
    SetFixedClock(2010, 11, 17, 12, 0, 0); // a Wednesday
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    app.settings = DefaultSettings(144);
    app.settings.DataFile = dir.file16("user.sdf");
    ASSERT_EQ(CreateDataFile(app.settings.DataFile), S_OK);
    app.shownDate = {2010, 11, 14};
    SetApp(&app);
    ViewHooks() = MainWndHooks{};
}

void MainWndFixture::TearDown() {
    window.reset();
    ViewHooks() = MainWndHooks{};
    CloseDataFile();
    SetApp(nullptr);
    SetClockSource({});
}

void MainWndFixture::Insert(const std::vector<TestAction>& actions) {
    UserDataTable& table = *OpenTables()->userData;
    ExecuteSql(OpenTables()->db, "BEGIN");
    for (const TestAction& a : actions) {
        ActionRecord r;
        r[ActionField::StaDateTime] = FromUtf8(a.start);
        r[ActionField::EndDateTime] = FromUtf8(a.end);
        r[ActionField::Place] = FromUtf8(a.place);
        r[ActionField::Category1] = FromUtf8(a.category1);
        r[ActionField::Memo] = FromUtf8(a.memo);
        r[ActionField::Subject] = FromUtf8(a.subject);
        ASSERT_EQ(table.InsertAction(r), S_OK) << a.start;
    }
    ExecuteSql(OpenTables()->db, "COMMIT");
    ASSERT_EQ(RebuildActionIndex(table, app.actionIndex), S_OK);
}

CMainWnd& MainWndFixture::Window(int view, int dayMode) {
    window = std::make_unique<CMainWnd>(app);
    window->resize(360, 480);
    window->show();
    window->Start(view, dayMode);
    return *window;
}

std::vector<std::string> MainWndFixture::Column(int c) const {
    std::vector<std::string> texts;
    QTreeWidget* list = window->listControl();
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.push_back(list->topLevelItem(i)->text(c).toStdString());
    return texts;
}
