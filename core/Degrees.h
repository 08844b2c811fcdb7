// Geographic coordinates as the user sees them: "%d/%d/%f" degrees, minutes and
// seconds; stored as decimal degrees (positive north and east).
#pragma once

#include <string>
#include <string_view>

// "%d/%d/%f"; 35.5 gives "35/30/0.000000". A value between -1 and 0 keeps its sign
// ("-0/30/0.000000") so that it reads back negative.
std::u16string FormatDegreesText(double value);
// 0, or the failing state's code (100, ±101, ±102, ±200, ±201, ±300, -301).
int ParseDegreesText(std::u16string_view text, double& value);
// The breakdown of FormatDegreesText with whole seconds and thousandths.
void SplitDegrees(double value, int& degrees, int& minutes, int& seconds, int& milliseconds);
