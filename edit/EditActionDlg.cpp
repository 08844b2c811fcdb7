// The action edit dialog's window: controls, toolbar, menu, soft keys and the floating
// editors, all passing through OnCommand to the EditActionForm.
#include "edit/EditActionDlg.h"

#include "app/MainApp.h"
#include "core/DiaryCalendar.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/SoftKeyBar.h"
#include "core/TapField.h"
#include "core/TapLabel.h"
#include "core/WidgetId.h"
#include "edit/ExtItemsEditDlg.h"
#include "edit/TimeSelectDlg.h"
#include "edit/ValueSelectDlg.h"
#include "edit/WebMap.h"
#include "gps/PositionSource.h"
#include "store/DataFileTables.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr char16_t kBoxEntry[] = u"<複数行枠で入力>";

QString Q(std::u16string_view text) {
    return ToQString(text);
}

QDate ToQDate(const std::u16string& text) {
    return QDate::fromString(Q(text), QStringLiteral("yyyy/MM/dd"));
}

std::u16string FromQDate(QDate date) {
    return FromQString(date.toString(QStringLiteral("yyyy/MM/dd")));
}

// The 48 half-hour texts "00:00" … "23:30" (the application's pick list without "24:00").
QStringList HalfHours(const CMainApp& app) {
    QStringList texts;
    for (const std::u16string& text : app.timePickList)
        if (text != u"24:00") texts << Q(text);
    return texts;
}

// The number of two digits at `at` of a time text ("hh:mm"); 0 when they are not
// digits (a time read from a file other programs wrote may hold anything).
int TwoDigits(const std::u16string& time, size_t at) {
    if (time.size() < at + 2) return 0;
    char16_t a = time[at], b = time[at + 1];
    if (a < u'0' || a > u'9' || b < u'0' || b > u'9') return 0;
    return (a - u'0') * 10 + (b - u'0');
}

} // namespace

ExtItemsEditorFn& ExtItemsEditorHook() {
    static ExtItemsEditorFn hook = [](QWidget* parent, const OptText& text, OptText& result) {
        result = text;
        return RunExtItemsEditDlg(parent, result);
    };
    return hook;
}

CEditActionDlg::CEditActionDlg(CMainApp& app, UserDataTable* table, QWidget* parent)
    : QDialog(parent), app_(app), form_(std::make_unique<EditActionForm>(app, table, HandleOf(this))) {
    setWindowTitle(QStringLiteral("Tidemark")); // the program's name, as on the main window
    QFont font(QStringLiteral("MS UI Gothic"));
    setFont(font);
    CreateControls();
    CreateToolBar();
    CreateMenu();
    resize(ScaleByDpi(240), ScaleByDpi(320));
}

CEditActionDlg::~CEditActionDlg() {
    // A request still waiting would post its completion to this window once it is
    // gone: stop the source (its worker is joined, so nothing is posted after this) and
    // free it for the next request.
    if (form_->acquiring()) ReleasePositionSource();
}

QLabel* CEditActionDlg::AddValue(int id) {
    QLabel* label = TapField(this, id);
    label->setMinimumHeight(ScaleByDpi(18));
    return label;
}

