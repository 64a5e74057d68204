#include "model/ReminderFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

Lines Split(const std::string& bytes) {
  Lines lines;
  SplitLines(bytes, &lines);
  return lines;
}

struct ReadCase {
  const char* what;
  std::string bytes;
  Lines lines;
};

const std::string LongLine = "1.1.2027 " + std::string(6000, 'x');

const ReadCase ReadCases[] = {
    {"empty file", "", {}},
    {"LF", "a\nb\n", {"a", "b"}},
    {"CR LF", "a\r\nb\r\n", {"a", "b"}},
    {"no terminator at the end", "a\r\nb", {"a", "b"}},
    {"lone CR dropped", "a\rb\r\n", {"ab"}},
    {"CR before CR LF dropped", "a\r\r\nb", {"a", "b"}},
    {"CR at the very end", "a\n\r", {"a"}},
    {"lone CR at the end of the last line", "a\r", {"a"}},
    {"empty lines kept", "\n\r\na\n\nb\n", {"", "", "a", "", "b"}},
    {"0x1A first ends at once", "\x1A" "a\n", {}},
    {"0x1A at a line start ends the file", "a\n\x1A" "b\nc\n", {"a"}},
    {"0x1A after a dropped CR still begins the line", "a\n\r\x1A" "b\n", {"a"}},
    {"0x1A inside a line is text", "1.1.2027 a\x1A" "b\n\x1A", {"1.1.2027 a\x1A" "b"}},
    {"byte-order mark stays in the first line", "\xEF\xBB\xBF" "1.1.2027 x\n", {"\xEF\xBB\xBF" "1.1.2027 x"}},
    {"zero bytes and high bytes taken as they stand", std::string("a\0b\xFF\n", 5), {std::string("a\0b\xFF", 4)}},
    {"long line", LongLine + "\r\n", {LongLine}},
};

TEST(ReadingLines, Table) {
  for (const ReadCase& c : ReadCases) EXPECT_EQ(Split(c.bytes), c.lines) << c.what;
}

// The file arrives in chunks: every split into two pieces, and a byte at a time, must read alike
// (a CR LF or a 0x1A can straddle a chunk's edge).
TEST(ReadingLines, ChunkEdgesChangeNothing) {
  for (const ReadCase& c : ReadCases) {
    if (c.bytes.size() > 64) continue;
    for (size_t cut = 0; cut <= c.bytes.size(); ++cut) {
      Lines lines;
      LineSplitter splitter;
      StartLines(&splitter, &lines);
      FeedLines(&splitter, c.bytes.data(), cut);
      FeedLines(&splitter, c.bytes.data() + cut, c.bytes.size() - cut);
      FinishLines(&splitter);
      EXPECT_EQ(lines, c.lines) << c.what << ", cut at " << cut;
    }
    Lines lines;
    LineSplitter splitter;
    StartLines(&splitter, &lines);
    for (char byte : c.bytes) FeedLines(&splitter, &byte, 1);
    FinishLines(&splitter);
    EXPECT_EQ(lines, c.lines) << c.what << ", byte by byte";
  }
}

TEST(ReadingLines, RereadIntoAnOldListLeavesNothingOfIt) {
  Lines lines = {"a much longer first line than the new one", "second", "third"};
  SplitLines("x\n\n", &lines);
  EXPECT_EQ(lines, (Lines{"x", ""}));
  SplitLines("1\n2\n3\n4\n", &lines);
  EXPECT_EQ(lines, (Lines{"1", "2", "3", "4"}));
  SplitLines("", &lines);
  EXPECT_TRUE(lines.empty());
}

TEST(ReadingLines, WrittenBytesReadBackAlike) {
  for (const ReadCase& c : ReadCases) {
    Lines lines = Split(c.bytes);
    EXPECT_EQ(Split(FileBytes(lines)), lines) << c.what;
  }
}

TEST(LineParts, DateFieldAndText) {
  struct Case {
    const char* line;
    const char* field;
    const char* text;
  } cases[] = {
      {"5.3.2027 Dentist at 10", "5.3.2027", "Dentist at 10"},
      {"14.11.2027  two spaces", "14.11.2027", " two spaces"},
      {"1.1.2027 ", "1.1.2027", ""},
      {"1.1.2027", "", "1.1.2027"},
      {" 1.1.2027 x", "", "1.1.2027 x"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateField(c.line), c.field) << '"' << c.line << '"';
    EXPECT_EQ(ReminderText(c.line), c.text) << '"' << c.line << '"';
  }
}

