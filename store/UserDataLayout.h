// The row layout of t_UserData: its twelve columns in ActionRecord order and their
// widths. The diary's table access and the salvage tool's row reader both read it.
#pragma once

#include "core/ActionRecord.h"

inline constexpr const char* kUserDataTableName = "t_UserData";
inline constexpr const char* kUserDataColumns[ActionField::Count] = {
    "f_nchActId",   "f_dtLastUpdate", "f_nchStaDateTime", "f_nchEndDateTime", "f_fltLatitude", "f_fltLongitude",
    "f_nvcSubject", "f_nvcPlace",     "f_nvcCategory1",   "f_nvcCategory2",   "f_nvcMemo",     "f_nvcExtItems"};
// Column widths in UTF-16 code units (0: not a text column).
inline constexpr int kUserDataWidths[ActionField::Count] = {18, 0, 19, 19, 0, 0, 100, 500, 500, 500, 2000, 2000};