void CEditActionDlg::CreateControls() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(ScaleByDpi(2), ScaleByDpi(2), ScaleByDpi(2), 0);
    outer->setSpacing(ScaleByDpi(2));

    auto* top = new QHBoxLayout;
    title_ = new TapLabel(this, [this] { OnCommand(EditCmd::Title); });
    SetId(title_, EditCmd::Title);
    title_->setStyleSheet(QStringLiteral("font-weight: bold;"));
    exit_ = new QPushButton(Q(u"終了"), this);
    SetId(exit_, EditCmd::ExitButton);
    save_ = new QPushButton(Q(u"作成"), this);
    SetId(save_, EditCmd::Save);
    close_ = new QPushButton(Q(u"閉じる"), this);
    SetId(close_, EditCmd::Close);
    close_->setDefault(true);
    top->addWidget(title_, 1);
    for (auto [button, id] : {std::pair{exit_, int(EditCmd::ExitButton)}, std::pair{save_, int(EditCmd::Save)},
                              std::pair{close_, int(EditCmd::Close)}}) {
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        top->addWidget(button);
    }
    outer->addLayout(top);

    toolBar_ = new QToolBar(this);
    outer->addWidget(toolBar_);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(ScaleByDpi(2));
    grid->setVerticalSpacing(ScaleByDpi(2));
    const AppSettings& s = app_.settings;
    const std::u16string names[8] = {s.StaDtTmName, s.EndDtTmName, s.LatName,   s.LonName,
                                     s.PlaceName,   s.Cate1Name,   s.Cate2Name, s.MemoName};
    const int labelIds[8] = {EditCmd::StartLabel, EditCmd::EndLabel,   EditCmd::LatLabel,   EditCmd::LonLabel,
                             EditCmd::PlaceLabel, EditCmd::Cate1Label, EditCmd::Cate2Label, EditCmd::MemoLabel};
    for (int i = 0; i < 8; ++i) {
        labels_[i] = new QLabel(Q(names[i] + u"："), this);
        SetId(labels_[i], labelIds[i]);
        grid->addWidget(labels_[i], i, 0, Qt::AlignTop);
    }
    auto nowButton = [this](int id) {
        auto* button = new QPushButton(Q(u"・"), this);
        SetId(button, id);
        button->setAutoDefault(false);
        button->setFixedWidth(ScaleByDpi(18));
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        return button;
    };
    startDate_ = AddValue(EditCmd::StartDate);
    startTime_ = AddValue(EditCmd::StartTime);
    startNow_ = nowButton(EditCmd::StartNow);
    endDate_ = AddValue(EditCmd::EndDate);
    endTime_ = AddValue(EditCmd::EndTime);
    endNow_ = nowButton(EditCmd::EndNow);
    grid->addWidget(startDate_, 0, 1);
    grid->addWidget(startTime_, 0, 2);
    grid->addWidget(startNow_, 0, 3);
    grid->addWidget(endDate_, 1, 1);
    grid->addWidget(endTime_, 1, 2);
    grid->addWidget(endNow_, 1, 3);
    latitude_ = AddValue(EditCmd::Latitude);
    longitude_ = AddValue(EditCmd::Longitude);
    latitude_->setAlignment(Qt::AlignCenter);
    longitude_->setAlignment(Qt::AlignCenter);
    place_ = AddValue(EditCmd::Place);
    category1_ = AddValue(EditCmd::Cate1);
    category2_ = AddValue(EditCmd::Cate2);
    QLabel* rows[5] = {latitude_, longitude_, place_, category1_, category2_};
    for (int i = 0; i < 5; ++i)
        grid->addWidget(rows[i], i + 2, 1, 1, 3);
    memo_ = AddValue(EditCmd::Memo);
    memo_->setWordWrap(true);
    memo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    memo_->setMinimumHeight(ScaleByDpi(60));
    grid->addWidget(memo_, 7, 1, 2, 3);
    auto* side = new QVBoxLayout;
    memoSwitch_ = new QPushButton(Q(u"≡"), this);
    SetId(memoSwitch_, EditCmd::MemoSwitch);
    prev_ = new QPushButton(Q(u"↑"), this);
    SetId(prev_, EditCmd::Prev);
    next_ = new QPushButton(Q(u"↓"), this);
    SetId(next_, EditCmd::Next);
    for (auto [button, id] : {std::pair{memoSwitch_, int(EditCmd::MemoSwitch)}, std::pair{prev_, int(EditCmd::Prev)},
                              std::pair{next_, int(EditCmd::Next)}}) {
        button->setAutoDefault(false);
        button->setFixedWidth(ScaleByDpi(20));
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        side->addWidget(button);
    }
    side->addStretch(1);
    grid->addLayout(side, 8, 0);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
    grid->setRowStretch(8, 1);
    outer->addLayout(grid, 1);

    auto* softKeys = NewSoftKeyBar(this);
    auto* keys = new QHBoxLayout(softKeys);
    keys->setContentsMargins(0, 0, 0, 0);
    softSave_ = WithId(NewSoftKey(Q(u"作成"), softKeys), EditCmd::SoftSave);
    softMenu_ = WithId(NewSoftKey(Q(u"メニュー"), softKeys), EditCmd::SoftMenu);
    for (auto [button, id] :
         {std::pair{softSave_, int(EditCmd::SoftSave)}, std::pair{softMenu_, int(EditCmd::SoftMenu)}}) {
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
        keys->addWidget(button);
    }
    outer->addWidget(softKeys);

    // The floating editors: children over the fields, hidden until a field is tapped.
    memoBox_ = new QPlainTextEdit(this);
    SetId(memoBox_, EditCmd::MemoBox);
    memoBox_->hide();
    list_ = new QComboBox(this);
    SetId(list_, EditCmd::FloatingList);
    list_->setEditable(true);
    list_->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion: "本社" typed over a listed "本社ビル" must stay "本社".
    list_->setCompleter(nullptr);
    list_->hide();
    connect(list_, &QComboBox::activated, this, &CEditActionDlg::OnListActivated);
    list_->installEventFilter(this);
    list_->lineEdit()->installEventFilter(this);
    calendar_ = new QCalendarWidget(this);
    SetId(calendar_, EditCmd::Calendar);
    SetUpDiaryCalendar(calendar_);
    calendar_->hide();
    connect(calendar_, &QCalendarWidget::clicked, this, [this] { OnCalendarPicked(); });
    connect(calendar_, &QCalendarWidget::activated, this, [this] { OnCalendarPicked(); });
}

