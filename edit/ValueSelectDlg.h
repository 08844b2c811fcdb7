// The value selection dialog: a free-text line above a list of remembered values (the
// pick lists of places, categories and memos, names and types of extended items). A tap
// on a row chooses it at once; OK takes the line as typed.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class CGridListCtrl;
class QLabel;
class QLineEdit;
class QPushButton;

struct ValueSelectRequest {
    std::optional<std::u16string> title;        // "値の選択" when absent
    std::optional<std::u16string> initialValue; // the edit line's text; empty when absent
    // The values, read up to the first empty one and at most listCapacity of them.
    std::vector<std::u16string> list;
    std::size_t listCapacity = 80;
    std::optional<std::u16string> result; // out: the chosen text
};

class CValueSelectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kIdOk = 1600;
    static constexpr int kIdCancel = 1601;
    static constexpr int kIdTitle = 1602;
    static constexpr int kIdEdit = 1603;
    static constexpr int kIdList = 1604;

    CValueSelectDlg(ValueSelectRequest& request, QWidget* parent = nullptr);

    // 1600 ends with 1 and the edit line as result, 1601 with 2 and no result.
    Q_INVOKABLE void OnCommand(int id);

    QLineEdit* edit() const { return edit_; }
    CGridListCtrl* list() const { return list_; }

    // Closing the window or Escape is cancel.
    void reject() override { OnCommand(kIdCancel); }

private:
    void OnInitDialog();
    void OnListReleased(int row, bool dragged);
    void EndWith(const QString& text);

    ValueSelectRequest& request_;
    QLabel* title_ = nullptr;
    QLineEdit* edit_ = nullptr;
    CGridListCtrl* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// Runs the dialog modally: 1 with request.result set, or 2 when cancelled.
int RunValueSelectDlg(QWidget* parent, ValueSelectRequest& request);
