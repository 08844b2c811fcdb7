// The time selection dialog's wheels, presetting and endings.
#include "edit/TimeSelectDlg.h"

#include "core/DialogFont.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/WidgetId.h"
#include "views/GridListCtrl.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kWheelWidth = 64;
constexpr int kWheelGap = 8;
constexpr int kWheelTop = 26;
constexpr int kRowHeight = 24; // 96-dpi pixels

} // namespace

CTimeSelectDlg::CTimeSelectDlg(TimeSelectRequest& request, QWidget* parent) : QDialog(parent), request_(request) {
    setObjectName(QStringLiteral("TimeSelectDlg"));
    setModal(true);
    setFont(DialogFont());
    title_ = new QLabel(this);
    SetId(title_, kIdTitle);
    title_->setGeometry(ScaledRect(4, 4, 232, 18));
    extra_ = new QPushButton(this);
    SetId(extra_, kIdExtra);
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    SetId(ok_, kIdOk);
    cancel_ = new QPushButton(QString::fromUtf16(u"キャンセル"), this);
    SetId(cancel_, kIdCancel);
    int wheelsBottom = kWheelTop + kVisibleRows * kRowHeight;
    extra_->setGeometry(ScaledRect(4, wheelsBottom + 6, 232, 26));
    ok_->setGeometry(ScaledRect(4, wheelsBottom + 38, 114, 26));
    cancel_->setGeometry(ScaledRect(122, wheelsBottom + 38, 114, 26));
    setFixedSize(ScaleByDpi(240), ScaleByDpi(wheelsBottom + 68));
    connect(extra_, &QPushButton::clicked, this, [this] { OnCommand(kIdExtra); });
    connect(ok_, &QPushButton::clicked, this, [this] { OnCommand(kIdOk); });
    connect(cancel_, &QPushButton::clicked, this, [this] { OnCommand(kIdCancel); });
    OnInitDialog();
}

void CTimeSelectDlg::OnInitDialog() {
    QString title = ToQString(request_.title);
    setWindowTitle(title);
    title_->setText(title);
    bool withSeconds = (request_.options & kOptSeconds) != 0;
    int count = withSeconds ? 3 : 2;
    int x = (240 - count * kWheelWidth - (count - 1) * kWheelGap) / 2;
    const int ids[] = {kIdHours, kIdMinutes, kIdSeconds};
    const int sizes[] = {24, 60, 60};
    const int initial[] = {request_.hour, request_.minute, request_.second};
    for (int i = 0; i < count; ++i) {
        wheels_[i] = MakeWheel(ids[i], sizes[i], x + i * (kWheelWidth + kWheelGap));
        PresetWheel(*wheels_[i], initial[i] >= 0 && initial[i] < sizes[i] ? initial[i] : 0);
    }
    // A frame around the value row of every wheel; it lets the pointer through.
    auto* marker = new QFrame(this);
    marker->setObjectName(QStringLiteral("valueRow"));
    marker->setAttribute(Qt::WA_TransparentForMouseEvents);
    marker->setStyleSheet(
        QStringLiteral("QFrame#valueRow { border: %1px solid rgb(240, 128, 0); background: transparent; }")
            .arg(ScaleByDpi(2)));
    marker->setGeometry(ScaledRect(x - 2, kWheelTop + kValueRow * kRowHeight - 2,
                                   count * kWheelWidth + (count - 1) * kWheelGap + 4, kRowHeight + 4));
    marker->raise();
    extra_->setText(ToQString(request_.extraCaption));
    extra_->setVisible(request_.showExtra);
}

CGridListCtrl* CTimeSelectDlg::MakeWheel(int id, int count, int x) {
    auto* wheel = new CGridListCtrl(this, kGridTextCenter | kGridTextVCenter | kGridTextSingleLine);
    SetId(wheel, id);
    wheel->setFont(font());
    wheel->SetRowHeight(-1, ScaleByDpi(kRowHeight));
    wheel->SetStyleBits(kGridWrapAround | kGridShadow, kGridWrapAround | kGridShadow);
    for (int i = 0; i < count; ++i)
        wheel->AppendItem(GridListItem{0, 0, QString::asprintf("%02d", i)});
    wheel->setGeometry(ScaledRect(x, kWheelTop, kWheelWidth, kVisibleRows * kRowHeight));
    return wheel;
}

int CTimeSelectDlg::WheelValue(const CGridListCtrl& wheel) {
    int count = wheel.GetItemCount();
    return count > 0 ? (wheel.GetTopIndex() + kValueRow) % count : 0;
}

void CTimeSelectDlg::PresetWheel(CGridListCtrl& wheel, int value) {
    int count = wheel.GetItemCount();
    if (count > 0) wheel.SetTopIndex(((value - kValueRow) % count + count) % count);
}

void CTimeSelectDlg::OnBtnOk() {
    request_.resultHour = WheelValue(*wheels_[0]);
    request_.resultMinute = WheelValue(*wheels_[1]);
    request_.resultSecond = wheels_[2] ? WheelValue(*wheels_[2]) : 0;
    done(1);
}

void CTimeSelectDlg::OnBtnExtra() {
    request_.resultHour = 25;
    request_.resultMinute = 0;
    request_.resultSecond = 0;
    done(1);
}

void CTimeSelectDlg::OnCommand(int id) {
    switch (id) {
    case kIdOk:
    case kIdLeftSoftKey:
    case 1: // IDOK
        OnBtnOk();
        break;
    case kIdExtra:
        if (request_.showExtra) OnBtnExtra();
        break;
    case kIdCancel:
        done(2);
        break;
    default:
        break;
    }
}

int RunTimeSelectDlg(QWidget* parent, TimeSelectRequest& request) {
    CTimeSelectDlg dialog(request, parent);
    return dialog.exec();
}
