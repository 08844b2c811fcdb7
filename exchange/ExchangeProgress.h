// CExchangeProgress: the progress dialog of one import or export run from the
// import/export dialog. It is the progress sink while the run lasts and shows, once
// the run has taken half a second, the file name, the phase the engine names when it
// starts a loop ("読込み・チェック中", "書込み中") and the rows done of the rows total.
// One dialog serves every phase of the run. It has no cancel button: a half-done
// import is not a state the data file may be left in.
#pragma once

#include "core/Progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>

class QProgressDialog;
class QWidget;

class CExchangeProgress : public ProgressSink {
public:
    // Installs itself as the progress sink; the destructor closes the dialog and puts
    // the previous sink back.
    CExchangeProgress(QWidget* owner, QString title, QString fileName);
    ~CExchangeProgress() override;
    CExchangeProgress(const CExchangeProgress&) = delete;
    CExchangeProgress& operator=(const CExchangeProgress&) = delete;

    void Start(std::u16string_view phase, std::int64_t total) override;
    void Step(std::int64_t done) override;
    // The phase ended: the dialog steps aside (for the outcome's message) until the
    // next phase starts.
    void Finish() override;

    // The text under the bar: file, phase and "done / total 行" ("done 行" while the
    // total is unknown).
    QString Text() const;
    QProgressDialog* dialog() const;
    bool shown() const { return shownOnce_; }

    // How long a run goes before the dialog appears (500 ms; tests set 0).
    static int& ShowAfterMs();
    // Called after every update of a shown dialog (tests take screenshots with it).
    static std::function<void(CExchangeProgress&)>& UpdateHook();

private:
    void Update(bool force);

    QWidget* owner_;
    QString title_;
    QString fileName_;
    QString phase_;
    std::int64_t total_ = -1;
    std::int64_t done_ = 0;
    QElapsedTimer run_;        // since the run began
    QElapsedTimer sinceShown_; // since the dialog was last updated
    QPointer<QProgressDialog> dialog_;
    bool shownOnce_ = false;
    ProgressSink* previous_;
};
