// Today's date, the month grid and the date keys, as the rest of the plug-in asks for them.
// The arithmetic itself lives in CalendarMath.h, free of Windows so that it is tested natively.
#pragma once

#include <string>

struct CalendarDate {
  int Day;    // 1 … 31
  int Month;  // 1 … 12
  int Year;
};

// Today's local date, read from the clock at every call.
CalendarDate TodayDate();
// Fills State.MonthGrid for today's month.
void BuildMonthGrid();
// Key of that day number with today's month and year, e.g. "5.3.2027"; no leading zeros.
std::string MakeDateKey(int day);
// Long name of today's month in the user's language (ANSI code page).
const char* CurrentMonthName();
// Fills State.MonthNames from the locale of the calling thread; English where the locale has no name.
// Called once, when the library loads.
void FillMonthNames();
