// The recorder's window: controls, menu, in-place editors, position commands and the
// dispatch of every command to the chain.
#include "recorder/RecorderDlg.h"

#include "app/MainApp.h"
#include "core/Clock.h"
#include "core/DateTimeText.h"
#include "core/Degrees.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/TapLabel.h"
#include "core/Utf.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "gps/PositionSource.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

namespace {

using namespace RecorderCmd;

constexpr char16_t kAcquiring[] = u"取得中";
constexpr int kEditTime = 2, kEditPlace = 5, kEditCategory1 = 6, kEditCategory2 = 7;

QString Q(std::u16string_view text) {
    return ToQString(text);
}

QRect Scaled(int x, int y, int w, int h) {
    return QRect(ScaleByDpi(x), ScaleByDpi(y), ScaleByDpi(w), ScaleByDpi(h));
}

void SetId(QObject* object, int id) {
    object->setObjectName(QStringLiteral("id%1").arg(id));
}

int FieldOfTarget(int target) {
    switch (target) {
    case kEditTime:
        return TimeField;
    case kEditPlace:
        return PlaceField;
    case kEditCategory1:
        return Cate1Field;
    default:
        return Cate2Field;
    }
}

} // namespace

RecorderDlgHooks& RecorderHooks() {
    static RecorderDlgHooks hooks;
    return hooks;
}

CRecorderDlg::CRecorderDlg(CMainApp& app, QWidget* parent) : QDialog(parent), app_(app), chain_(app, HandleOf(this)) {
    setObjectName(QStringLiteral("RecorderDlg"));
    setWindowTitle(Q(u"レコーダー"));
    setModal(true);
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPixelSize(ScaleByDpi(12));
    setFont(font);
    CreateControls();
    CreateMenu();
    if (parent)
        setGeometry(QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size()));
    else
        resize(ScaleByDpi(240), ScaleByDpi(320));
    Layout();
    OnInitDialog();
}

CRecorderDlg::~CRecorderDlg() = default;

void CRecorderDlg::CreateControls() {
    auto label = [this](int id, const QString& text) {
        auto* l = new QLabel(text, this);
        SetId(l, id);
        return l;
    };
    // The value fields take the focus too: Space, Return or F2 there is a tap.
    auto field = [this](int id) {
        auto* l = new TapLabel(this, [this, id] { OnCommand(id); });
        SetId(l, id);
        return l;
    };
    auto button = [this](int id, const QString& text) {
        auto* b = new QPushButton(text, this);
        SetId(b, id);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        return b;
    };
    const AppSettings& s = app_.settings;
    label(Title, Q(u"レコーダー"))->setStyleSheet(QStringLiteral("font-weight: bold"));
    button(Quit, Q(u"終了"));
    button(Close, Q(u"閉じる"));
    label(TimeLabel, Q(u"時刻:"));
    button(Now, Q(u"・"));
    label(LatLabel, Q(s.LatName + u"："));
    label(LonLabel, Q(s.LonName + u"："));
    label(PlaceLabel, Q(s.PlaceName + u"："));
    label(Cate1Label, Q(s.Cate1Name + u"："));
    label(Cate2Label, Q(s.Cate2Name + u"："));
    for (int id : {TimeField, LatField, LonField, PlaceField, Cate1Field, Cate2Field}) {
        QLabel* value = field(id);
        value->setFrameShape(QFrame::Box);
        value->setAutoFillBackground(true);
        QPalette palette = value->palette();
        bool position = id == LatField || id == LonField;
        palette.setColor(QPalette::Window, position ? QColor(255, 250, 220) : QColor(255, 255, 255));
        value->setPalette(palette);
        value->installEventFilter(this);
    }
    FieldLabel(TimeField)->setText(Q(kCurrentTimePlaceholder));

    list_ = new QListWidget(this);
    SetId(list_, History);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    QFont listFont(Q(s.RcdrFntName));
    listFont.setPixelSize(std::max(1, std::abs(s.RcdrFntSize)));
    list_->setFont(listFont);
    connect(list_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OnHistoryClicked(list_->row(item)); });
    connect(list_, &QWidget::customContextMenuRequested, this, &CRecorderDlg::OnHistoryMenu);

    button(Clear, Q(u"クリア"));
    button(Delete, Q(u"削除"));
    button(Back, Q(u"<="));
    QPushButton* record = button(Record, Q(u"●"));
    record->setDefault(true);
    button(StopRestart, Q(u"◆"));

    timeEditor_ = new QComboBox(this);
    SetId(timeEditor_, TimeEditor);
    valueEditor_ = new QComboBox(this);
    SetId(valueEditor_, ValueEditor);
    for (QComboBox* editor : {timeEditor_, valueEditor_}) {
        editor->setEditable(true);
        editor->setInsertPolicy(QComboBox::NoInsert);
        // No inline completion: Return keeps exactly what was typed.
        editor->setCompleter(nullptr);
        editor->hide();
        // A choice from the drop-down leaves its whole text selected for typing over.
        connect(editor, &QComboBox::activated, this, [editor] {
            editor->lineEdit()->selectAll();
            editor->setFocus();
        });
    }

    softKeyBar_ = new QWidget(this);
    softKeyBar_->setAutoFillBackground(true);
    QPalette palette = softKeyBar_->palette();
    palette.setColor(QPalette::Window, QColor(224, 228, 240));
    softKeyBar_->setPalette(palette);
    for (auto [id, text] : {std::pair{SoftKeyRecord, u"記録"}, std::pair{SoftKeyMenu, u"メニュー"}}) {
        auto* key = new QPushButton(Q(text), softKeyBar_);
        SetId(key, id);
        key->setFlat(true);
        key->setAutoDefault(false);
        key->setFocusPolicy(Qt::NoFocus);
        connect(key, &QPushButton::clicked, this, [this, id = id] { OnCommand(id); });
    }
}

