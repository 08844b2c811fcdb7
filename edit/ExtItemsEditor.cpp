// The extended items editor's list, selection and commands, and the spreading of a
// value over the value fields by type.
#include "edit/ExtItemsEditor.h"

#include "core/Utf.h"
#include "edit/ExtItemCheck.h"
#include "edit/ExtItemText.h"

namespace {

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Where a date-time text divides into date and time: the first run of blanks with a
// digit on both sides (blanks around "/" or ":" belong to the date or the time).
// Returns the run as [begin, end), or begin = npos when there is none.
void FindDateTimeGap(const std::u16string& text, size_t& begin, size_t& end) {
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] != u' ' || !IsDigit(text[i - 1])) continue;
        size_t j = i;
        while (j < text.size() && text[j] == u' ')
            ++j;
        if (j < text.size() && IsDigit(text[j])) {
            begin = i, end = j;
            return;
        }
        i = j;
    }
    begin = end = std::u16string::npos;
}

// The date and time of a datetime's fields as one text, without a blank for an empty part.
std::u16string JoinLoosely(const ExtValueFields& fields) {
    if (fields.time.empty()) return fields.single;
    if (fields.single.empty()) return fields.time;
    return fields.single + u" " + fields.time;
}

// The text the fields of a type hold, as it moves to another type.
std::u16string TypedText(int type, const ExtValueFields& fields) {
    switch (type) {
    case ExtTypeTime:
        return fields.time;
    case ExtTypeDateTime:
        return JoinLoosely(fields);
    case ExtTypeMlString:
        return fields.lines;
    default:
        return fields.single;
    }
}

void SplitInto(const std::u16string& text, ExtValueFields& fields) {
    size_t begin, end;
    FindDateTimeGap(text, begin, end);
    if (begin == std::u16string::npos) {
        fields.single = text;
        fields.time.clear();
        return;
    }
    fields.single = text.substr(0, begin);
    fields.time = text.substr(end);
}

} // namespace

ExtValueFields SplitExtValue(int type, const std::u16string& value) {
    ExtValueFields fields;
    switch (type) {
    case ExtTypeTime:
        fields.time = value;
        break;
    case ExtTypeDateTime:
        SplitInto(value, fields);
        break;
    case ExtTypeMlString:
        fields.lines = value;
        break;
    default:
        fields.single = value;
        break;
    }
    return fields;
}

std::u16string JoinExtValue(int type, const ExtValueFields& fields) {
    switch (type) {
    case ExtTypeTime:
        return fields.time;
    case ExtTypeDateTime:
        return fields.single + u" " + fields.time;
    case ExtTypeMlString:
        return fields.lines;
    default:
        return fields.single;
    }
}

ExtValueFields MoveExtValue(const ExtValueFields& fields, int from, int to) {
    ExtValueFields moved = fields;
    if (from == to) return moved;
    if (to == ExtTypeDateTime) {
        // A time goes to the time field; any other text is split, or becomes the date.
        if (from == ExtTypeTime) return moved;
        SplitInto(TypedText(from, fields), moved);
    } else if (to == ExtTypeTime) {
        // From datetime the time field already holds the time.
        if (from != ExtTypeDateTime) moved.time = TypedText(from, fields);
    } else if (to == ExtTypeMlString) {
        moved.lines = TypedText(from, fields);
    } else {
        moved.single = TypedText(from, fields);
    }
    return moved;
}

void ExtItemsEditor::Open(const OptText& text) {
    items_.Clear();
    // A text that stops reading still gives the items read before the fault.
    if (text) ParseValue(*text, items_);
    selected_ = items_.empty() ? -1 : 0;
}

const ExtItem* ExtItemsEditor::SelectedItem() const {
    return selected_ >= 0 ? &items_[static_cast<size_t>(selected_)] : nullptr;
}

void ExtItemsEditor::Select(int position) {
    selected_ = position >= 0 && static_cast<size_t>(position) < items_.size() ? position : -1;
}

bool ExtItemsEditor::SelectName(std::u16string_view name) {
    int at = items_.IndexOf(name);
    if (at < 0) return false;
    selected_ = at;
    return true;
}

