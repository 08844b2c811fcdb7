// The find dialog's field rules without the dialog: the time editor's check of a typed
// time and the search history update.
#pragma once

#include "core/MessageBox.h"

#include <string>
#include <string_view>
#include <vector>

// Checks the text left in a time editor. Returns 0 with shown set to "" (empty),
// "<終日>" (start only) or "hh:mm" ("24:00" for the end); -1 after
// "入力した時刻の値が不正です。入力値を見直してください。" when the text is no time.
int CheckFindTimeEntry(WindowHandle owner, std::u16string_view typed, bool start, std::u16string& shown);

// Puts the text at the top of the history (at most ten entries, newest first): a text
// already there moves up, otherwise the oldest entry drops out. An empty text changes
// nothing. Line breaks are taken out, since each entry is one line of the settings file.
void AddToFindHistory(std::vector<std::u16string>& history, std::u16string_view text);