void CRecorderDlg::CreateMenu() {
    menu_ = new QMenu(this);
    auto item = [this](QMenu* into, const char16_t* text, int id) {
        QAction* action = into->addAction(Q(text));
        SetId(action, id);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        return action;
    };
    item(menu_, u"記録", MenuRecord);
    item(menu_, u"停止", MenuStopRestart);
    item(menu_, u"戻る", MenuBack);
    item(menu_, u"クリア", MenuClear);
    item(menu_, u"変更...", MenuChange);
    item(menu_, u"削除", MenuDelete);
    QMenu* position = menu_->addMenu(Q(u"位置情報"));
    item(position, u"位置取得", PositionAcquire);
    item(position, u"位置表示", PositionShow);
    item(position, u"位置クリア", PositionClear);
    item(position, u"地図表示", WebMap);
    item(menu_, u"起動時に開く", MenuOpenAtStartup)->setCheckable(true);
    item(menu_, u"閉じる", MenuClose);
    item(menu_, u"終了", MenuQuit);
}

QWidget* CRecorderDlg::Control(int id) const {
    return findChild<QWidget*>(QStringLiteral("id%1").arg(id));
}

QAction* CRecorderDlg::MenuItem(int id) const {
    return menu_->findChild<QAction*>(QStringLiteral("id%1").arg(id));
}

QLabel* CRecorderDlg::FieldLabel(int id) const {
    return findChild<QLabel*>(QStringLiteral("id%1").arg(id));
}

void CRecorderDlg::Layout() {
    // Laid out for a 240-pixel-wide screen at 96 dpi; fields and list take the width.
    int w = width() * 96 / std::max(1, ProgramDpi());
    int h = height() * 96 / std::max(1, ProgramDpi());
    int fieldW = std::max(60, w - 60);
    Control(Title)->setGeometry(Scaled(4, 4, 100, 20));
    Control(Quit)->setGeometry(Scaled(w - 96, 2, 44, 22));
    Control(Close)->setGeometry(Scaled(w - 48, 2, 44, 22));
    Control(TimeLabel)->setGeometry(Scaled(4, 28, 52, 20));
    Control(TimeField)->setGeometry(Scaled(56, 28, fieldW - 28, 20));
    Control(Now)->setGeometry(Scaled(w - 26, 27, 22, 22));
    const int rows[][2] = {{LatLabel, LatField},
                           {LonLabel, LonField},
                           {PlaceLabel, PlaceField},
                           {Cate1Label, Cate1Field},
                           {Cate2Label, Cate2Field}};
    for (int i = 0; i < 5; ++i) {
        int y = 52 + i * 22;
        Control(rows[i][0])->setGeometry(Scaled(4, y, 52, 20));
        Control(rows[i][1])->setGeometry(Scaled(56, y, fieldW, 20));
    }
    int buttonsY = h - 26 - 28;
    Control(History)->setGeometry(Scaled(4, 164, w - 8, std::max(40, buttonsY - 168)));
    int bw = (w - 8 - 16) / 5;
    const int buttons[] = {Clear, Delete, Back, Record, StopRestart};
    for (int i = 0; i < 5; ++i)
        Control(buttons[i])->setGeometry(Scaled(4 + i * (bw + 4), buttonsY, bw, 26));
    softKeyBar_->setGeometry(Scaled(0, h - 26, w, 26));
    softKeyBar_->findChild<QWidget*>(QStringLiteral("id%1").arg(SoftKeyRecord))->setGeometry(Scaled(0, 0, w / 2, 26));
    softKeyBar_->findChild<QWidget*>(QStringLiteral("id%1").arg(SoftKeyMenu))
        ->setGeometry(Scaled(w / 2, 0, w - w / 2, 26));
}

