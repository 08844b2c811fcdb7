// Shows a memo through the evaluator for an action with fixed fields and the given
// extended items text.
#pragma once

#include "script/ActionText.h"

#include "core/Utf.h"

#include <string>

inline ActionTextInput TestAction(std::u16string_view memo, std::u16string_view extItems = u"") {
    ActionTextInput action{{}, kNoPosition, kNoPosition};
    action.record[ActionField::StaDateTime] = u"2010/11/14 09:00:00";
    action.record[ActionField::EndDateTime] = u"2010/11/14 10:30:00";
    action.record[ActionField::Subject] = u"日本語";
    action.record[ActionField::Place] = u"港";
    action.record[ActionField::Category1] = u"仕事";
    action.record[ActionField::Memo] = std::u16string(memo);
    action.record[ActionField::ExtItems] = std::u16string(extItems);
    return action;
}

inline std::u16string Show(const ActionTextInput& action) {
    std::u16string shown = u"(unset)";
    int rc = ParseActionText(action, shown);
    if (rc != 0) return u"(rc " + FormatText("%d", rc) + u")";
    return shown;
}

inline std::string ShowUtf8(std::string_view memo, std::string_view extItems = "") {
    return ToUtf8(Show(TestAction(FromUtf8(memo), FromUtf8(extItems))));
}