void CEditActionDlg::CreateToolBar() {
    int side = ScaleByDpi(16);
    toolBar_->setIconSize(QSize(side, side));
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    struct Tool {
        int id;
        const char16_t* text;
        bool check;
    };
    const Tool tools[6] = {{EditCmd::ToolNew, u"新規", false},       {EditCmd::ToolDelete, u"削除", false},
                           {EditCmd::ToolFollow, u"後続", false},    {EditCmd::ToolCopy, u"参照", false},
                           {EditCmd::ToolContinuous, u"連続", true}, {EditCmd::ToolStartup, u"起動時", true}};
    for (int i = 0; i < 6; ++i) {
        if (i == 4) toolBar_->addSeparator();
        QAction* action = toolBar_->addAction(Q(tools[i].text));
        SetId(action, tools[i].id);
        action->setCheckable(tools[i].check);
        int id = tools[i].id;
        // A check button toggles itself before the command runs; the command sets the
        // state from the form again, so both ways of switching agree.
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        tools_[i] = action;
    }
}

void CEditActionDlg::CreateMenu() {
    menu_ = new QMenu(this);
    auto add = [this](QMenu* into, const char16_t* text, int id) {
        QAction* action = into->addAction(Q(text));
        SetId(action, id);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
        return action;
    };
    add(menu_, u"新規作成", EditCmd::MenuNew);
    // Copy, follow-on and delete need an action on screen, as their toolbar buttons.
    menuNeedsAction_[0] = add(menu_, u"参照", EditCmd::MenuCopy);
    menuNeedsAction_[1] = add(menu_, u"後続", EditCmd::MenuFollow);
    menuNeedsAction_[2] = add(menu_, u"削除", EditCmd::MenuDelete);
    menu_->addSeparator();
    QMenu* position = menu_->addMenu(Q(u"位置情報"));
    add(position, u"位置取得", EditCmd::Acquire);
    add(position, u"位置表示", EditCmd::ShowPosition);
    add(position, u"位置クリア", EditCmd::ClearPosition);
    add(position, u"地図表示", EditCmd::WebMap);
    add(menu_, u"拡張項目編集...", EditCmd::MenuExtItems);
    menu_->addSeparator();
    menuContinuous_ = add(menu_, u"連続入力", EditCmd::MenuContinuous);
    menuStartup_ = add(menu_, u"起動時に開く", EditCmd::MenuStartup);
    menuContinuous_->setCheckable(true);
    menuStartup_->setCheckable(true);
    menu_->addSeparator();
    add(menu_, u"閉じる", EditCmd::MenuClose);
    add(menu_, u"終了", EditCmd::Exit);
}

void CEditActionDlg::OnInitDialog(int mode) {
    form_->Open(mode);
    Refresh();
}

