// Action identifiers: "ID" + the creation time as yyyymmddhhmmss + two random
// digits, 18 characters. Made unique when the action is inserted (store/).
#pragma once

#include <optional>
#include <string>
#include <string_view>

inline constexpr size_t kActionIdLength = 18;

// A new identifier from the program clock and the program's random generator.
std::optional<std::u16string> MakeActionId();
// The identifier for a given moment and random number 0 … 99.
std::u16string FormatActionId(int year, int month, int day, int hour, int minute, int second, int number);
// 0 if valid; -1 if the length is not 18; -2 if it does not begin with "ID".
int CheckActionId(std::u16string_view text);
