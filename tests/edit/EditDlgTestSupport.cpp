// The edit dialog test fixture and the QApplication of the test program.
#include "tests/edit/EditDlgTestSupport.h"

#include "core/Clock.h"
#include "core/Paths.h"
#include "core/Utf.h"
#include "store/DataFileTables.h"
#include "tests/support/QtTestApp.h"
#include "views/CommandIds.h"

#include <QLabel>
#include <QPushButton>

namespace {

const auto* const g_environment = InstallQtTestEnvironment();

} // namespace

std::string U8(const OptText& text) {
    return text ? ToUtf8(*text) : std::string("<null>");
}

void EditDlgFixture::SetUp() {
    SetFixedClock(2010, 11, 17, 9, 40, 0); // a Wednesday
    SetProgramFolder(FromUtf8(dir.path() + "/"));
    app.settings = DefaultSettings(144);
    app.settings.TimeInitForNewMode = 1;
    app.settings.DataFile = dir.file16("user.sdf");
    app.timePickList = MakeTimePickList();
    ASSERT_EQ(CreateDataFile(app.settings.DataFile), S_OK);
    app.shownDate = {2010, 11, 14};
    SetApp(&app);
}

void EditDlgFixture::TearDown() {
    dialog.reset();
    CloseDataFile();
    SetApp(nullptr);
    SetClockSource({});
}

void EditDlgFixture::Insert(std::initializer_list<TestAction> actions) {
    UserDataTable& table = *OpenTables()->userData;
    for (const TestAction& a : actions) {
        ActionRecord r;
        r[ActionField::StaDateTime] = FromUtf8(a.start);
        r[ActionField::EndDateTime] = FromUtf8(a.end);
        if (a.memo) r[ActionField::Memo] = FromUtf8(a.memo);
        if (a.place) r[ActionField::Place] = FromUtf8(a.place);
        ASSERT_EQ(table.InsertAction(r), S_OK) << a.start;
    }
    ASSERT_EQ(RebuildActionIndex(table, app.actionIndex), S_OK);
}

CEditActionDlg& EditDlgFixture::Open(int mode, long long position) {
    app.selectedPosition = mode == EditDlgMode::New ? app.actionIndex.count() : position;
    dialog = std::make_unique<CEditActionDlg>(app, OpenTables()->userData.get());
    dialog->OnInitDialog(mode);
    dialog->show();
    return *dialog;
}

ActionRecord EditDlgFixture::Stored(long long position) {
    ActionRecord record;
    EXPECT_EQ(OpenTables()->userData->ReadActionById(app.actionIndex.IdAt(position), record), S_OK);
    return record;
}

std::string EditDlgFixture::Text(int id) const {
    QWidget* widget = dialog->findChild<QWidget*>(QStringLiteral("id%1").arg(id));
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
    if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text().toStdString();
    return "<no control " + std::to_string(id) + ">";
}
