// The time selection dialog: hour, minute and optionally second wheels (grid lists that
// wrap around) and an optional extra choice such as "終日" (all day), which answers
// hour 25. Opened for start and end times and for time-typed extended items.
#pragma once

#include <QDialog>

#include <string>

class CGridListCtrl;
class QLabel;
class QPushButton;

struct TimeSelectRequest {
    unsigned options = 0; // bit 0: a seconds wheel
    std::u16string title;
    std::u16string extraCaption; // the extra choice button's caption, e.g. "終日"
    bool showExtra = false;
    // The initial time; a value outside its wheel (an hour of 25 from the extra choice)
    // starts the wheel at 0.
    int hour = 0;
    int minute = 0;
    int second = 0;
    // Out. The extra choice gives 25, 0, 0; without a seconds wheel the second is 0.
    int resultHour = 0;
    int resultMinute = 0;
    int resultSecond = 0;
};

class CTimeSelectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOk = 1650;
    static constexpr int kIdCancel = 1651;
    static constexpr int kIdTitle = 1652;
    static constexpr int kIdHours = 1654;
    static constexpr int kIdMinutes = 1655;
    static constexpr int kIdSeconds = 1656;
    static constexpr int kIdExtra = 1657;
    static constexpr int kIdLeftSoftKey = 40002;
    static constexpr unsigned kOptSeconds = 1;
    // The value of a wheel sits this many rows below its top row.
    static constexpr int kValueRow = 3;
    static constexpr int kVisibleRows = 7;

    CTimeSelectDlg(TimeSelectRequest& request, QWidget* parent = nullptr);

    // OK (1650, 40002 or 1) ends with 1 and the wheels' values, the extra choice (1657)
    // with 1 and hour 25, cancel (1651) with 2.
    Q_INVOKABLE void OnCommand(int id);

    CGridListCtrl* hours() const { return wheels_[0]; }
    CGridListCtrl* minutes() const { return wheels_[1]; }
    CGridListCtrl* seconds() const { return wheels_[2]; } // null without a seconds wheel
    // The value a wheel shows in its value row: (top + 3) modulo its number of rows.
    static int WheelValue(const CGridListCtrl& wheel);
    // Scrolls the wheel so that the value sits in the value row.
    static void PresetWheel(CGridListCtrl& wheel, int value);

    // Closing the window or Escape is cancel.
    void reject() override { OnCommand(kIdCancel); }

private:
    void OnInitDialog();
    CGridListCtrl* MakeWheel(int id, int count, int x);
    void OnBtnOk();
    void OnBtnExtra();

    TimeSelectRequest& request_;
    QLabel* title_ = nullptr;
    CGridListCtrl* wheels_[3] = {nullptr, nullptr, nullptr};
    QPushButton* extra_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Runs the dialog modally: 1 with the result fields set, or 2 when cancelled.
int RunTimeSelectDlg(QWidget* parent, TimeSelectRequest& request);