void CEditActionDlg::Refresh() {
    const EditActionForm& f = *form_;
    bool creating = f.state == EditState::New;
    title_->setText(Q(creating ? u"新規作成" : u"変更"));
    save_->setText(Q(creating ? u"作成" : u"変更"));
    softSave_->setText(save_->text());
    startDate_->setText(Q(f.startDate));
    startTime_->setText(Q(f.StartTimeShown()));
    endDate_->setText(Q(f.endDate));
    endTime_->setText(Q(f.EndTimeShown()));
    endTime_->setEnabled(!f.allDay);
    latitude_->setText(Q(f.latitude));
    longitude_->setText(Q(f.longitude));
    place_->setText(Q(f.place));
    category1_->setText(Q(f.category1));
    category2_->setText(Q(f.category2));
    memo_->setText(Q(f.memoShown));
    for (int i = 1; i <= 3; ++i)
        tools_[i]->setEnabled(!creating);
    for (QAction* item : menuNeedsAction_)
        item->setEnabled(!creating);
    tools_[4]->setChecked(f.continuous);
    tools_[5]->setChecked(f.openAtStartup);
    menuContinuous_->setChecked(f.continuous);
    menuStartup_->setChecked(f.openAtStartup);
    prev_->setEnabled(f.PrevEnabled());
    next_->setEnabled(f.NextEnabled());
    bool listOpen = editor_ == InPlaceEditor::MemoList;
    bool boxOpen = editor_ == InPlaceEditor::MemoBox;
    // The symbol tells the memo editor open, or without one the preference.
    bool showsList = listOpen || (!boxOpen && !memoPrefersBox_);
    memoSwitch_->setText(Q(showsList ? u"▼" : u"≡"));
}

void CEditActionDlg::mousePressEvent(QMouseEvent* event) {
    // A tap on the background closes the open floating editor.
    CommitInPlaceEditor();
    Refresh();
    QDialog::mousePressEvent(event);
}

// Return in the floating list's text commits it and goes no further: passed on, it
// would also press the dialog's default button "閉じる".
bool CEditActionDlg::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == list_ || watched == list_->lineEdit()) && event->type() == QEvent::KeyPress) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CommitInPlaceEditor();
            Refresh();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CEditActionDlg::PlaceOver(QWidget* editor, QWidget* field, int height) {
    QPoint at = field->mapTo(this, QPoint(0, 0));
    int width = std::max(field->width(), ScaleByDpi(120));
    int x = std::min(at.x(), std::max(0, this->width() - width));
    int y = std::min(at.y(), std::max(0, this->height() - height));
    editor->setGeometry(x, y, width, height);
    editor->show();
    editor->raise();
    editor->setFocus();
    editorField_ = field;
}

void CEditActionDlg::HideEditors() {
    // An editor that had the keyboard hands it back to its field, so Tab goes on from there.
    QWidget* focus = QApplication::focusWidget();
    bool editing = focus && (calendar_->isAncestorOf(focus) || focus == calendar_ || list_->isAncestorOf(focus) ||
                             focus == list_ || focus == memoBox_ || memoBox_->isAncestorOf(focus));
    calendar_->hide();
    list_->hidePopup();
    list_->hide();
    memoBox_->hide();
    editor_ = InPlaceEditor::None;
    if (editing && editorField_) editorField_->setFocus();
    editorField_ = nullptr;
}

bool CEditActionDlg::CommitInPlaceEditor() {
    EditActionForm& f = *form_;
    InPlaceEditor open = editor_;
    std::u16string text = FromQString(list_->currentText());
    HideEditors();
    switch (open) {
    case InPlaceEditor::StartTime:
        f.CommitStartTime(text);
        break;
    case InPlaceEditor::EndTime:
        f.CommitEndTime(text);
        break;
    case InPlaceEditor::Place:
        f.CommitPlace(text);
        break;
    case InPlaceEditor::Category1:
        f.CommitCategory(1, text);
        break;
    case InPlaceEditor::Category2:
        f.CommitCategory(2, text);
        break;
    case InPlaceEditor::MemoList:
        if (text != kBoxEntry) f.CommitMemo(text, false);
        break;
    case InPlaceEditor::MemoBox:
        f.CommitMemo(FromQString(memoBox_->toPlainText()), true);
        break;
    default:
        break;
    }
    return true;
}