void CRecorderDlg::OnInitDialog() {
    int startup = app_.settings.StartupMode;
    lastOtherStartup_ = startup == 1 ? 0 : startup;
    MenuItem(MenuOpenAtStartup)->setChecked(startup == 1);
    if (chain_.LoadOnce() != 0) {
        ShowChain();
        return;
    }
    const RecorderState& s = app_.recorder;
    FieldLabel(TimeField)->setText(s.time.empty() ? Q(kCurrentTimePlaceholder) : Q(s.time));
    FieldLabel(LatField)->setText(Q(s.latitude));
    FieldLabel(LonField)->setText(Q(s.longitude));
    FieldLabel(PlaceField)->setText(Q(s.place));
    FieldLabel(Cate1Field)->setText(Q(s.category1));
    FieldLabel(Cate2Field)->setText(Q(s.category2));
    chain_.Refill();
    ShowChain();
    Control(Record)->setFocus();
}

RecorderFields CRecorderDlg::ReadFields() const {
    auto text = [this](int id) { return FromQString(FieldLabel(id)->text()); };
    return RecorderFields{text(TimeField),  text(LatField),   text(LonField),
                          text(PlaceField), text(Cate1Field), text(Cate2Field)};
}

void CRecorderDlg::ResetTimeAndPosition() {
    FieldLabel(TimeField)->setText(Q(kCurrentTimePlaceholder));
    FieldLabel(LatField)->setText(QString());
    FieldLabel(LonField)->setText(QString());
}

void CRecorderDlg::ShowChain() {
    list_->clear();
    for (const std::u16string& line : chain_.lines())
        list_->addItem(Q(line));
    list_->clearSelection();
    if (list_->count() > 0) {
        QListWidgetItem* last = list_->item(list_->count() - 1);
        list_->setCurrentItem(last);
        list_->scrollToItem(last, QAbstractItemView::PositionAtTop);
    }
    bool open = chain_.open();
    bool enabled = open || !app_.recorder.history.ids.empty();
    for (int id : {Back, StopRestart})
        Control(id)->setEnabled(enabled);
    for (int id : {MenuBack, MenuStopRestart})
        MenuItem(id)->setEnabled(enabled);
    static_cast<QPushButton*>(Control(StopRestart))->setText(Q(open ? u"■" : u"◆"));
    MenuItem(MenuStopRestart)->setText(Q(open ? u"停止" : u"再開"));
}

