// The settings services of tremby.dll over an INI file: what is written reads back after the close,
// the value notations, the limits, and the trace lines that plug-in tests compare against.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "DevHostControl.h"
#include "support/TestEnv.h"
#include "host/drawpng.h"

namespace {

const int kHandle = 7;

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ini_ = folder_.File("settings.ini");
    DevSetStoreFile(kHandle, ini_.c_str());
  }
  void TearDown() override { DevSetStoreFile(kHandle, nullptr); }

  // Opens a reading sequence on a store whose section S holds only K = value.
  void OpenWithValue(const std::string& value) {
    WriteFileBytes(ini_, "[S]\r\nK=" + value + "\r\n");
    OpenCFGr(kHandle, &cursor_);
    FindSection("S", 0, &cursor_);
  }

  ScratchDir folder_;
  std::string ini_;
  ConfigCursor cursor_{};
};

TEST_F(SettingsStore, WritesReadBackAfterClose) {
  OpenCFGw(kHandle, &cursor_);
  FindSection("Calendar", 1, &cursor_);
  SetCFGString("Cell size", "23", &cursor_);
  SetCFGInt("XPos", -12, &cursor_);
  SetCFGString("Main Skin", "C:\\skins\\main.png", &cursor_);
  CloseCFGw(kHandle, 0, &cursor_);

  ConfigCursor other{};
  OpenCFGw(kHandle, &other);
  FindSection("Other", 1, &other);
  SetCFGString("XPos", "999", &other);
  CloseCFGw(kHandle, 0, &other);

  OpenCFGr(kHandle, &cursor_);
  FindSection("Calendar", 0, &cursor_);
  EXPECT_NE(Scan("Cell size", &cursor_), 0);
  EXPECT_NE(Scan("CELL SIZE", &cursor_), 0) << "keys match without regard to case";
  EXPECT_EQ(Scan("Font", &cursor_), 0);
  EXPECT_EQ(GetCFGInt("Cell size", 1, &cursor_), 23);
  EXPECT_EQ(GetCFGInt("XPos", 0, &cursor_), -12) << "each section keeps its own keys";
  EXPECT_EQ(GetCFGInt("Missing", 1, &cursor_), 0);
  EXPECT_EQ(GetCFGHex("Missing", 0, &cursor_), 0);
  EXPECT_EQ(GetCFGBool("Missing", 0, &cursor_), 0);
  char text[261];
  GetCFGString("Main Skin", "", text, 260, &cursor_);
  EXPECT_STREQ(text, "C:\\skins\\main.png");
  GetCFGString("Missing", "", text, 260, &cursor_);
  EXPECT_STREQ(text, "");
  GetCFGString("Missing", "fallback", text, 260, &cursor_);
  EXPECT_STREQ(text, "fallback");
  CloseCFGr(&cursor_);
}

// The file changes only at CloseCFGw, and a hand-edited file keeps its comments, other sections and
// key order; a new key joins the end of its own section, not the end of the file.
TEST_F(SettingsStore, RewriteKeepsTheRestOfTheFile) {
  const std::string before =
      "; my settings\r\n[Calendar]\r\nXPos=5\r\nYPos=6\r\n\r\n[Other]\r\nA=1\r\n";
  WriteFileBytes(ini_, before);
  OpenCFGw(kHandle, &cursor_);
  FindSection("Calendar", 1, &cursor_);
  SetCFGInt("XPos", 10, &cursor_);
  SetCFGString("ZOrder", "0", &cursor_);
  SetCFGString("Bad", "one\r\ntwo", &cursor_);
  EXPECT_EQ(ReadWholeFile(ini_), before);
  CloseCFGw(kHandle, 0, &cursor_);
  EXPECT_EQ(ReadWholeFile(ini_),
            "; my settings\r\n[Calendar]\r\nXPos=10\r\nYPos=6\r\nZOrder=0\r\nBad=one\r\n\r\n"
            "[Other]\r\nA=1\r\n");
}

