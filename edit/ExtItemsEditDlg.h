// The extended items editor: a full-screen dialog, opened from the action edit dialog's
// "拡張項目編集...", in which the user creates, changes and deletes the typed items of
// one action. It shows an ExtItemsEditor (the list and the commands) and lays the value
// fields out by the item's type; "変更反映" hands the new text back.
#pragma once

#include "edit/ExtItemsEditor.h"

#include <QDialog>

#include <optional>
#include <string>

class QCalendarWidget;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

// Command and control ids of the editor.
namespace ExtEditCmd {
enum : int {
    Apply = 1,
    Discard = 2,
    Title = 1550,
    NameLabel = 1551,
    NameStatic = 1552,
    NameCombo = 1553,
    TypeLabel = 1554,
    TypeStatic = 1555,
    TypeCombo = 1556,
    ValueLabel = 1557,
    Value = 1558,
    ValueLines = 1559,
    Chooser = 1560,
    TimeValue = 1561,
    TimeChooser = 1562,
    Create = 1563,
    Change = 1564,
    Delete = 1565,
    Calendar = 1566,
    MenuCreate = 32781,
    MenuChange = 32782,
    MenuDelete = 32785,
    SoftChange = 40002,
    SoftMenu = 40003,
};
}

class CExtItemsEditDlg : public QDialog {
    Q_OBJECT
public:
    // itmSelMode 2 chooses names and types with the value selection dialog.
    CExtItemsEditDlg(const std::optional<std::u16string>& text, int itmSelMode, QWidget* parent = nullptr);

    // Every button, menu item and soft key goes through here.
    Q_INVOKABLE void OnCommand(int id);

    ExtItemsEditor& editor() { return editor_; }
    // The text handed back by "変更反映".
    const std::u16string& result() const { return result_; }
    // The type the value fields are laid out for.
    int currentType() const { return type_; }
    // Whether the time chooser changed a time.
    bool modified() const { return modified_; }
    QComboBox* nameCombo() const { return nameCombo_; }
    QComboBox* typeCombo() const { return typeCombo_; }
    QCalendarWidget* calendar() const { return calendar_; }
    QMenu* menu() const { return menu_; }
    // Shows the selected item in the controls (or empty controls without one).
    void ShowSelected();
    // Lays the value fields out for the type, moving the typed text into them.
    void ChangeType(int type);
    // The value fields as they stand.
    ExtValueFields Fields() const;
    // Escape and the window's close button are discard (which asks).
    void reject() override { OnCommand(ExtEditCmd::Discard); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateControls();
    void CreateMenu();
    void LayOut();
    void SetFields(const ExtValueFields& fields);
    void FillNames();
    void ShowType(int type);
    std::u16string InputName() const;
    void OnNamePicked(int index);
    void OnTypePicked(int index);
    void OnCreate();
    void OnChange();
    void OnDelete();
    void OnApply();
    void OnDiscard();
    void OnChooser();
    void OnDateChooser();
    void OnDatePicked();
    void OnFileChooser();
    void OnTimeChooser();
    void OnNameChooser();
    void OnTypeChooser();

    ExtItemsEditor editor_;
    bool bySelection_;
    int type_ = ExtTypeInt;
    int previousType_ = ExtTypeInt;
    bool modified_ = false;
    std::u16string result_;

    QLabel* title_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* discard_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLabel* nameStatic_ = nullptr;
    QComboBox* nameCombo_ = nullptr;
    QLabel* typeLabel_ = nullptr;
    QLabel* typeStatic_ = nullptr;
    QComboBox* typeCombo_ = nullptr;
    QLabel* valueLabel_ = nullptr;
    QLineEdit* value_ = nullptr;
    QPlainTextEdit* lines_ = nullptr;
    QPushButton* chooser_ = nullptr;
    QLineEdit* time_ = nullptr;
    QPushButton* timeChooser_ = nullptr;
    QPushButton* create_ = nullptr;
    QPushButton* change_ = nullptr;
    QPushButton* delete_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QWidget* softKeyBar_ = nullptr;
    QPushButton* softChange_ = nullptr;
    QPushButton* softMenu_ = nullptr;
    QMenu* menu_ = nullptr;
};

// Runs the editor modally over parent on the text. 1 after "変更反映" with the text
// replaced by the new one (the empty text for no items), 2 after "変更破棄" with the
// text unchanged. Names and types are chosen by list when the application's
// ItmSelMode is 2.
int RunExtItemsEditDlg(QWidget* parent, std::optional<std::u16string>& extItemsText);
