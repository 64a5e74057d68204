#include "model/CalendarMath.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The grid as six rows of seven numbers, so that expectations read like a calendar page.
std::string GridRows(const uint8_t grid[MonthGridSize]) {
  std::string text;
  for (int row = 1; row <= MonthGridRows; ++row) {
    for (int column = 1; column <= MonthGridColumns; ++column) {
      text += std::to_string(grid[GridIndex(column, row)]);
      text += column < MonthGridColumns ? " " : "\n";
    }
  }
  return text;
}

TEST(Calendar, FebruaryLengthFollowsTheLeapRules) {
  struct Case {
    int year;
    int days;
  } cases[] = {{2023, 28}, {2024, 29}, {1900, 28}, {2100, 28}, {2000, 29}, {2400, 29}, {1, 28}, {4, 29}};
  for (const Case& c : cases) {
    EXPECT_EQ(DaysInMonth(2, c.year), c.days) << c.year;
    EXPECT_EQ(IsLeapYear(c.year), c.days == 29) << c.year;
  }
}

TEST(Calendar, MonthLengthsOfAYear) {
  const int lengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) EXPECT_EQ(DaysInMonth(month, 2027), lengths[month - 1]);
  EXPECT_EQ(DaysInMonth(0, 2027), 0);
  EXPECT_EQ(DaysInMonth(13, 2027), 0);
}

// Walks every day from Monday 1 January 1601 to the end of 2500: the weekday must advance by one each
// day, across every month end and every kind of leap year.
TEST(Calendar, WeekdayAdvancesDayByDay) {
  int expected = 1;
  for (int year = 1601; year <= 2500; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 1; day <= DaysInMonth(month, year); ++day) {
        ASSERT_EQ(Weekday(day, month, year), expected) << day << "." << month << "." << year;
        expected = expected % 7 + 1;
      }
    }
  }
}

TEST(Calendar, WeekdayOfKnownDates) {
  EXPECT_EQ(Weekday(1, 1, 1970), 4);   // Thursday
  EXPECT_EQ(Weekday(29, 2, 2000), 2);  // Tuesday
  EXPECT_EQ(Weekday(1, 1, 1), 1);      // Monday, in the proleptic calendar
  EXPECT_EQ(Weekday(31, 12, 9999), 5);  // Friday
}

TEST(MonthGrid, LayoutByFirstWeekdayAndLength) {
  struct Case {
    const char* what;
    int month, year;
    const char* rows;
  } cases[] = {
      {"1st on Monday, 28 days: rows 1-4 exactly", 2, 2021,
       "1 2 3 4 5 6 7\n8 9 10 11 12 13 14\n15 16 17 18 19 20 21\n22 23 24 25 26 27 28\n"
       "0 0 0 0 0 0 0\n0 0 0 0 0 0 0\n"},
      {"1st on Saturday, 29 days", 2, 2020,
       "0 0 0 0 0 1 2\n3 4 5 6 7 8 9\n10 11 12 13 14 15 16\n17 18 19 20 21 22 23\n"
       "24 25 26 27 28 29 0\n0 0 0 0 0 0 0\n"},
      {"1st on Sunday, 31 days: ends in row 6", 8, 2021,
       "0 0 0 0 0 0 1\n2 3 4 5 6 7 8\n9 10 11 12 13 14 15\n16 17 18 19 20 21 22\n"
       "23 24 25 26 27 28 29\n30 31 0 0 0 0 0\n"},
      {"1st on Sunday, 30 days", 9, 2024,
       "0 0 0 0 0 0 1\n2 3 4 5 6 7 8\n9 10 11 12 13 14 15\n16 17 18 19 20 21 22\n"
       "23 24 25 26 27 28 29\n30 0 0 0 0 0 0\n"},
      {"1st on Wednesday, 30 days", 9, 2027,
       "0 0 1 2 3 4 5\n6 7 8 9 10 11 12\n13 14 15 16 17 18 19\n20 21 22 23 24 25 26\n"
       "27 28 29 30 0 0 0\n0 0 0 0 0 0 0\n"},
  };
  for (const Case& c : cases) {
    uint8_t grid[MonthGridSize];
    FillMonthGrid(c.month, c.year, grid);
    EXPECT_EQ(GridRows(grid), c.rows) << c.what;
  }
}

TEST(MonthGrid, StoredColumnByColumn) {
  uint8_t grid[MonthGridSize];
  FillMonthGrid(2, 2021, grid);  // the 1st is a Monday
  const uint8_t expected[MonthGridSize] = {
      1, 8, 15, 22, 0, 0, 2, 9,  16, 23, 0, 0, 3, 10, 17, 24, 0, 0, 4, 11, 18,
      25, 0, 0, 5, 12, 19, 26, 0, 0, 6, 13, 20, 27, 0, 0, 7, 14, 21, 28, 0, 0};
  for (int i = 0; i < MonthGridSize; ++i) EXPECT_EQ(grid[i], expected[i]) << "byte " << i;
}

TEST(MonthGrid, InvalidMonthIsBlank) {
  uint8_t grid[MonthGridSize];
  FillMonthGrid(13, 2027, grid);
  for (uint8_t cell : grid) EXPECT_EQ(cell, 0);
}

TEST(DateKey, PlainDecimalWithoutLeadingZeros) {
  struct Case {
    int day, month, year;
    const char* key;
  } cases[] = {{9, 9, 2027, "9.9.2027"},      {30, 9, 2027, "30.9.2027"},  {0, 9, 2027, "0.9.2027"},
               {14, 11, 2027, "14.11.2027"},  {1, 1, 2000, "1.1.2000"},    {5, 3, 987, "5.3.987"}};
  for (const Case& c : cases) EXPECT_EQ(FormatDateKey(c.day, c.month, c.year), c.key);
}

}  // namespace
