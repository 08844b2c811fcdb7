// The value input dialog's controls, laid out for 96 dpi in a 230 × 70 box.
#include "edit/ValueInputDlg.h"

#include "core/DialogFont.h"
#include "core/QtPlatform.h"
#include "core/ScaleByDpi.h"
#include "core/WidgetId.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

CValueInputDlg::CValueInputDlg(ValueInputRequest& request, QWidget* parent) : QDialog(parent), request_(request) {
    setModal(true);
    bool untitled = !request.title || request.title->empty();
    setWindowTitle(untitled ? QString::fromUtf16(u"値の入力") : ToQString(*request.title));
    setFont(DialogFont());
    setFixedSize(ScaleByDpi(230), ScaleByDpi(70));

    edit_ = new QLineEdit(ToQString(request.initialText), this);
    SetId(edit_, kIdEdit);
    edit_->setGeometry(ScaleByDpi(5), ScaleByDpi(6), ScaleByDpi(220), ScaleByDpi(24));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    SetId(ok_, 1);
    ok_->setGeometry(ScaleByDpi(71), ScaleByDpi(38), ScaleByDpi(74), ScaleByDpi(26));
    ok_->setDefault(true);
    cancel_ = new QPushButton(QString::fromUtf16(u"キャンセル"), this);
    SetId(cancel_, 2);
    cancel_->setAutoDefault(false);
    cancel_->setGeometry(ScaleByDpi(151), ScaleByDpi(38), ScaleByDpi(74), ScaleByDpi(26));
    connect(ok_, &QPushButton::clicked, this, [this] { OnCommand(1); });
    connect(cancel_, &QPushButton::clicked, this, [this] { OnCommand(2); });
    edit_->selectAll();
    edit_->setFocus();
}

void CValueInputDlg::OnCommand(int id) {
    if (id == 1) {
        request_.resultText = FromQString(edit_->text());
        done(1);
    } else if (id == 2) {
        done(2);
    }
}

void CValueInputDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen();
}

void CValueInputDlg::CentreOnScreen() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

int RunValueInputDlg(QWidget* parent, ValueInputRequest& request) {
    CValueInputDlg dialog(request, parent);
    return dialog.exec() == 1 ? 1 : 2;
}
