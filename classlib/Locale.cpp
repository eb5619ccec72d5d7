#include "classlib/Locale.h"

#include "classlib/Seams.h"

namespace vek {
namespace {

std::string LocaleText(LCTYPE item, const char* fallback) {
    char buffer[16] = {};
    if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, item, buffer, sizeof buffer) == 0) {
        return fallback;
    }
    return buffer;
}

} // namespace

std::string LocaleDateSeparator() { return LocaleText(LOCALE_SDATE, "/"); }

std::string LocaleTimeSeparator() { return LocaleText(LOCALE_STIME, ":"); }

int AnsiCompareText(std::string_view a, std::string_view b) {
    // An empty view may carry no pointer at all, which CompareStringA rejects as a failure.
    return ::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.empty() ? "" : a.data(),
                            static_cast<int>(a.size()), b.empty() ? "" : b.data(),
                            static_cast<int>(b.size())) -
           CSTR_EQUAL;
}

CivilTime CivilTimeFrom(const SYSTEMTIME& time) {
    return CivilTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                     time.wMinute, time.wSecond, time.wMilliseconds};
}

double Now() { return ToDateTime(CivilTimeFrom(seams::Clock().LocalTime())); }

} // namespace vek
