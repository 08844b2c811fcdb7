// The salvage run behind the tool's "データ取出し" button: checks and confirmation,
// the working copy in the program folder, the documented pass over t_UserData and,
// when it stopped at damage, the deeper passes; then the completion message with
// the numbers of rows written.
#pragma once

#include "core/MessageBox.h"
#include "salvage/SalvageOutput.h"

#include <string>
#include <string_view>

// The working copy in the program folder, and the error file beside the export file.
inline constexpr char16_t kWorkingCopyName[] = u"$$TmpFLT.sdf";
inline constexpr char16_t kErrorFileName[] = u"ErrFLT.csv";

// How a run ended: 0 completed (its completion message shown), -1 a check or the
// confirmation stopped it, -2 the files could not be prepared (message shown).
struct SalvageResult {
    int code = 0;
    SalvageCounts counts;
};

SalvageResult RunSalvage(WindowHandle owner, std::u16string_view dataFile, std::u16string_view exportFile);

// The completion message: the documented first line and the numbers.
std::u16string CompletionText(const SalvageCounts& counts);