void CRecorderDlg::OnCommand(int id) {
    if (ended_) return;
    // A fix is posted by the position source; every other command commits the editor.
    if (id == PositionFix) {
        OnPositionFix();
        return;
    }
    if (!CommitEditor()) return;
    switch (id) {
    case Record:
    case SoftKeyRecord:
    case MenuRecord:
        if (chain_.Record(ReadFields()) == kRecorderDone) ResetTimeAndPosition();
        ShowChain();
        break;
    case StopRestart:
    case MenuStopRestart:
        if (chain_.open()) {
            if (chain_.Stop(ReadFields()) == kRecorderDone) ResetTimeAndPosition();
        } else {
            chain_.Reopen();
        }
        ShowChain();
        break;
    case Back:
    case MenuBack:
        if (chain_.Back() != kRecorderDeclined) ResetTimeAndPosition();
        ShowChain();
        break;
    case Clear:
    case MenuClear:
        chain_.Clear();
        ResetTimeAndPosition();
        for (int field : {PlaceField, Cate1Field, Cate2Field})
            FieldLabel(field)->setText(QString());
        ShowChain();
        break;
    case Delete:
    case MenuDelete:
        chain_.DeleteLines(SelectedRows());
        ShowChain();
        break;
    case MenuChange: {
        std::vector<int> rows = SelectedRows();
        if (rows.size() == 1)
            OpenLine(rows[0]);
        else
            ShowMessage(HandleOf(this), u"有効なアクションが選択されていません。", u"変更不可",
                        MB_OK | MB_ICONEXCLAMATION);
        break;
    }
    case Now: {
        LocalDateTime now = LocalNow();
        FieldLabel(TimeField)->setText(Q(FormatHourMinute(now.hour, now.minute)));
        break;
    }
    case TimeField:
    case PlaceField:
    case Cate1Field:
    case Cate2Field:
    case LatField:
    case LonField:
        OnFieldTapped(id);
        break;
    case PositionAcquire:
        OnPositionAcquire();
        break;
    case PositionShow:
        OnPositionShow();
        break;
    case PositionClear:
        FieldLabel(LatField)->setText(QString());
        FieldLabel(LonField)->setText(QString());
        break;
    case WebMap:
        OnWebMap();
        break;
    case MenuOpenAtStartup:
        ToggleOpenAtStartup();
        break;
    case SoftKeyMenu:
        menu_->popup(
            mapToGlobal(QPoint(width() - menu_->sizeHint().width(), softKeyBar_->y() - menu_->sizeHint().height())));
        break;
    case Close:
    case MenuClose:
        EndWith(kRecorderClosed);
        break;
    case Quit:
    case MenuQuit:
        EndWith(kRecorderQuit);
        break;
    default:
        break;
    }
}

