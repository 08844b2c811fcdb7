// The file selection dialog's controls, soft keys, menu and layout, and the dispatch
// of its commands to the model.
#include "filedlg/FileSelectDlg.h"

#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "edit/ValueInputDlg.h"
#include "filedlg/FileSelectModel.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>

namespace {

QString Q(const char16_t* text) {
    return QString::fromUtf16(text);
}

void SetId(QObject* object, int id) {
    object->setObjectName(QStringLiteral("id%1").arg(id));
}

} // namespace

CFileSelectDlg::CFileSelectDlg(FileSelectModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("fileSelectDlg"));
    setModal(true);
    setWindowTitle(model.title.empty() ? QStringLiteral("Tidemark") : ToQString(model.title));
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(ScaleByDpi(12));
    setFont(font);
    if (!model_.askName) {
        ownAsker_ = true;
        model_.askName = [this](std::u16string_view title,
                                std::u16string_view initial) -> std::optional<std::u16string> {
            ValueInputRequest request{std::u16string(title), std::u16string(initial), {}};
            if (RunValueInputDlg(this, request) != 1) return std::nullopt;
            return request.resultText;
        };
    }
    CreateControls();
    CreateSoftKeys();
    CreateMenu();
    FillList();
    // Full-screen over the parent, as on the handheld; the handheld's size without one.
    if (parent)
        setGeometry(QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size()));
    else
        resize(ScaleByDpi(240), ScaleByDpi(320));
    name_->setFocus();
}

CFileSelectDlg::~CFileSelectDlg() {
    // The asker points at this window; the model may outlive it.
    if (ownAsker_) model_.askName = nullptr;
}

void CFileSelectDlg::CreateControls() {
    title_ = new QLabel(ToQString(model_.title), this);
    SetId(title_, FileDlgId::Title);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    SetId(ok_, FileDlgId::Ok);
    ok_->setDefault(true);
    cancel_ = new QPushButton(Q(u"キャンセル"), this);
    SetId(cancel_, FileDlgId::Cancel);
    folder_ = new QLineEdit(this);
    SetId(folder_, FileDlgId::Folder);
    folder_->setReadOnly(true);
    up_ = new QPushButton(Q(u"↑"), this);
    SetId(up_, FileDlgId::Up);
    list_ = new QListWidget(this);
    SetId(list_, FileDlgId::List);
    nameLabel_ = new QLabel(Q(u"ファイル名:"), this);
    SetId(nameLabel_, FileDlgId::NameLabel);
    name_ = new QLineEdit(ToQString(model_.defaultName), this);
    SetId(name_, FileDlgId::Name);
    typeLabel_ = new QLabel(Q(u"種類:"), this);
    SetId(typeLabel_, FileDlgId::TypeLabel);
    type_ = new QComboBox(this);
    SetId(type_, FileDlgId::Type);
    for (const std::u16string& description : model_.filter().descriptions)
        type_->addItem(ToQString(description));
    type_->setCurrentIndex(model_.selectedType());
    for (QPushButton* button : {cancel_, up_})
        button->setAutoDefault(false);

    connect(ok_, &QPushButton::clicked, this, [this] { OnCommand(FileDlgId::Ok); });
    connect(cancel_, &QPushButton::clicked, this, [this] { OnCommand(FileDlgId::Cancel); });
    connect(up_, &QPushButton::clicked, this, [this] { OnCommand(FileDlgId::Up); });
    // Queued: choosing a folder line refills the list, which must not happen inside
    // the list's own selection signal. The selection, not the current row: focus
    // entering the list makes row 0 current without selecting it, and focus alone
    // must never open a folder.
    connect(
        list_, &QListWidget::itemSelectionChanged, this, [this] { OnListSelChange(list_->currentRow()); },
        Qt::QueuedConnection);
    connect(type_, &QComboBox::currentIndexChanged, this, &CFileSelectDlg::OnTypeChange);
    list_->viewport()->installEventFilter(this);
    list_->installEventFilter(this);
    auto* back = new QShortcut(QKeySequence(Qt::Key_Backspace), list_);
    connect(back, &QShortcut::activated, this, [this] { OnCommand(FileDlgId::Up); });
}

void CFileSelectDlg::CreateSoftKeys() {
    softKeyBar_ = new QWidget(this);
    softKeyBar_->setObjectName(QStringLiteral("softKeyBar"));
    softKeyBar_->setAutoFillBackground(true);
    QPalette palette = softKeyBar_->palette();
    palette.setColor(QPalette::Window, QColor(224, 228, 240));
    softKeyBar_->setPalette(palette);
    softNew_ = new QPushButton(Q(u"新規フォルダー"), softKeyBar_);
    SetId(softNew_, FileDlgId::NewFolder);
    softMenu_ = new QPushButton(Q(u"メニュー"), softKeyBar_);
    SetId(softMenu_, FileDlgId::Menu);
    softClose_ = new QPushButton(Q(u"閉じる"), softKeyBar_);
    SetId(softClose_, FileDlgId::Close);
    for (QPushButton* key : {softNew_, softMenu_, softClose_}) {
        key->setFlat(true);
        key->setFocusPolicy(Qt::NoFocus);
        key->setAutoDefault(false);
    }
    connect(softNew_, &QPushButton::clicked, this, [this] { OnCommand(FileDlgId::NewFolder); });
    connect(softMenu_, &QPushButton::clicked, this, [this] { OnCommand(FileDlgId::Menu); });
    connect(softClose_, &QPushButton::clicked, this, [this] { OnCommand(FileDlgId::Close); });
}

