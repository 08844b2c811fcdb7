// The about box's layout and its count of actions.
#include "views/AboutDlg.h"

#include "app/MainApp.h"
#include "core/ProgramIcon.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/Utf.h"
#include "resources/ToolBarIcons.h"
#include "store/DataFileTables.h"
#include "views/MainWnd.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

// Every action of the data file, whatever the search; -1 when it cannot be counted.
long long TotalActions() {
    DataFileTables* tables = OpenTables();
    if (!tables) return -1;
    UserDataTable& table = *tables->userData;
    if (FAILED(table.OpenQuery(u"select count(*) as n from t_UserData", {"n"}))) return -1;
    std::vector<OptText> row;
    long long total = -1;
    if (table.ReadNextRow(row) == S_OK && row[0]) total = std::stoll(ToUtf8(*row[0]));
    table.CloseQuery();
    return total;
}

} // namespace

QString CAboutDlg::CountText(long long shown, long long total, bool searching) {
    if (!searching || total < 0) return QString::number(shown);
    return QStringLiteral("%1(%2)").arg(shown).arg(total);
}

CAboutDlg::CAboutDlg(CMainApp& app, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(Q(u"バージョン情報"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIconPixmap(ScaleByDpi(32)));
    icon->setAlignment(Qt::AlignCenter);
    auto* name = new QLabel(QStringLiteral("Tidemark"), this);
    name->setAlignment(Qt::AlignCenter);
    QFont big = name->font();
    big.setPixelSize(ScaleByDpi(16));
    big.setBold(true);
    name->setFont(big);
    auto* version = new QLabel(QStringLiteral("Ver. %1").arg(ToQString(kProgVer)), this);
    version->setAlignment(Qt::AlignCenter);
    auto* group = new QGroupBox(Q(u"データ情報"), this);
    auto* grid = new QGridLayout(group);
    auto* file = new QLineEdit(ToQString(app.settings.DataFile), group);
    file->setObjectName(QStringLiteral("aboutFile"));
    file->setReadOnly(true);
    file->setCursorPosition(0);
    long long shown = app.actionIndex.count();
    bool searching = !app.searchCondition.empty();
    auto* count = new QLabel(CountText(shown, searching ? TotalActions() : shown, searching), group);
    count->setObjectName(QStringLiteral("aboutCount"));
    grid->addWidget(new QLabel(Q(u"ファイル:"), group), 0, 0);
    grid->addWidget(file, 0, 1);
    grid->addWidget(new QLabel(Q(u"件数:"), group), 1, 0);
    grid->addWidget(count, 1, 1);
    auto* close = new QPushButton(Q(u"閉じる"), this);
    close->setObjectName(QStringLiteral("aboutClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(icon);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addSpacing(ScaleByDpi(8));
    layout->addWidget(group);
    layout->addStretch(1);
    layout->addWidget(close);
    // Full-screen over the main window, as on the handheld.
    if (parent) setGeometry(QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size()));
}

void CMainWnd::ShowAboutBox() {
    CAboutDlg about(app_, this);
    about.exec();
}
