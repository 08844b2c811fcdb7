// flotsam's window: controls, soft keys, menu, layout and commands.
#include "salvage/SalvageWnd.h"

#include "core/DialogFont.h"
#include "core/Paths.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/SoftKeyBar.h"
#include "core/WidgetId.h"
#include "filedlg/FileSelectDialog.h"
#include "salvage/SalvageRun.h"

#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace {

constexpr char16_t kToolName[] = u"flotsam";
constexpr char16_t kToolVersion[] = u"1.2.2010.1114";

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

// The chooser starts at the top of the user's own files (the handheld's root folder).
std::u16string StartFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? FromQString(QString::fromLocal8Bit(home)) : std::u16string(u"/");
}

} // namespace

QString SalvageAboutText() {
    return QStringLiteral("%1 Version %2").arg(Q(kToolName), Q(kToolVersion));
}

void RunSalvageAbout(QWidget* parent) {
    QDialog box(parent);
    box.setObjectName(QStringLiteral("salvageAbout"));
    box.setWindowTitle(Q(u"バージョン情報"));
    box.setFont(DialogFont());
    auto* layout = new QVBoxLayout(&box);
    auto* text = new QLabel(SalvageAboutText(), &box);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton(QStringLiteral("OK"), &box);
    SetId(ok, 1);
    QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
    layout->addWidget(text);
    layout->addWidget(ok, 0, Qt::AlignCenter);
    box.resize(ScaleByDpi(200), ScaleByDpi(90));
    box.exec();
}

CSalvageWnd::CSalvageWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(Q(kSalvageWindowClass));
    setWindowTitle(Q(kSalvageTitle));
    setFont(DialogFont());
    CreateControls();
    CreateSoftKeys();
    resize(ScaleByDpi(240), ScaleByDpi(320));
}

void CSalvageWnd::CreateControls() {
    dataLabel_ = new QLabel(Q(u"データファイル名:"), this);
    dataFile_ = new QLineEdit(this);
    SetId(dataFile_, SalvageId::DataFile);
    dataFile_->setMaxLength(static_cast<int>(kMaxPath));
    browseData_ = new QPushButton(QStringLiteral("..."), this);
    SetId(browseData_, SalvageId::BrowseData);
    exportLabel_ = new QLabel(Q(u"エクスポートファイル名:"), this);
    exportFile_ = new QLineEdit(this);
    SetId(exportFile_, SalvageId::ExportFile);
    exportFile_->setMaxLength(static_cast<int>(kMaxPath));
    browseExport_ = new QPushButton(QStringLiteral("..."), this);
    SetId(browseExport_, SalvageId::BrowseExport);
    run_ = new QPushButton(Q(u"データ取出し"), this);
    SetId(run_, SalvageId::Run);
    connect(browseData_, &QPushButton::clicked, this, [this] { OnCommand(SalvageId::BrowseData); });
    connect(browseExport_, &QPushButton::clicked, this, [this] { OnCommand(SalvageId::BrowseExport); });
    connect(run_, &QPushButton::clicked, this, [this] { OnCommand(SalvageId::Run); });
}

void CSalvageWnd::CreateSoftKeys() {
    softKeyBar_ = NewSoftKeyBar(this);
    softRun_ = NewSoftKey(Q(u"データ取出し"), softKeyBar_);
    softRun_->setObjectName(QStringLiteral("softKeyRun"));
    softMenu_ = WithId(NewSoftKey(Q(u"メニュー"), softKeyBar_), SalvageId::SoftKeyMenu);
    connect(softRun_, &QPushButton::clicked, this, [this] { OnCommand(SalvageId::Run); });
    connect(softMenu_, &QPushButton::clicked, this, [this] { OnCommand(SalvageId::SoftKeyMenu); });
    menu_ = new QMenu(Q(u"メニュー"), this);
    menu_->setObjectName(QStringLiteral("salvageMenu"));
    QAction* about = menu_->addAction(Q(u"バージョン情報..."));
    SetId(about, SalvageId::About);
    connect(about, &QAction::triggered, this, [this] { OnCommand(SalvageId::About); });
    QAction* quit = menu_->addAction(Q(u"終了"));
    SetId(quit, SalvageId::Quit);
    connect(quit, &QAction::triggered, this, [this] { OnCommand(SalvageId::Quit); });
}

void CSalvageWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void CSalvageWnd::LayOut() {
    const int w = width(), h = height();
    const int row = ScaleByDpi(22), gap = ScaleByDpi(4), dots = ScaleByDpi(28), bar = ScaleByDpi(26);
    const int field = std::max(0, w - 3 * gap - dots);
    int y = gap;
    dataLabel_->setGeometry(gap, y, w - 2 * gap, row);
    y += row;
    dataFile_->setGeometry(gap, y, field, row);
    browseData_->setGeometry(w - gap - dots, y, dots, row);
    y += row + 2 * gap;
    exportLabel_->setGeometry(gap, y, w - 2 * gap, row);
    y += row;
    exportFile_->setGeometry(gap, y, field, row);
    browseExport_->setGeometry(w - gap - dots, y, dots, row);
    y += row + 3 * gap;
    const int runWidth = ScaleByDpi(110);
    run_->setGeometry((w - runWidth) / 2, y, runWidth, ScaleByDpi(26));
    softKeyBar_->setGeometry(0, h - bar, w, bar);
    softRun_->setGeometry(0, 0, w / 2, bar);
    softMenu_->setGeometry(w / 2, 0, w - w / 2, bar);
}

void CSalvageWnd::OnCommand(int id) {
    switch (id) {
    case SalvageId::BrowseData:
        BrowseDataFile();
        break;
    case SalvageId::BrowseExport:
        BrowseExportFile();
        break;
    case SalvageId::Run:
        RunSalvageNow();
        break;
    case SalvageId::About:
        RunSalvageAbout(this);
        break;
    case SalvageId::SoftKeyMenu:
        PopUpAbove(menu_, softMenu_);
        break;
    case SalvageId::Quit:
        close();
        break;
    default:
        break;
    }
}

void CSalvageWnd::BrowseDataFile() {
    FileSelectDialog dialog;
    dialog.SetMode(2);
    dialog.SetFilter(u"データファイル (*.sdf)|*.sdf|すべてのファイル (*.*)|*.*");
    dialog.SetTitle(u"データファイル");
    dialog.SetStartFolder(StartFolder());
    dialog.SetDefaultName(u"");
    if (dialog.Run(this) == 1 && dialog.result()) dataFile_->setText(ToQString(*dialog.result()));
}

void CSalvageWnd::BrowseExportFile() {
    FileSelectDialog dialog;
    dialog.SetMode(1);
    dialog.SetFilter(u"エクスポートファイル (*.csv)|*.csv|テキストファイル (*.txt)|*.txt|すべてのファイル (*.*)|*.*");
    dialog.SetTitle(u"エクスポートファイル");
    dialog.SetStartFolder(StartFolder());
    dialog.SetDefaultName(u"");
    if (dialog.Run(this) == 1 && dialog.result()) exportFile_->setText(ToQString(*dialog.result()));
}

void CSalvageWnd::RunSalvageNow() {
    RunSalvage(HandleOf(this), FromQString(dataFile_->text()), FromQString(exportFile_->text()));
}