TEST_F(SettingsStore, WritesOutsideAWritingSequenceAreIgnored) {
  WriteFileBytes(ini_, "[S]\r\nK=1\r\n");
  OpenCFGr(kHandle, &cursor_);
  FindSection("S", 0, &cursor_);
  SetCFGInt("K", 2, &cursor_);
  CloseCFGr(&cursor_);
  EXPECT_EQ(ReadWholeFile(ini_), "[S]\r\nK=1\r\n");
  // A closed cursor no longer reaches the store.
  EXPECT_EQ(GetCFGInt("K", 0, &cursor_), 0);

  ConfigCursor unmapped{};
  EXPECT_EQ(OpenCFGw(kHandle + 1, &unmapped), 0);
  FindSection("S", 1, &unmapped);
  EXPECT_EQ(SetCFGInt("K", 3, &unmapped), 0);
  CloseCFGw(kHandle + 1, 0, &unmapped);
  EXPECT_EQ(ReadWholeFile(ini_), "[S]\r\nK=1\r\n");
}

TEST_F(SettingsStore, HexadecimalColours) {
  struct Case {
    const char* text;
    uint32_t value;
  } cases[] = {
      {"800000", 0x800000},
      {"b7", 0xB7},
      {"0000FF", 0xFF},
      {"FfFfFf", 0xFFFFFF},
      {"0x1A2B", 0x1A2B},
      {"#abc", 0xABC},
      {"12zz", 0x12},
      {"zz", 0},
      {"", 0},
      {"123456789", 0x23456789},
  };
  for (const Case& c : cases) {
    OpenWithValue(c.text);
    EXPECT_EQ(static_cast<uint32_t>(GetCFGHex("K", 0, &cursor_)), c.value) << '"' << c.text << '"';
    CloseCFGr(&cursor_);
  }
}

TEST_F(SettingsStore, Booleans) {
  struct Case {
    const char* text;
    int value;
  } cases[] = {{"0", 0},   {"1", 1}, {"true", 1}, {"FALSE", 0},
               {"yes", 1}, {"2", 1}, {"", 0},     {"off", 0}};
  for (const Case& c : cases) {
    OpenWithValue(c.text);
    EXPECT_EQ(GetCFGBool("K", 0, &cursor_), c.value) << '"' << c.text << '"';
    CloseCFGr(&cursor_);
  }
}

TEST_F(SettingsStore, FontNotation) {
  const std::string longName(40, 'N');
  struct Case {
    std::string text;
    std::string face;
    int size;
    uint32_t style;
    int charset;
  } cases[] = {
      {"Comic Sans MS,11,100,204", "Comic Sans MS", 11, FontBold, 204},
      {"Comic Sans MS,8,000,0", "Comic Sans MS", 8, 0, 0},
      {"Arial,9,011,1", "Arial", 9, FontItalic | FontUnderline, 1},
      {"Arial,9,111", "Arial", 9, FontBold | FontItalic | FontUnderline, 0},
      {" Tahoma , 10 , 1 , 186", "Tahoma", 10, FontBold, 186},
      {"Arial", "Arial", 0, 0, 0},
      {"", "", 0, 0, 0},
      {"X,abc,1x1,999", "X", 0, FontBold | FontUnderline, 0},
      {longName + ",12,010,0", longName.substr(0, 31), 12, FontItalic, 0},
  };
  for (const Case& c : cases) {
    OpenWithValue(c.text);
    FontSpec font;
    std::memset(&font, 0xCC, sizeof font);  // every byte must be written
    GetCFGFont("K", &font, &cursor_);
    CloseCFGr(&cursor_);
    SCOPED_TRACE('"' + c.text + '"');
    ASSERT_NE(std::memchr(font.FaceName, 0, sizeof font.FaceName), nullptr);
    EXPECT_EQ(std::string(font.FaceName), c.face);
    EXPECT_EQ(font.Size, c.size);
    EXPECT_EQ(font.Style, c.style);
    EXPECT_EQ(font.Charset, c.charset);
    for (uint8_t byte : font.Reserved) EXPECT_EQ(byte, 0);
  }

  OpenWithValue("Arial,9,111,0");
  FontSpec missing;
  std::memset(&missing, 0xCC, sizeof missing);
  GetCFGFont("Missing", &missing, &cursor_);
  CloseCFGr(&cursor_);
  FontSpec zero{};
  EXPECT_EQ(std::memcmp(&missing, &zero, sizeof zero), 0) << "a missing font reads as all zeros";
}

