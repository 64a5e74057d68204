// Calendar arithmetic of the plug-in, free of Windows: Gregorian rules, weekdays, the month grid's
// layout and the date keys that name a day in the reminder file.
#pragma once

#include <cstdint>
#include <string>

// The month grid: 7 weekday columns (Monday first) by 6 week rows, stored column by column.
constexpr int MonthGridColumns = 7;
constexpr int MonthGridRows = 6;
constexpr int MonthGridSize = MonthGridColumns * MonthGridRows;

// Index into the 42 stored cells of column 1 … 7 and row 1 … 6.
constexpr int GridIndex(int column, int row) { return (column - 1) * MonthGridRows + (row - 1); }

bool IsLeapYear(int year);
// 28 … 31 for month 1 … 12; 0 for any other month.
int DaysInMonth(int month, int year);
// 1 = Monday … 7 = Sunday, for any date of the proleptic Gregorian calendar.
int Weekday(int day, int month, int year);
// Day numbers of the month placed under their weekdays, the week of the 1st in row 1; 0 in blank
// cells. A month outside 1 … 12 gives an all-blank grid.
void FillMonthGrid(int month, int year, uint8_t grid[MonthGridSize]);
// "day.month.year" in plain decimal, e.g. "5.3.2027": never a leading zero.
std::string FormatDateKey(int day, int month, int year);
