// The memo as shown: every program embedded between "#" characters replaced by its
// value. The edit dialog shows this text while it stores the memo as typed.
#pragma once

#include "core/ActionRecord.h"

#include <string>

// The action as the evaluator reads it: the twelve fields as texts, except the position,
// which comes as doubles; kNoPosition (the largest finite double) stands for none.
struct ActionTextInput {
    ActionRecord record;
    double latitude;
    double longitude;
};

inline constexpr double kNoPosition = 1.7976931348623157e308;

// Evaluates the memo of the action (field Memo) into `shown`. Always returns 0:
// a failing program shows nothing and the rest of it appears as literal text.
int ParseActionText(const ActionTextInput& action, std::u16string& shown);
// The same for a record whose position fields hold "%f" texts (absent = no position).
int ParseActionText(const ActionRecord& record, std::u16string& shown);