void CEditActionDlg::OpenCalendar(InPlaceEditor which) {
    bool start = which == InPlaceEditor::StartDate;
    QDate date = ToQDate(start ? form_->startDate : form_->endDate);
    if (date.isValid()) calendar_->setSelectedDate(date);
    editor_ = which;
    PlaceOver(calendar_, start ? startDate_ : endDate_, ScaleByDpi(140));
    calendar_->setFixedWidth(std::max(calendar_->width(), ScaleByDpi(200)));
}

void CEditActionDlg::OnCalendarPicked() {
    InPlaceEditor which = editor_;
    std::u16string date = FromQDate(calendar_->selectedDate());
    HideEditors();
    if (which == InPlaceEditor::StartDate) form_->SetStartDate(date);
    if (which == InPlaceEditor::EndDate) form_->SetEndDate(date);
    Refresh();
}

void CEditActionDlg::OpenTimeEditor(InPlaceEditor which) {
    bool start = which == InPlaceEditor::StartTime;
    EditActionForm& f = *form_;
    if (start ? false : f.allDay) return;
    const std::u16string& time = start ? f.startTime : f.endTime;
    if (app_.settings.ItmSelMode == 2) {
        TimeSelectRequest request;
        request.title = start ? u"開始時刻" : u"終了時刻";
        request.extraCaption = u"終日";
        request.showExtra = start;
        request.hour = TwoDigits(time, 0);
        request.minute = TwoDigits(time, 3);
        if (RunTimeSelectDlg(this, request) != 1) return;
        std::u16string picked = request.resultHour >= 25
                                    ? std::u16string(kAllDayText)
                                    : FromQString(QStringLiteral("%1:%2")
                                                      .arg(request.resultHour, 2, 10, QChar('0'))
                                                      .arg(request.resultMinute, 2, 10, QChar('0')));
        if (start)
            f.CommitStartTime(picked);
        else
            f.CommitEndTime(picked);
        Refresh();
        return;
    }
    list_->clear();
    if (start) list_->addItem(Q(kAllDayText));
    list_->addItems(HalfHours(app_));
    QString shown = start ? Q(f.StartTimeShown()) : Q(f.endTime);
    // An empty field preselects 11:30.
    if (shown.isEmpty())
        list_->setCurrentIndex(start ? 24 : 23);
    else
        list_->setCurrentText(shown);
    editor_ = which;
    PlaceOver(list_, start ? startTime_ : endTime_, ScaleByDpi(20));
    list_->lineEdit()->selectAll();
}

void CEditActionDlg::OpenPickEditor(InPlaceEditor which) {
    EditActionForm& f = *form_;
    const PickLists& lists = app_.settings.lists;
    const AppSettings& s = app_.settings;
    const std::vector<std::u16string>* values = &lists.Place;
    std::u16string current = f.place, name = s.PlaceName;
    QLabel* field = place_;
    if (which == InPlaceEditor::Category1)
        values = &lists.Category1, current = f.category1, name = s.Cate1Name, field = category1_;
    if (which == InPlaceEditor::Category2)
        values = &lists.Category2, current = f.category2, name = s.Cate2Name, field = category2_;
    if (app_.settings.ItmSelMode == 2) {
        ValueSelectRequest request;
        request.title = name + u"の選択";
        request.initialValue = current;
        request.list = *values;
        if (RunValueSelectDlg(this, request) != 1) return;
        std::u16string text = request.result.value_or(u"");
        if (which == InPlaceEditor::Place)
            f.CommitPlace(text);
        else
            f.CommitCategory(which == InPlaceEditor::Category1 ? 1 : 2, text);
        Refresh();
        return;
    }
    list_->clear();
    for (const std::u16string& value : *values)
        list_->addItem(Q(value));
    list_->setCurrentIndex(-1);
    list_->setEditText(Q(current));
    editor_ = which;
    PlaceOver(list_, field, ScaleByDpi(20));
    list_->showPopup();
}

