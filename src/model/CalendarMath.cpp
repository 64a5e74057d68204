#include "model/CalendarMath.h"

#include <cstring>

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int month, int year) {
  static const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  if (month == 2 && IsLeapYear(year)) return 29;
  return lengths[month - 1];
}

// Days from 1 January 1970 to the date; exact for negative years too, since every division
// below works on an era of 400 years that starts at a non-negative number.
static long long DaysFromEpoch(int day, int month, int year) {
  long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
  long long era = (y >= 0 ? y : y - 399) / 400;
  long long yearOfEra = y - era * 400;                                   // 0 … 399
  long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;  // from 1 March
  long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int Weekday(int day, int month, int year) {
  long long days = DaysFromEpoch(day, month, year);
  long long fromMonday = ((days % 7) + 7 + 3) % 7;  // 1 January 1970 was a Thursday
  return static_cast<int>(fromMonday) + 1;
}

void FillMonthGrid(int month, int year, uint8_t grid[MonthGridSize]) {
  std::memset(grid, 0, MonthGridSize);
  int last = DaysInMonth(month, year);
  if (last == 0) return;
  int first = Weekday(1, month, year);
  int day = 1;
  for (int row = 1; row <= MonthGridRows; ++row) {
    for (int column = 1; column <= MonthGridColumns; ++column) {
      if (row == 1 && column < first) continue;
      if (day <= last) grid[GridIndex(column, row)] = static_cast<uint8_t>(day);
      ++day;
    }
  }
}

std::string FormatDateKey(int day, int month, int year) {
  std::string key = std::to_string(day);
  key += '.';
  key += std::to_string(month);
  key += '.';
  key += std::to_string(year);
  return key;
}
