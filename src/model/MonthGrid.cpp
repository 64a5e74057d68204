#include "model/MonthGrid.h"

#include <cstring>

#include "model/CalendarMath.h"
#include "plugin/PluginState.h"

static_assert(MonthGridSize == GridCells, "the grid's size is fixed in two places");
static_assert(sizeof(State.MonthGrid) == MonthGridSize, "one byte per cell");

CalendarDate TodayDate() {
  // Read afresh every time: the plug-in runs for days, and the date moves on under it.
  SYSTEMTIME now;
  GetLocalTime(&now);
  return CalendarDate{now.wDay, now.wMonth, now.wYear};
}

void BuildMonthGrid() {
  CalendarDate today = TodayDate();
  FillMonthGrid(today.Month, today.Year, State.MonthGrid);
}

std::string MakeDateKey(int day) {
  CalendarDate today = TodayDate();
  return FormatDateKey(day, today.Month, today.Year);
}

const char* CurrentMonthName() { return State.MonthNames[TodayDate().Month - 1]; }

void FillMonthNames() {
  static const char* const english[12] = {"January", "February", "March",     "April",
                                          "May",     "June",     "July",      "August",
                                          "September", "October", "November", "December"};
  for (int i = 0; i < 12; ++i) {
    char* name = State.MonthNames[i];
    // The long names of months 1 … 12 are consecutive locale items.
    int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SMONTHNAME1 + i, name,
                                static_cast<int>(sizeof(State.MonthNames[i])));
    // A name that does not fit, or an empty one, counts as none.
    if (length <= 1) {
      std::strncpy(name, english[i], sizeof(State.MonthNames[i]) - 1);
      name[sizeof(State.MonthNames[i]) - 1] = '\0';
    }
  }
}