bool CRecorderDlg::eventFilter(QObject* watched, QEvent* event) {
    // A field acts on the button's release; the press only gives it the focus.
    bool press = event->type() == QEvent::MouseButtonPress;
    if ((press || event->type() == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int id : {TimeField, LatField, LonField, PlaceField, Cate1Field, Cate2Field}) {
            if (watched != FieldLabel(id)) continue;
            if (press) {
                FieldLabel(id)->setFocus(Qt::MouseFocusReason);
                return true;
            }
            if (FieldLabel(id)->isEnabled()) OnCommand(id);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CRecorderDlg::mousePressEvent(QMouseEvent* event) {
    // A tap on the background commits the in-place editor.
    CommitEditor();
    QDialog::mousePressEvent(event);
}

void CRecorderDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Layout();
}

void CRecorderDlg::OnFieldTapped(int id) {
    switch (id) {
    case LatField:
    case LonField:
        OnPositionAcquire();
        break;
    case TimeField:
        OpenEditor(kEditTime);
        break;
    case PlaceField:
        OpenEditor(kEditPlace);
        break;
    case Cate1Field:
        OpenEditor(kEditCategory1);
        break;
    default:
        OpenEditor(kEditCategory2);
        break;
    }
}

void CRecorderDlg::OpenEditor(int target) {
    AppSettings& s = app_.settings;
    QLabel* field = FieldLabel(FieldOfTarget(target));
    const std::vector<std::u16string>& picks = target == kEditPlace       ? s.lists.Place
                                               : target == kEditCategory1 ? s.lists.Category1
                                                                          : s.lists.Category2;
    const RecorderPick pick = target == kEditPlace       ? RecorderPick::Place
                              : target == kEditCategory1 ? RecorderPick::Category1
                                                         : RecorderPick::Category2;
    if (s.ItmSelMode == 2) {
        if (target == kEditTime) {
            TimeSelectRequest request;
            request.title = u"時刻の選択";
            request.extraCaption = u"現在時刻";
            request.showExtra = true;
            LocalDateTime now = LocalNow();
            request.hour = now.hour;
            request.minute = now.minute;
            int second;
            ParseTimeEntry(FromQString(field->text()), request.hour, request.minute, second);
            if (RunTimeSelectDlg(this, request) != 1) return;
            // The extra choice answers hour 25: the clock again.
            field->setText(request.resultHour == 25 ? Q(kCurrentTimePlaceholder)
                                                    : Q(FormatHourMinute(request.resultHour, request.resultMinute)));
            return;
        }
        const std::u16string& name = target == kEditPlace       ? s.PlaceName
                                     : target == kEditCategory1 ? s.Cate1Name
                                                                : s.Cate2Name;
        ValueSelectRequest request;
        request.title = name + u"の選択";
        request.initialValue = FromQString(field->text());
        request.list = picks;
        if (RunValueSelectDlg(this, request) != 1 || !request.result) return;
        field->setText(Q(*request.result));
        RememberRecorderValue(app_, pick, *request.result);
        return;
    }
    QComboBox* editor = target == kEditTime ? timeEditor_ : valueEditor_;
    editor->clear();
    if (target == kEditTime) {
        editor->addItem(Q(kCurrentTimePlaceholder));
        for (size_t i = 0; i < 48 && i < app_.timePickList.size(); ++i)
            editor->addItem(Q(app_.timePickList[i]));
        if (field->text().isEmpty())
            editor->setCurrentIndex(24);
        else
            editor->setEditText(field->text());
    } else {
        for (const std::u16string& value : picks)
            editor->addItem(Q(value));
        editor->setEditText(field->text());
    }
    editor->setGeometry(field->geometry().adjusted(0, -ScaleByDpi(2), 0, ScaleByDpi(2)));
    field->hide();
    editor->show();
    editor->raise();
    editor->setFocus();
    editor->lineEdit()->selectAll();
    editTarget_ = target;
}

bool CRecorderDlg::CommitEditor() {
    if (editTarget_ == 0) return true;
    const int target = editTarget_;
    editTarget_ = 0;
    QComboBox* editor = target == kEditTime ? timeEditor_ : valueEditor_;
    QLabel* field = FieldLabel(FieldOfTarget(target));
    std::u16string text = FromQString(editor->currentText());
    editor->hide();
    field->show();
    if (target == kEditTime) {
        if (CommitTimeField(HandleOf(this), text) != 0) return false;
    } else {
        RememberRecorderValue(app_,
                              target == kEditPlace       ? RecorderPick::Place
                              : target == kEditCategory1 ? RecorderPick::Category1
                                                         : RecorderPick::Category2,
                              text);
    }
    field->setText(Q(text));
    return true;
}

std::vector<int> CRecorderDlg::SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < list_->count(); ++row) {
        if (list_->item(row)->isSelected()) rows.push_back(row);
    }
    return rows;
}

void CRecorderDlg::OnHistoryClicked(int row) {
    // Shift or Ctrl extends the selection (for delete); a plain tap opens the line.
    if (QGuiApplication::keyboardModifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) return;
    if (!CommitEditor()) return;
    OpenLine(row);
}

