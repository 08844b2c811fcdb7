// The extended items editor without its window: the list of one action's items being
// edited, the selected item, create, change and delete with their messages and
// questions, apply (the text handed back, at most 2000 characters) and discard. It also
// knows how a value is spread over the editor's value fields for each type and how the
// typed text moves between them when the type changes. CExtItemsEditDlg shows it.
#pragma once

#include "core/ActionRecord.h"
#include "core/MessageBox.h"
#include "edit/ExtItem.h"

#include <string>

// The longest extended items text a data file column holds.
inline constexpr size_t kExtItemsMaxLength = 2000;

// Results of the editor's commands.
inline constexpr int kExtEdDone = 0;
inline constexpr int kExtEdNoName = -1;      // "名前未入力"
inline constexpr int kExtEdNameTaken = -2;   // create: "同名項目が存在"
inline constexpr int kExtEdInvalid = -3;     // "値不正"
inline constexpr int kExtEdNoSelection = -4; // "項目未指定"
inline constexpr int kExtEdDeclined = -5;    // the user answered No / Cancel
inline constexpr int kExtEdTooLong = -6;     // "拡張項目入力長さオーバー"

// The value fields of the editor: the single line (int, float, string, File, the date
// of date and datetime), the time line (time, the time of datetime) and the box of
// several lines (mlstring).
struct ExtValueFields {
    std::u16string single;
    std::u16string time;
    std::u16string lines;
    bool operator==(const ExtValueFields&) const = default;
};

// The fields that show a stored value of the type (a datetime is split between its
// date and its time).
ExtValueFields SplitExtValue(int type, const std::u16string& value);
// The value the fields give for the type, as create and change store it.
std::u16string JoinExtValue(int type, const ExtValueFields& fields);
// The fields after the type changed from `from` to `to`: the text typed so far moves
// into the fields of the new type (date and time joined by a blank for a one-field
// type, a one-field text split or taken as the date for datetime). Fields the new type
// does not show keep their text.
ExtValueFields MoveExtValue(const ExtValueFields& fields, int from, int to);

class ExtItemsEditor {
public:
    explicit ExtItemsEditor(WindowHandle owner) : owner_(owner) {}

    // Reads the text (absent = no items; a reading error keeps the items read so far)
    // and selects the first item, or none.
    void Open(const OptText& text);

    const ExtItemList& items() const { return items_; }
    // The selected position, or -1.
    int selected() const { return selected_; }
    const ExtItem* SelectedItem() const;
    // Selects the position (anything outside the list selects none).
    void Select(int position);
    // Selects the item of that name; false (selection kept) when there is none.
    bool SelectName(std::u16string_view name);

    // The commands, with the input read from the controls; the display name is the
    // name. Each answers kExtEdDone or the code after its message.
    int Create(const std::u16string& name, int type, const std::u16string& value);
    // With the name of another item, asks whether to overwrite that one; No cancels.
    int Change(const std::u16string& name, int type, const std::u16string& value);
    int Delete();
    // The text to hand back (the empty text for no items), or kExtEdTooLong after its
    // message when it is longer than the column.
    int Apply(std::u16string& text);
    // Asks whether to throw the changes away: true for OK.
    bool ConfirmDiscard();

private:
    // Checks the input item; false after the message naming the field.
    bool CheckInput(const ExtItem& item);

    WindowHandle owner_;
    ExtItemList items_;
    int selected_ = -1;
};
