// Export: the actions of the action index (all actions, or the search result while
// a search is active), in index order, into an exchange file of the chosen layout.
#pragma once

#include "exchange/ExchangeFormat.h"
#include "exchange/ExchangeTarget.h"

#include <string_view>

// Writes the file (replacing any file of that name) and returns the number of
// actions written; -1 on failure, told to the user inside: the file cannot be
// created, a write fails (what was written stays in the file), or an action of the
// index cannot be read.
long long ExportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout);

// The export as the import/export dialog runs it: ExportActions, then
// "エクスポートが完了しました。" or "エクスポートに失敗しました。(result)". Returns its result.
long long RunExportActions(const ExchangeTarget& target, std::u16string_view fileName, ExchangeLayout layout);
