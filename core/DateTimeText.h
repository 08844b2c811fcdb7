// The fixed-width date and time texts ("yyyy/mm/dd", "hh:mm:ss", their pair) that the
// system stores and shows, with their parsers and the check of an action's period.
// Text order is time order, so comparisons here are string comparisons.
#pragma once

#include "core/ActionRecord.h"

#include <cstdint>
#include <string>
#include <string_view>

std::u16string FormatDateText(int year, int month, int day);    // "%04d/%02d/%02d"
std::u16string FormatTimeText(int hour, int minute, int second); // "%02d:%02d:%02d"
std::u16string FormatHourMinute(int hour, int minute);          // "%02d:%02d"
// "%s %s" of a date text and a time text.
std::u16string FormatDateTimeText(int year, int month, int day, int hour, int minute, int second);

// 0 if all digits; -101 if empty; -102 at the first non-digit.
int CheckDigits(std::u16string_view text);
// 0 for a run of '+', '-' and digits with at least one digit and only digits after the first; else -101.
int CheckSignedNumber(std::u16string_view text);
// 0, or -10 when the text is not a date from 1900/01/01 on.
int ParseDateText(std::u16string_view text, int& year, int& month, int& day);
// 0, or -10. "h:m" or "h:m:s"; hour 0–23.
int ParseTimeText(std::u16string_view text, int& hour, int& minute, int& second);
// 0 for a valid time of hour 0–23; -1 for exactly 24:00(:00); -10 otherwise.
int ParseEndTimeText(std::u16string_view text);
// Four digits read as hhmm; anything else goes to ParseTimeText. 0 or -10.
int ParseTimeEntry(std::u16string_view text, int& hour, int& minute, int& second);
// 0 for "2400", "24:00" or "24:00:00"; 1 otherwise.
int IsEndOfDayText(std::u16string_view text);
// A copy without CR and LF.
std::u16string StripLineBreaks(std::u16string_view text);
// 1, 0 or -1: dates compared as strings, times only when the dates are equal.
int CompareDateTime(std::u16string_view dateA, std::u16string_view timeA, std::u16string_view dateB,
                    std::u16string_view timeB);
// Copy the earlier pair; 1 when the B pair was taken (a tie takes A).
int EarlierDateTime(std::u16string_view dateA, std::u16string_view timeA, std::u16string_view dateB,
                    std::u16string_view timeB, std::u16string& date, std::u16string& time);
// Copy the later pair; 1 when the A pair was taken (a tie takes B).
int LaterDateTime(std::u16string_view dateA, std::u16string_view timeA, std::u16string_view dateB,
                  std::u16string_view timeB, std::u16string& date, std::u16string& time);
// 0, or the first failing code -107, -108, -109, -110, -101 … -106 of the start and end fields.
int ValidateActionPeriod(const ActionRecord& record);

// The database engine's timestamp fields.
struct Timestamp {
    std::int16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint32_t fraction = 0;
};
// 0, or the negated failing state: -10xx for a wrong character, -20xx for an early end.
int ParseTimestampText(std::u16string_view text, Timestamp& out);
