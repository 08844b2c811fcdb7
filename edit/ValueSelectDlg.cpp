// The value selection dialog's controls, list filling and endings.
#include "edit/ValueSelectDlg.h"

#include "core/DialogFont.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/WidgetId.h"
#include "views/GridListCtrl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Grey tones instead of the control's blue rows.
void SetGreyColours(CGridListCtrl& list) {
    const QColor colours[kGridColorCount] = {
        {208, 208, 208}, // background
        {0, 0, 0},       // row text
        {192, 192, 192}, // (kept)
        {255, 255, 255}, // row text shadow
        {248, 248, 248}, // row fill
        {176, 176, 176}, // row separator
        {255, 255, 255}, // pressed text
        {128, 128, 128}, // (kept)
        {64, 64, 64},    // pressed text shadow
        {112, 112, 112}, // pressed fill
        {176, 176, 176}, // pressed separator
    };
    for (int slot = 0; slot < kGridColorCount; ++slot)
        list.SetColor(slot, colours[slot]);
}

} // namespace

CValueSelectDlg::CValueSelectDlg(ValueSelectRequest& request, QWidget* parent) : QDialog(parent), request_(request) {
    setObjectName(QStringLiteral("ValueSelectDlg"));
    setModal(true);
    setFont(DialogFont());
    title_ = new QLabel(this);
    SetId(title_, kIdTitle);
    edit_ = new QLineEdit(this);
    SetId(edit_, kIdEdit);
    list_ = new CGridListCtrl(this, kGridTextVCenter | kGridTextSingleLine | kGridTextEndEllipsis);
    SetId(list_, kIdList);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    SetId(ok_, kIdOk);
    cancel_ = new QPushButton(QString::fromUtf16(u"キャンセル"), this);
    SetId(cancel_, kIdCancel);
    title_->setGeometry(ScaledRect(4, 4, 232, 18));
    edit_->setGeometry(ScaledRect(4, 24, 232, 22));
    list_->setGeometry(ScaledRect(4, 50, 232, 186));
    ok_->setGeometry(ScaledRect(4, 240, 114, 26));
    cancel_->setGeometry(ScaledRect(122, 240, 114, 26));
    setFixedSize(ScaleByDpi(240), ScaleByDpi(270));
    connect(ok_, &QPushButton::clicked, this, [this] { OnCommand(kIdOk); });
    connect(cancel_, &QPushButton::clicked, this, [this] { OnCommand(kIdCancel); });
    connect(list_, &CGridListCtrl::penReleased, this, &CValueSelectDlg::OnListReleased);
    OnInitDialog();
}

void CValueSelectDlg::OnInitDialog() {
    QString title = request_.title ? ToQString(*request_.title) : QString::fromUtf16(u"値の選択");
    setWindowTitle(title);
    title_->setText(title);
    edit_->setText(request_.initialValue ? ToQString(*request_.initialValue) : QString());
    // The list measures its default row height when its font is set.
    list_->setFont(font());
    list_->SetRowHeight(-1, list_->GetRowHeight(-1) * 2);
    SetGreyColours(*list_);
    std::size_t count = std::min(request_.listCapacity, request_.list.size());
    for (std::size_t i = 0; i < count && !request_.list[i].empty(); ++i)
        list_->AppendItem(GridListItem{0, 0, ToQString(request_.list[i])});
    edit_->setFocus();
}

void CValueSelectDlg::OnListReleased(int row, bool dragged) {
    // A pen that dragged the list only scrolled it.
    if (dragged || row < 0) return;
    GridListItem item;
    if (list_->CopyItem(row, &item) != 0) return;
    EndWith(item.text.value_or(QString()));
}

void CValueSelectDlg::EndWith(const QString& text) {
    request_.result = FromQString(text);
    done(1);
}

void CValueSelectDlg::OnCommand(int id) {
    switch (id) {
    case kIdOk:
        EndWith(edit_->text());
        break;
    case kIdCancel:
        request_.result.reset();
        done(2);
        break;
    default:
        break;
    }
}

int RunValueSelectDlg(QWidget* parent, ValueSelectRequest& request) {
    CValueSelectDlg dialog(request, parent);
    return dialog.exec();
}