void CEditActionDlg::OpenMemoEditor(bool box) {
    EditActionForm& f = *form_;
    if (box) {
        memoBox_->setPlainText(Q(f.memo));
        editor_ = InPlaceEditor::MemoBox;
        PlaceOver(memoBox_, memo_, std::max(memo_->height(), ScaleByDpi(80)));
        memoBox_->moveCursor(QTextCursor::End);
        Refresh();
        return;
    }
    if (app_.settings.ItmSelMode == 2) {
        ValueSelectRequest request;
        request.title = app_.settings.MemoName + u"の選択";
        request.initialValue = f.memo;
        request.list.push_back(kBoxEntry);
        for (const std::u16string& value : app_.settings.lists.Memo)
            request.list.push_back(value);
        request.listCapacity = 21;
        if (RunValueSelectDlg(this, request) != 1) return;
        if (request.result == std::u16string(kBoxEntry)) return OpenMemoEditor(true);
        f.CommitMemo(request.result.value_or(u""), false);
        Refresh();
        return;
    }
    list_->clear();
    list_->addItem(Q(kBoxEntry));
    for (const std::u16string& value : app_.settings.lists.Memo)
        list_->addItem(Q(value));
    list_->setCurrentIndex(-1);
    list_->setEditText(Q(f.memo));
    editor_ = InPlaceEditor::MemoList;
    PlaceOver(list_, memo_, ScaleByDpi(20));
    list_->setMaxVisibleItems(std::max(1, ScaleByDpi(150) / std::max(1, list_->height())));
    list_->showPopup();
    Refresh();
}

void CEditActionDlg::OnListActivated(int index) {
    if (editor_ == InPlaceEditor::MemoList && index == 0) {
        // "<複数行枠で入力>" carries the memo over into the box.
        QString carried = Q(form_->memo);
        HideEditors();
        OpenMemoEditor(true);
        memoBox_->setPlainText(carried);
        return;
    }
    CommitInPlaceEditor();
    Refresh();
}

void CEditActionDlg::OnMemoSwitch() {
    if (editor_ == InPlaceEditor::MemoList) {
        QString text = list_->currentText();
        HideEditors();
        OpenMemoEditor(true);
        if (text != Q(kBoxEntry)) memoBox_->setPlainText(text);
        return;
    }
    if (editor_ == InPlaceEditor::MemoBox) {
        CommitInPlaceEditor();
        OpenMemoEditor(false);
        return;
    }
    memoPrefersBox_ = !memoPrefersBox_;
    Refresh();
}

bool CEditActionDlg::Unsaved(bool shortQuestions) {
    int result = form_->CheckUnsaved(shortQuestions);
    Refresh();
    // Saved, but the index is not whole (told): no command may go on over it.
    if (result == kFormIndexFailed) EndOverBrokenIndex();
    return result == kFormDone;
}

void CEditActionDlg::EndOverBrokenIndex() {
    form_->RecordSwitches();
    done(1);
}