void CFileSelectDlg::CreateMenu() {
    menu_ = new QMenu(Q(u"ファイルダイアログ"), this);
    menu_->setObjectName(QStringLiteral("fileDialogMenu"));
    auto item = [this](const char16_t* text, int id) {
        QAction* action = menu_->addAction(Q(text));
        SetId(action, id);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    item(u"新規フォルダー", FileDlgId::NewFolder);
    item(u"名前の変更", FileDlgId::Rename);
    item(u"削除", FileDlgId::Delete);
}

void CFileSelectDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void CFileSelectDlg::LayOut() {
    int w = width(), h = height();
    int row = ScaleByDpi(22), gap = ScaleByDpi(2);
    int bar = ScaleByDpi(26);
    int okWidth = ScaleByDpi(40), cancelWidth = ScaleByDpi(70), upWidth = ScaleByDpi(24);
    ok_->setGeometry(w - cancelWidth - okWidth - gap, gap, okWidth, row);
    cancel_->setGeometry(w - cancelWidth, gap, cancelWidth, row);
    title_->setGeometry(gap, gap, std::max(0, w - cancelWidth - okWidth - 3 * gap), row);
    int y = row + 2 * gap;
    folder_->setGeometry(0, y, std::max(0, w - upWidth - gap), row);
    up_->setGeometry(w - upWidth, y, upWidth, row);
    y += row + gap;
    int bottom = h - bar;
    int typeY = bottom - gap - row;
    int nameY = typeY - gap - row;
    list_->setGeometry(0, y, w, std::max(0, nameY - gap - y));
    int labelWidth = ScaleByDpi(66);
    nameLabel_->setGeometry(gap, nameY, labelWidth, row);
    name_->setGeometry(labelWidth + gap, nameY, std::max(0, w - labelWidth - gap), row);
    typeLabel_->setGeometry(gap, typeY, labelWidth, row);
    type_->setGeometry(labelWidth + gap, typeY, std::max(0, w - labelWidth - gap), row);
    softKeyBar_->setGeometry(0, bottom, w, bar);
    // "新規フォルダー" is the longest key: it takes the room the other two leave.
    int key = w * 3 / 10;
    softNew_->setGeometry(0, 0, w - 2 * key, bar);
    softMenu_->setGeometry(w - 2 * key, 0, key, bar);
    softClose_->setGeometry(w - key, 0, key, bar);
}

void CFileSelectDlg::FillList() {
    // The program's own changes of the list are not the user's choice.
    QSignalBlocker blocker(list_);
    folder_->setText(ToQString(model_.currentFolder()));
    folder_->setCursorPosition(0);
    list_->clear();
    for (const std::u16string& line : model_.lines())
        list_->addItem(ToQString(line));
}

void CFileSelectDlg::OnListSelChange(int row) {
    // A queued signal from before a refill names a row that is no longer chosen.
    if (row < 0 || row != list_->currentRow() || !list_->item(row)->isSelected()) return;
    std::u16string name;
    int kind = model_.SelectLine(row, name);
    if (kind == 1) FillList();
    if (kind == 2) name_->setText(ToQString(name));
    name_->setFocus();
}

void CFileSelectDlg::SelectLineQuietly(int row) {
    QSignalBlocker blocker(list_);
    list_->setCurrentRow(row);
}

// Keys that move through the list only mark a line: opening the folder on every step
// would leave a keyboard user no way past the first folder line. Return or Enter then
// chooses the marked line, as a tap does. Space stays a key to type: file lines begin
// with one.
bool CFileSelectDlg::ListKeyPress(QKeyEvent* key) {
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        int row = list_->currentRow();
        if (row < 0) return true;
        {
            QSignalBlocker blocker(list_);
            list_->clearSelection();
        }
        list_->item(row)->setSelected(true);
        return true;
    }
    case Qt::Key_Backspace:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return false;
    default: {
        QSignalBlocker blocker(list_);
        static_cast<QObject*>(list_)->event(key);
        return true;
    }
    }
}

bool CFileSelectDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) return ListKeyPress(key);
    }
    // A left press selects and so opens a folder line; a right press only marks the
    // line and offers the menu, the one way to rename or delete a folder.
    if (watched == list_->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::RightButton) {
            SelectLineQuietly(list_->indexAt(press->position().toPoint()).row());
            menu_->popup(press->globalPosition().toPoint());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CFileSelectDlg::OnTypeChange(int index) {
    if (index < 0) return;
    model_.SelectType(index);
    FillList();
}

void CFileSelectDlg::OnOk() {
    if (model_.Accept(HandleOf(this), FromQString(name_->text())) == 0) {
        done(1);
        return;
    }
    name_->setFocus();
}

void CFileSelectDlg::OnCommand(int id) {
    switch (id) {
    case FileDlgId::Ok:
        OnOk();
        break;
    case FileDlgId::Cancel:
    case FileDlgId::Close:
        model_.Cancel();
        done(2);
        break;
    case FileDlgId::Up:
        if (model_.Up()) FillList();
        name_->setFocus();
        break;
    case FileDlgId::NewFolder:
        if (model_.NewFolder(HandleOf(this)) == 0) FillList();
        break;
    case FileDlgId::Rename:
        model_.Rename(HandleOf(this), list_->currentRow());
        FillList();
        break;
    case FileDlgId::Delete:
        model_.Delete(HandleOf(this), list_->currentRow());
        FillList();
        break;
    case FileDlgId::Menu:
        menu_->popup(softMenu_->mapToGlobal(QPoint(0, -menu_->sizeHint().height())));
        break;
    default:
        break;
    }
}