bool ExtItemsEditor::CheckInput(const ExtItem& item) {
    size_t position = 0;
    int field = CheckExtItem(item, position);
    if (field == 0) return true;
    std::u16string text(ExtFieldLabel(field));
    text += FormatText("の%d文字目あたりに認識できない文字があります。値を見直してください。",
                       static_cast<int>(position + 1));
    ShowMessage(owner_, text, u"値不正", MB_OK | MB_ICONERROR);
    return false;
}

namespace {

bool RefuseEmptyName(WindowHandle owner, const std::u16string& name) {
    if (!name.empty()) return false;
    ShowMessage(owner, u"名前が入力されていません。", u"名前未入力", MB_OK | MB_ICONERROR);
    return true;
}

ExtItem MakeItem(const std::u16string& name, int type, const std::u16string& value) {
    // Unknown type indices give an empty type name, which the check refuses.
    return ExtItem{name, name, std::u16string(ExtTypeName(type)), value};
}

} // namespace

int ExtItemsEditor::Create(const std::u16string& name, int type, const std::u16string& value) {
    if (RefuseEmptyName(owner_, name)) return kExtEdNoName;
    if (items_.Find(name)) {
        ShowMessage(owner_, u"すでに同じ名前の項目が登録されています。", u"同名項目が存在", MB_OK | MB_ICONERROR);
        return kExtEdNameTaken;
    }
    ExtItem item = MakeItem(name, type, value);
    if (!CheckInput(item)) return kExtEdInvalid;
    items_.Insert(std::move(item));
    selected_ = items_.IndexOf(name);
    return kExtEdDone;
}

int ExtItemsEditor::Change(const std::u16string& name, int type, const std::u16string& value) {
    if (selected_ < 0) {
        ShowMessage(owner_, u"項目が指定されていません。", u"項目未指定", MB_OK | MB_ICONERROR);
        return kExtEdNoSelection;
    }
    if (RefuseEmptyName(owner_, name)) return kExtEdNoName;
    ExtItem item = MakeItem(name, type, value);
    if (!CheckInput(item)) return kExtEdInvalid;
    int replaced = selected_;
    int other = items_.IndexOf(name);
    if (other >= 0 && other != selected_) {
        // Replacing the selected item anyway would leave two items of one name, and
        // reading the text back would lose one of them: No cancels the change.
        if (ShowMessage(owner_, u"同じ名前の項目があります。項目を切り替えて上書きしますか？", u"同名項目が存在",
                        MB_YESNO | MB_ICONQUESTION) != IDYES)
            return kExtEdDeclined;
        replaced = other;
    }
    items_.RemoveAt(static_cast<size_t>(replaced));
    items_.Insert(std::move(item));
    selected_ = items_.IndexOf(name);
    return kExtEdDone;
}

int ExtItemsEditor::Delete() {
    const ExtItem* item = SelectedItem();
    if (!item) {
        ShowMessage(owner_, u"項目が指定されていません。", u"項目未指定", MB_OK | MB_ICONERROR);
        return kExtEdNoSelection;
    }
    std::u16string question = u"項目\"" + item->name + u"\"を削除してもよろしいですか？";
    if (ShowMessage(owner_, question, u"項目削除確認", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return kExtEdDeclined;
    items_.RemoveAt(static_cast<size_t>(selected_));
    // The item that moved into the place, or the new last one.
    if (static_cast<size_t>(selected_) >= items_.size()) selected_ = static_cast<int>(items_.size()) - 1;
    return kExtEdDone;
}

int ExtItemsEditor::Apply(std::u16string& text) {
    std::u16string written = FormatExtItemsText(items_);
    if (written.size() > kExtItemsMaxLength) {
        ShowMessage(owner_,
                    FormatText("拡張項目の入力長さ(%d)が最大長さ(%d)を超えています。内容を見直してください。",
                               static_cast<int>(written.size()), static_cast<int>(kExtItemsMaxLength)),
                    u"拡張項目入力長さオーバー", MB_OK | MB_ICONERROR);
        return kExtEdTooLong;
    }
    text = std::move(written);
    return kExtEdDone;
}

bool ExtItemsEditor::ConfirmDiscard() {
    return ShowMessage(owner_, u"変更内容を破棄してよろしいですか？", u"変更内容破棄確認",
                       MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK;
}
