#pragma once
// The user's locale: separators of the time formats, case-insensitive comparison, local time.
#include <windows.h>

#include "common/DateTime.h"

#include <string>
#include <string_view>

namespace vek {

std::string LocaleDateSeparator();
std::string LocaleTimeSeparator();

// Compares by the user's locale without regard to case, as strcmp signs its result.
int AnsiCompareText(std::string_view a, std::string_view b);

CivilTime CivilTimeFrom(const SYSTEMTIME& time);
// The current local time as a date-time double, from the clock seam.
double Now();

} // namespace vek