TEST(FindingReminders, FirstLineWhoseFieldIsTheKey) {
  const Lines lines = Split(
      "\xEF\xBB\xBF" "2.1.2027 after a byte-order mark\n"
      "11.5.2027 eleventh\n"
      "21.5.2027 twenty-first\n"
      "05.03.2027 leading zeros\n"
      "14.11.2027  indented\n"
      "7.7.2027\n"
      "8.8.2027 \n"
      "8.8.2027 second of two, the first empty\n"
      "9.9.2027 first\n"
      "9.9.2027 second\n"
      "free form\n"
      "plain\n"
      " spaced\n"
      "0.3.2027 blank cells\n");
  struct Case {
    std::string key;
    std::string text;
  } cases[] = {
      {"2.1.2027", ""},
      {"1.5.2027", ""},
      {"11.5.2027", "eleventh"},
      {"21.5.2027", "twenty-first"},
      {"5.3.2027", ""},
      {"05.03.2027", "leading zeros"},
      {"14.11.2027", " indented"},
      {"7.7.2027", ""},
      {"8.8.2027", ""},
      {"9.9.2027", "first"},
      {"0.3.2027", "blank cells"},
      {"free", "form"},
      {"", "7.7.2027"},  // the first line without a space, whole
      {"9.9.2027 first", ""},
      {"11.5.202", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TextOfKey(lines, c.key), c.text) << '"' << c.key << '"';
  EXPECT_EQ(TextOfKey({}, "1.1.2027"), "");
  EXPECT_EQ(TextOfKey({"1.1.2027 x"}, ""), "");
}

TEST(SettingReminders, ExactBytesWritten) {
  struct Case {
    const char* what;
    std::string before;
    std::string key, text;
    std::string after;
  } cases[] = {
      {"replace in place", "1.5.2027 a\n2.5.2027 b\n3.5.2027 c\n", "2.5.2027", "B",
       "1.5.2027 a\r\n2.5.2027 B\r\n3.5.2027 c\r\n"},
      {"append a new date", "1.5.2027 a\r\n", "4.5.2027", "d", "1.5.2027 a\r\n4.5.2027 d\r\n"},
      {"first save creates the one line", "", "14.11.2027", "Dentist",
       "14.11.2027 Dentist\r\n"},
      {"delete moves later lines up", "1.5.2027 a\n2.5.2027 b\n3.5.2027 c", "2.5.2027", "",
       "1.5.2027 a\r\n3.5.2027 c\r\n"},
      {"delete the only line", "1.5.2027 a\r\n", "1.5.2027", "", ""},
      {"delete with no file", "", "1.5.2027", "", ""},
      {"delete a date without a line rewrites with CR LF", "1.5.2027 a\nx\n", "9.5.2027", "",
       "1.5.2027 a\r\nx\r\n"},
      {"1.5 is neither 11.5 nor 21.5", "11.5.2027 x\n21.5.2027 y\n", "1.5.2027", "z",
       "11.5.2027 x\r\n21.5.2027 y\r\n1.5.2027 z\r\n"},
      {"only the first of two lines is replaced", "9.9.2027 a\n9.9.2027 b\n", "9.9.2027", "c",
       "9.9.2027 c\r\n9.9.2027 b\r\n"},
      {"only the first of two lines is deleted", "9.9.2027 a\n9.9.2027 b\n", "9.9.2027", "",
       "9.9.2027 b\r\n"},
      {"odd lines written back untouched", "\n 1.5.2027 x\n1.5.2027\n05.5.2027 y\n", "1.5.2027",
       "new", "\r\n 1.5.2027 x\r\n1.5.2027\r\n05.5.2027 y\r\n1.5.2027 new\r\n"},
      {"line breaks in a text become spaces", "", "1.5.2027", "a\r\nb\rc\nd\n\re",
       "1.5.2027 a b c d  e\r\n"},
      {"a text of spaces is a reminder", "", "1.5.2027", "   ", "1.5.2027    \r\n"},
      {"0x1A inside a text is kept", "", "1.5.2027", "a\x1A", "1.5.2027 a\x1A\r\n"},
  };
  for (const Case& c : cases) {
    Lines lines = Split(c.before);
    SetKeyLine(&lines, c.key, c.text);
    EXPECT_EQ(FileBytes(lines), c.after) << c.what;
  }
}

TEST(SettingReminders, SecondLineTakesOverOnceTheFirstIsDeleted) {
  Lines lines = Split("9.9.2027 a\n9.9.2027 b\n");
  SetKeyLine(&lines, "9.9.2027", "");
  EXPECT_EQ(TextOfKey(lines, "9.9.2027"), "b");
}

TEST(SettingReminders, TextWithLineBreaksStaysOneLine) {
  Lines lines;
  SetKeyLine(&lines, "1.5.2027", "first\r\nsecond");
  EXPECT_EQ(Split(FileBytes(lines)), (Lines{"1.5.2027 first second"}));
}

// Flags on the grid of March 2027 (the 1st is a Monday: 31 days, 11 blank cells).
TEST(EventFlags, OnePassAgreesWithALookupPerCell) {
  uint8_t grid[MonthGridSize];
  FillMonthGrid(3, 2027, grid);
  const Lines lines = Split(
      "5.3.2027 five\n"
      "05.3.2027 leading zero\n"
      "6.3.2027 \n"
      "6.3.2027 later line with a text\n"
      "7.3.2027\n"
      "8.3.2026 other year\n"
      "9.4.2027 other month\n"
      "31.3.2027   \n"
      "\xEF\xBB\xBF" "1.3.2027 after a mark\n"
      " 2.3.2027 leading space\n"
      "0.3.2027 blank cells\n"
      "12.3.2027 twelve\n"
      "112.3.2027 not twelve\n");
  int32_t flags[MonthGridSize];
  ComputeEventFlags(lines, grid, 3, 2027, flags);
  for (int i = 0; i < MonthGridSize; ++i) {
    bool expected = !TextOfKey(lines, FormatDateKey(grid[i], 3, 2027)).empty();
    EXPECT_EQ(flags[i], expected ? -1 : 0) << "cell " << i << ", day " << int(grid[i]);
  }
  // A scan of the lines answers the grid's keys as a search would, and leaves other keys to it.
  FlagScan scan;
  StartFlagScan(&scan, grid, 3, 2027);
  for (const std::string& line : lines) ScanLine(&scan, line);
  for (int day = 0; day <= 31; ++day) {
    const std::string key = FormatDateKey(day, 3, 2027);
    std::string text;
    ASSERT_TRUE(ScannedText(scan, lines, key, &text)) << key;
    EXPECT_EQ(text, TextOfKey(lines, key)) << key;
  }
  std::string text;
  EXPECT_FALSE(ScannedText(scan, lines, "05.3.2027", &text)) << "not a grid key";
  EXPECT_FALSE(ScannedText(scan, lines, "5.4.2027", &text)) << "another month";
  EXPECT_FALSE(ScannedText(scan, Lines{"5.3.2027 stale"}, "5.3.2027", &text)) << "other lines";
  // The same, spelled out: days 5, 12, 31 and every blank cell.
  int flagged = 0;
  for (int i = 0; i < MonthGridSize; ++i) {
    bool expected = grid[i] == 0 || grid[i] == 5 || grid[i] == 12 || grid[i] == 31;
    EXPECT_EQ(flags[i] != 0, expected) << "day " << int(grid[i]);
    flagged += flags[i] != 0;
  }
  EXPECT_EQ(flagged, 3 + 11);
}

TEST(EventFlags, OldGridNewMonth) {
  uint8_t january[MonthGridSize];
  FillMonthGrid(1, 2027, january);
  int32_t flags[MonthGridSize];
  ComputeEventFlags({"31.1.2027 old month", "31.2.2027 key of the new month"}, january, 2, 2027,
                    flags);
  for (int i = 0; i < MonthGridSize; ++i) EXPECT_EQ(flags[i], january[i] == 31 ? -1 : 0);
  ComputeEventFlags({}, january, 2, 2027, flags);
  for (int32_t flag : flags) EXPECT_EQ(flag, 0);
}

}  // namespace
