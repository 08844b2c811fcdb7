// The template scan over a memo, and the item table a memo's programs read: the
// action's extended items plus one pseudo-item per fixed field.
#include "script/ActionText.h"

#include "script/EvalContext.h"
#include "script/ScriptValue.h"
#include "script/Statement.h"

#include "edit/ExtItemText.h"

namespace {

std::u16string FieldText(const ActionRecord& record, int field) {
    const OptText& text = record[field];
    return text ? *text : std::u16string();
}

// The pseudo-items SIActId … SIMemo, inserted at their sorted places. An extended item
// of the same name was read first and stays.
void AddPseudoItems(const ActionTextInput& action, ExtItemList& items) {
    struct Pseudo {
        const char16_t* name;
        int field;
    };
    static constexpr Pseudo kTexts[] = {
        {u"SIActId", ActionField::ActId},
        {u"SILastUpdate", ActionField::LastUpdate},
        {u"SIStaDateTime", ActionField::StaDateTime},
        {u"SIEndDateTime", ActionField::EndDateTime},
        {u"SISubject", ActionField::Subject},
        {u"SIPlace", ActionField::Place},
        {u"SICategory1", ActionField::Category1},
        {u"SICategory2", ActionField::Category2},
        {u"SIMemo", ActionField::Memo},
    };
    for (const Pseudo& p : kTexts)
        items.Insert({p.name, p.name, u"string", FieldText(action.record, p.field)});
    items.Insert({u"SILatitude", u"SILatitude", u"float", FormatGeneral(action.latitude)});
    items.Insert({u"SILongitude", u"SILongitude", u"float", FormatGeneral(action.longitude)});
}

ExtItemList BuildItemTable(const ActionTextInput& action) {
    ExtItemList items;
    // A broken items text still gives the items read before the break.
    ParseValue(FieldText(action.record, ActionField::ExtItems), items);
    AddPseudoItems(action, items);
    return items;
}

double PositionOf(const OptText& text) {
    if (!text || text->empty()) return kNoPosition;
    return TextToFloat(*text);
}

} // namespace

int ParseActionText(const ActionTextInput& action, std::u16string& shown) {
    EvalContext cx(BuildItemTable(action));
    const OptText& memoField = action.record[ActionField::Memo];
    std::u16string_view memo = memoField ? std::u16string_view(*memoField) : std::u16string_view();
    shown.clear();
    shown.reserve(memo.size());
    bool afterHash = false;
    size_t i = 0;
    while (i < memo.size()) {
        char16_t c = memo[i];
        if (!afterHash) {
            if (c == u'#')
                afterHash = true;
            else
                shown.push_back(c);
            ++i;
            continue;
        }
        afterHash = false;
        if (c == u'#') {
            shown.push_back(u'#');
            ++i;
            continue;
        }
        size_t pos = i;
        std::optional<std::u16string> value;
        int rc = EvalProgram(cx, memo, pos, value);
        cx.Trace("ParseActionText Rc=%d Ix=%d", rc, static_cast<int>(pos));
        if (rc == 0 && value) shown += *value;
        // The scan goes on after where the program stopped: normally its closing "#";
        // after a failure the rest of the program shows as it was typed.
        i = pos + 1;
    }
    cx.Trace("ParseActionText Parse end Ix=%d stat=%d", static_cast<int>(i), afterHash ? 1 : 0);
    return 0;
}

int ParseActionText(const ActionRecord& record, std::u16string& shown) {
    ActionTextInput action{record, PositionOf(record[ActionField::Latitude]),
                           PositionOf(record[ActionField::Longitude])};
    return ParseActionText(action, shown);
}