void CEditActionDlg::OnCommand(int id) {
    EditActionForm& f = *form_;
    switch (id) {
    case EditCmd::MemoSwitch:
        OnMemoSwitch();
        return;
    case EditCmd::PositionDone:
        // Reported by the position source; the editors stay as they are.
        f.OnPositionDone();
        Refresh();
        return;
    case EditCmd::SoftMenu:
        CommitInPlaceEditor();
        Refresh();
        PopUpAbove(menu_, softMenu_);
        return;
    default:
        break;
    }
    if (!CommitInPlaceEditor()) return;
    switch (id) {
    case EditCmd::Ok:
        OnOkCommand();
        return;
    case EditCmd::Close:
    case EditCmd::MenuClose:
        OnCloseCommand(id);
        return;
    case EditCmd::Save:
    case EditCmd::SoftSave:
        OnSave();
        return;
    case EditCmd::ExitButton:
    case EditCmd::Exit:
        OnExit();
        return;
    case EditCmd::StartDate:
        OpenCalendar(InPlaceEditor::StartDate);
        break;
    case EditCmd::EndDate:
        OpenCalendar(InPlaceEditor::EndDate);
        break;
    case EditCmd::StartTime:
        OpenTimeEditor(InPlaceEditor::StartTime);
        break;
    case EditCmd::EndTime:
        OpenTimeEditor(InPlaceEditor::EndTime);
        break;
    case EditCmd::StartNow:
        f.SetStartNow();
        break;
    case EditCmd::EndNow:
        f.SetEndNow();
        break;
    case EditCmd::Place:
        OpenPickEditor(InPlaceEditor::Place);
        break;
    case EditCmd::Cate1:
        OpenPickEditor(InPlaceEditor::Category1);
        break;
    case EditCmd::Cate2:
        OpenPickEditor(InPlaceEditor::Category2);
        break;
    case EditCmd::Memo:
        OpenMemoEditor(memoPrefersBox_);
        break;
    case EditCmd::Prev:
        if (f.PrevEnabled() || f.state == EditState::New)
            if (Unsaved()) f.Previous();
        break;
    case EditCmd::Next:
        if (f.NextEnabled() && Unsaved()) f.Next();
        break;
    case EditCmd::ToolNew:
    case EditCmd::MenuNew:
        if (Unsaved()) f.NewAction();
        break;
    case EditCmd::ToolCopy:
    case EditCmd::MenuCopy:
        if (f.state == EditState::Change && Unsaved()) f.CopyAction();
        break;
    case EditCmd::ToolFollow:
    case EditCmd::MenuFollow:
        if (f.state == EditState::Change && Unsaved()) f.FollowOnAction();
        break;
    case EditCmd::ToolDelete:
    case EditCmd::MenuDelete:
        OnDelete();
        return;
    case EditCmd::ToolContinuous:
    case EditCmd::MenuContinuous:
        f.continuous = !f.continuous;
        break;
    case EditCmd::ToolStartup:
    case EditCmd::MenuStartup:
        f.openAtStartup = !f.openAtStartup;
        break;
    case EditCmd::Latitude:
    case EditCmd::Longitude:
    case EditCmd::Acquire:
        f.BeginAcquire(HandleOf(this));
        break;
    case EditCmd::ShowPosition:
        f.ShowLastPosition();
        break;
    case EditCmd::ClearPosition:
        f.ClearPosition();
        break;
    case EditCmd::WebMap:
        OnWebMap();
        break;
    case EditCmd::MenuExtItems:
        OnExtItems();
        break;
    default:
        break;
    }
    Refresh();
}

void CEditActionDlg::OnSave() {
    int result = form_->Save();
    if (result == kFormIndexFailed) return EndOverBrokenIndex();
    if (result != kFormDone) {
        Refresh();
        return;
    }
    if (!form_->continuous) {
        done(1);
        return;
    }
    Refresh();
}

void CEditActionDlg::OnCloseCommand(int id) {
    if (!Unsaved()) return;
    form_->RecordSwitches();
    done(id);
}

void CEditActionDlg::OnOkCommand() {
    if (!Unsaved(true)) return;
    form_->RecordSwitches();
    done(1);
}

void CEditActionDlg::OnExit() {
    if (!Unsaved()) return;
    form_->RecordSwitches();
    // The main window closes once the dialog has ended.
    if (QWidget* main = parentWidget() ? parentWidget()->window() : nullptr)
        QMetaObject::invokeMethod(main, "close", Qt::QueuedConnection);
    done(1);
}

void CEditActionDlg::OnDelete() {
    int result = form_->Delete();
    if (result == kFormIndexFailed) return EndOverBrokenIndex();
    if (result == kFormListEmpty) {
        done(1);
        return;
    }
    Refresh();
}

void CEditActionDlg::OnExtItems() {
    ExtItemsEditorFn& editor = ExtItemsEditorHook();
    if (!editor) return;
    OptText result;
    if (editor(this, form_->extItems, result) != 1) return;
    form_->SetExtItems(result);
    Refresh();
}

void CEditActionDlg::OnWebMap() {
    double lat = 0, lon = 0;
    if (!form_->MapPosition(lat, lon)) return;
    OpenWebMap(this, lat, lon);
}

int RunEditActionDlg(QWidget* parent, int mode) {
    CMainApp* app = App();
    DataFileTables* tables = OpenTables();
    if (!app || !tables) return 0;
    CEditActionDlg dialog(*app, tables->userData.get(), parent);
    if (parent) dialog.resize(parent->window()->size());
    dialog.OnInitDialog(mode);
    return dialog.exec();
}