TEST_F(SettingsStore, StringLimit) {
  struct Case {
    int limit;
    const char* defaultText;
    const char* key;
    const char* expected;
  } cases[] = {
      {5, "", "K", "abcde"}, {8, "", "K", "abcdefgh"},         {260, "", "K", "abcdefgh"},
      {0, "", "K", ""},      {3, "default", "Missing", "def"},
  };
  for (const Case& c : cases) {
    OpenWithValue("abcdefgh");
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    GetCFGString(c.key, c.defaultText, buffer, c.limit, &cursor_);
    CloseCFGr(&cursor_);
    SCOPED_TRACE(c.limit);
    EXPECT_STREQ(buffer, c.expected);
    size_t end = std::strlen(c.expected) + 1;
    if (end < sizeof buffer) {
      EXPECT_EQ(buffer[end], '#') << "nothing written past the zero";
    }
  }
}

TEST(CheckIntTest, ClampsIntoTheBounds) {
  struct Case {
    int value, low, high, expected;
  } cases[] = {
      {5, 0, 10, 5},
      {-3, 0, 10, 0},
      {99, 0, 10, 10},
      {10, 0, 10, 10},
      {0, 0, 10, 0},
      {INT_MIN, 0, 1272, 0},
      {INT_MAX, 0, 1016, 1016},
      {5, 8, 2, 8},  // crossed bounds: the lower one wins
  };
  for (const Case& c : cases) {
    int value = c.value;
    CheckInt(&value, c.low, c.high, 0);
    EXPECT_EQ(value, c.expected) << c.value << " into " << c.low << " .. " << c.high;
  }
  EXPECT_EQ(CheckInt(nullptr, 0, 10, 0), 0);
}

TEST(StrcopyTest, CopiesTheTextAndItsZero) {
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  strcopy(buffer, "/abc");
  EXPECT_STREQ(buffer, "/abc");
  EXPECT_EQ(buffer[5], '#');
}

// Plug-in tests compare these lines literally.
TEST_F(SettingsStore, TraceLines) {
  WriteFileBytes(ini_,
            "[Calendar]\r\nFont=Comic Sans MS,11,100,204\r\nXPos=400\r\nColor=800000\r\n"
            "Main Skin=C:\\d\\main.png\r\n");
  DevTraceClear();
  OpenCFGr(kHandle, &cursor_);
  FindSection("Calendar", 0, &cursor_);
  Scan("Font", &cursor_);
  GetCFGInt("XPos", 0, &cursor_);
  GetCFGHex("Color", 0, &cursor_);
  GetCFGBool("Drop shadow", 0, &cursor_);
  FontSpec font;
  GetCFGFont("Font", &font, &cursor_);
  char path[261];
  GetCFGString("Main Skin", "", path, 260, &cursor_);
  CloseCFGr(&cursor_);
  int x = 9999;
  CheckInt(&x, 0, 1272, 0);
  OpenCFGw(kHandle, &cursor_);
  FindSection("Calendar", 1, &cursor_);
  SetCFGString("Cell size", "23", &cursor_);
  SetCFGInt("XPos", 10, &cursor_);
  CloseCFGw(kHandle, 0, &cursor_);
  char copy[16];
  strcopy(copy, "a\r\nb");
  EXPECT_STREQ(DevTraceText(),
               "OpenCFGr(7)\n"
               "FindSection(\"Calendar\", 0)\n"
               "Scan(\"Font\") = 1\n"
               "GetCFGInt(\"XPos\", 0) = 400\n"
               "GetCFGHex(\"Color\", 0) = 0x800000\n"
               "GetCFGBool(\"Drop shadow\", 0) = 0\n"
               "GetCFGFont(\"Font\") = {\"Comic Sans MS\", 11, 0x100, 204}\n"
               "GetCFGString(\"Main Skin\", \"\", 260) = \"C:\\d\\main.png\"\n"
               "CloseCFGr()\n"
               "CheckInt(9999, 0, 1272, 0) = 1272\n"
               "OpenCFGw(7)\n"
               "FindSection(\"Calendar\", 1)\n"
               "SetCFGString(\"Cell size\", \"23\")\n"
               "SetCFGInt(\"XPos\", 10)\n"
               "CloseCFGw(7, 0)\n"
               "strcopy(\"a\\r\\nb\")\n");

  // Tests add lines of their own to the same trace.
  DevTraceClear();
  DevTraceAppend("MessageBoxA(\"Error\")");
  Scan("Font", &cursor_);
  EXPECT_STREQ(DevTraceText(), "MessageBoxA(\"Error\")\nScan(\"Font\") = 0\n");
}

}  // namespace
