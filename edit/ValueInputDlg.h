// The value input dialog: one line of text with OK and cancel, opened wherever a
// screen needs a typed value (the file dialog asks folder and file names with it).
// Both programs use it, so it has its own target and needs nothing of the diary.
#pragma once

#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

struct ValueInputRequest {
    std::optional<std::u16string> title; // "値の入力" when absent or empty
    std::u16string initialText;
    std::u16string resultText; // out: the edit's text after OK
};

class CValueInputDlg : public QDialog {
    Q_OBJECT
public:
    // Control ids: the edit 1500, OK 1 (IDOK), cancel 2 (IDCANCEL).
    static constexpr int kIdEdit = 1500;

    CValueInputDlg(ValueInputRequest& request, QWidget* parent = nullptr);

    // 1 ends with the edit's text as result, 2 ends without one.
    Q_INVOKABLE void OnCommand(int id);

    QLineEdit* edit() const { return edit_; }

    // Closing the window or Escape is cancel.
    void reject() override { OnCommand(2); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CentreOnScreen();

    ValueInputRequest& request_;
    QLineEdit* edit_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Runs the dialog modally: 1 with request.resultText set, or 2 when cancelled.
int RunValueInputDlg(QWidget* parent, ValueInputRequest& request);