void CRecorderDlg::OnHistoryMenu(const QPoint& at) {
    QMenu popup(this);
    auto item = [this, &popup](const char16_t* text, int id) {
        QAction* action = popup.addAction(Q(text));
        SetId(action, id);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    item(u"変更...", MenuChange);
    item(u"削除", MenuDelete);
    item(u"クリア", MenuClear);
    popup.exec(list_->viewport()->mapToGlobal(at));
}

void CRecorderDlg::OpenLine(int row) {
    StoreState();
    if (chain_.PositionOfLine(row) < 0) return;
    if (RecorderHooks().runEditDialog) RecorderHooks().runEditDialog(this, 2);
    chain_.Refill();
    ShowChain();
}

void CRecorderDlg::OnPositionAcquire() {
    if (acquiring_) return;
    QLabel* lat = FieldLabel(LatField);
    QLabel* lon = FieldLabel(LonField);
    savedLatitude_ = lat->text();
    savedLongitude_ = lon->text();
    for (QLabel* field : {lat, lon}) {
        field->setText(Q(kAcquiring));
        field->setAlignment(Qt::AlignCenter);
        field->setEnabled(false);
    }
    acquiring_ = true;
    if (RequestPosition(HandleOf(this), PositionFix) >= 0) return;
    // No position source: the fields come back at once instead of waiting for a fix.
    for (QLabel* field : {lat, lon}) {
        field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        field->setEnabled(true);
    }
    lat->setText(savedLatitude_);
    lon->setText(savedLongitude_);
    acquiring_ = false;
    ShowPositionUnavailable(HandleOf(this));
}

void CRecorderDlg::OnPositionFix() {
    PositionListener* listener = CurrentPositionListener();
    if (!listener) return;
    gpsLatitude_ = listener->latitude;
    gpsLongitude_ = listener->longitude;
    positionAcquired_ = true;
    if (!acquiring_) return;
    QLabel* lat = FieldLabel(LatField);
    QLabel* lon = FieldLabel(LonField);
    std::string latText = ToUtf8(FormatDegreesText(gpsLatitude_));
    std::string lonText = ToUtf8(FormatDegreesText(gpsLongitude_));
    int answer = ShowMessage(
        HandleOf(this),
        FormatText("位置情報を取得しました。値を取り込みますか？\nLat:%s\nLon:%s", latText.c_str(), lonText.c_str()),
        u"位置情報取得", MB_YESNO | MB_ICONQUESTION);
    acquiring_ = false;
    for (QLabel* field : {lat, lon}) {
        field->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        field->setEnabled(true);
    }
    lat->setText(answer == IDYES ? QString::fromStdString(latText) : savedLatitude_);
    lon->setText(answer == IDYES ? QString::fromStdString(lonText) : savedLongitude_);
}

void CRecorderDlg::OnPositionShow() {
    if (!positionAcquired_) {
        ShowMessage(HandleOf(this), u"位置情報は未取得です。", u"位置情報未取得", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::string latText = ToUtf8(FormatDegreesText(gpsLatitude_));
    std::string lonText = ToUtf8(FormatDegreesText(gpsLongitude_));
    if (ShowMessage(HandleOf(this),
                    FormatText("現在の位置情報は以下の値です。値を取り込みますか？\nLat:%s\nLon:%s", latText.c_str(),
                               lonText.c_str()),
                    u"位置情報", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    FieldLabel(LatField)->setText(QString::fromStdString(latText));
    FieldLabel(LonField)->setText(QString::fromStdString(lonText));
}

void CRecorderDlg::OnWebMap() {
    std::u16string latText = FromQString(FieldLabel(LatField)->text());
    std::u16string lonText = FromQString(FieldLabel(LonField)->text());
    double latitude = 0.0, longitude = 0.0;
    // A field that is empty or does not read as degrees ("取得中") has no position.
    if (acquiring_ || latText.empty() || lonText.empty() || ParseDegreesText(latText, latitude) != 0 ||
        ParseDegreesText(lonText, longitude) != 0) {
        ShowMessage(HandleOf(this), u"位置情報が未取得です。", u"位置情報未取得", MB_OK | MB_ICONSTOP);
        return;
    }
    if (RecorderHooks().openWebMap) RecorderHooks().openWebMap(this, latitude, longitude);
}

void CRecorderDlg::ToggleOpenAtStartup() {
    int& mode = app_.settings.StartupMode;
    mode = mode == 1 ? lastOtherStartup_ : 1;
    MenuItem(MenuOpenAtStartup)->setChecked(mode == 1);
}

void CRecorderDlg::StoreState() {
    RecorderState& s = app_.recorder;
    RecorderFields f = ReadFields();
    // While a position is being acquired the fields show "取得中"; the texts before it count.
    if (acquiring_) {
        f.latitude = FromQString(savedLatitude_);
        f.longitude = FromQString(savedLongitude_);
    }
    s.latitude = f.latitude;
    s.longitude = f.longitude;
    s.place = f.place;
    s.category1 = f.category1;
    s.category2 = f.category2;
    if (f.time == kCurrentTimePlaceholder) {
        s.date.clear();
        s.time = kCurrentTimePlaceholder;
    } else {
        LocalDateTime now = LocalNow();
        s.date = FormatDateText(now.year, now.month, now.day);
        s.time = f.time;
    }
    s.changed = true;
}

void CRecorderDlg::EndWith(int result) {
    StoreState();
    ended_ = true;
    done(result);
}

int RunRecorderDlg(CMainApp& app, QWidget* mainWindow) {
    CRecorderDlg dialog(app, mainWindow);
    int result = dialog.exec();
    if (result == kRecorderQuit && mainWindow) QMetaObject::invokeMethod(mainWindow, "close", Qt::QueuedConnection);
    return result == kRecorderQuit ? kRecorderQuit : kRecorderClosed;
}
