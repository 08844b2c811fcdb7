// The import/export run's progress dialog: made on the first step after half a
// second, updated (and the event loop given its turn) at most every 40 ms, so that a
// million rows cost a few hundred repaints rather than a thousand.
#include "exchange/ExchangeProgress.h"

#include "core/QtPlatform.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QProgressDialog>

namespace {

constexpr qint64 kUpdateMs = 40;

} // namespace

int& CExchangeProgress::ShowAfterMs() {
    static int delay = 500;
    return delay;
}

std::function<void(CExchangeProgress&)>& CExchangeProgress::UpdateHook() {
    static std::function<void(CExchangeProgress&)> hook;
    return hook;
}

CExchangeProgress::CExchangeProgress(QWidget* owner, QString title, QString fileName)
    : owner_(owner), title_(std::move(title)), fileName_(std::move(fileName)), previous_(&CurrentProgress()) {
    run_.start();
    SetProgressSink(this);
}

CExchangeProgress::~CExchangeProgress() {
    SetProgressSink(previous_);
    delete dialog_;
}

QProgressDialog* CExchangeProgress::dialog() const {
    return dialog_.data();
}

QString CExchangeProgress::Text() const {
    QString count =
        total_ >= 0 ? QStringLiteral("%1 / %2 行").arg(done_).arg(total_) : QStringLiteral("%1 行").arg(done_);
    return fileName_ + QLatin1Char('\n') + phase_ + QLatin1Char('\n') + count;
}

void CExchangeProgress::Start(std::u16string_view phase, std::int64_t total) {
    phase_ = ToQString(phase);
    total_ = total;
    done_ = 0;
    Update(true);
}

void CExchangeProgress::Step(std::int64_t done) {
    done_ = done;
    Update(false);
}

void CExchangeProgress::Finish() {
    if (dialog_) dialog_->hide();
}

void CExchangeProgress::Update(bool force) {
    if (dialog_ && dialog_->isHidden()) {
        if (!force) return;
        dialog_->show();
    } else if (!dialog_) {
        if (run_.elapsed() < ShowAfterMs()) return;
        dialog_ = new QProgressDialog(owner_);
        dialog_->setObjectName(QStringLiteral("exchangeProgress"));
        dialog_->setWindowTitle(title_);
        dialog_->setCancelButton(nullptr); // no cancel: see the header
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setMinimumWidth(owner_ ? owner_->width() * 9 / 10 : 300);
        dialog_->show();
        shownOnce_ = true;
        force = true;
    } else if (!force && sinceShown_.isValid() && sinceShown_.elapsed() < kUpdateMs) {
        return;
    }
    sinceShown_.start();
    // A total beyond int is shown in thousands of rows; an unknown total is a busy bar.
    int scale = total_ > INT32_MAX ? 1000 : 1;
    dialog_->setRange(0, total_ > 0 ? static_cast<int>(total_ / scale) : 0);
    if (total_ > 0) dialog_->setValue(static_cast<int>(std::min(done_, total_) / scale));
    dialog_->setLabelText(Text());
    // Repaints the windows; the user's input waits until the run has ended.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (UpdateHook()) UpdateHook()(*this);
}
