// The settings dialog's conversions between stored texts and what its controls and the common
// colour and font boxes take, and the check of edited texts before anything is stored.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "SettingsText.h"

using namespace devhost;

namespace {

TEST(ColourTextTest, StoredTextsBecomeWindowsColours) {
  struct Case {
    const char* text;
    COLORREF colour;
  } cases[] = {
      {"800000", RGB(0x80, 0, 0)},  // red first in the text, red in the low byte after
      {"b7", RGB(0, 0, 0xB7)},      // short texts are the low digits: blue
      {"00FF00", RGB(0, 0xFF, 0)},  //
      {"#123456", RGB(0x12, 0x34, 0x56)},
      {"0x0000ff", RGB(0, 0, 0xFF)},
      {"", RGB(0, 0, 0)},
      {"12zz", RGB(0, 0, 0x12)},  // read up to the first other character, as the store does
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ColourFromText(c.text), c.colour);
  }
}

TEST(ColourTextTest, ChosenColoursAreStoredRedFirstAndReadBack) {
  for (COLORREF colour : {RGB(0x80, 0, 0), RGB(0, 0, 0xB7), RGB(1, 2, 3), RGB(255, 255, 255)}) {
    std::string text = ColourToText(colour);
    EXPECT_EQ(text.size(), 6u);
    EXPECT_EQ(ColourFromText(text), colour) << text;
  }
  EXPECT_EQ(ColourToText(RGB(0x80, 0, 0)), "800000");
  EXPECT_EQ(ColourToText(RGB(0, 0, 0xB7)), "0000b7");
}

TEST(FontTextTest, StoredTextsBecomeFonts) {
  struct Case {
    const char* text;
    const char* face;
    int points;
    bool bold, italic, underline;
    int charset;
  } cases[] = {
      {"Comic Sans MS,11,100,204", "Comic Sans MS", 11, true, false, false, 204},
      {"Comic Sans MS,8,000,0", "Comic Sans MS", 8, false, false, false, 0},
      {"Arial, 9 ,011, 0", "Arial", 9, false, true, true, 0},
      {"Tahoma,10,1", "Tahoma", 10, true, false, false, 0},  // missing digits and charset: off, 0
      {"Tahoma,10,000,999", "Tahoma", 10, false, false, false, 0},  // no such character set
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FontChoice font = FontFromText(c.text);
    EXPECT_EQ(font.Face, c.face);
    EXPECT_EQ(font.Points, c.points);
    EXPECT_EQ(font.Bold, c.bold);
    EXPECT_EQ(font.Italic, c.italic);
    EXPECT_EQ(font.Underline, c.underline);
    EXPECT_EQ(font.Charset, c.charset);
  }
}

TEST(FontTextTest, FontBoxRoundTrip) {
  FontChoice font = FontFromText("Comic Sans MS,11,101,204");
  EXPECT_EQ(FontToText(font), "Comic Sans MS,11,101,204");

  // What the font box starts with: 11 points at 96 dots per inch is a 15-pixel character height.
  LOGFONTA lf = FontToLogFont(font, 96);
  EXPECT_EQ(lf.lfHeight, -15);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_FALSE(lf.lfItalic);
  EXPECT_TRUE(lf.lfUnderline);
  EXPECT_EQ(lf.lfCharSet, 204);
  EXPECT_STREQ(lf.lfFaceName, "Comic Sans MS");
  EXPECT_EQ(FontToLogFont(font, 120).lfHeight, -18);

  // What it gives back: the size in tenths of a point, rounded to whole points.
  lf.lfWeight = FW_NORMAL;
  lf.lfItalic = TRUE;
  EXPECT_EQ(FontToText(FontFromLogFont(lf, 95)), "Comic Sans MS,10,011,204");
  lf.lfWeight = FW_SEMIBOLD;
  EXPECT_EQ(FontToText(FontFromLogFont(lf, 120)), "Comic Sans MS,12,111,204");

  // A face name that fills the whole field has no terminating zero.
  std::memset(lf.lfFaceName, 'A', sizeof lf.lfFaceName);
  EXPECT_EQ(FontFromLogFont(lf, 100).Face, std::string(LF_FACESIZE, 'A'));
}

const char* const kOptions[] = {"Desktop", "Normal", "Always on top"};
const SettingDescriptor kInteger = {"Cell size", KindInteger, "Cell size", 0, 0, nullptr};
const SettingDescriptor kChoice = {"ZOrder", KindChoice, "ZOrder", 0, 2, kOptions};
const SettingDescriptor kBoolean = {"Drop shadow", KindBoolean, "Drop shadow", 0, 0, nullptr};
const SettingDescriptor kColour = {"Color", KindColor, "Color", 0, 0, nullptr};
const SettingDescriptor kFont = {"Font", KindFont, "Font", 0, 0, nullptr};
const SettingDescriptor kPicture = {"Main Skin", KindPicture, "Main Skin", 0, 0, nullptr};
const SettingDescriptor kGroup = {nullptr, KindGroup, "General", 0, 0, nullptr};

TEST(CheckSettingTextTest, AcceptsWhatTheStoreCanHoldAndNamesTheFieldOtherwise) {
  struct Case {
    const SettingDescriptor* row;
    std::string text;
    bool ok;
  } cases[] = {
      {&kInteger, "23", true},
      {&kInteger, "-40", true},
      {&kInteger, "+7", true},
      {&kInteger, "2147483647", true},
      {&kInteger, "2147483648", false},
      {&kInteger, "", false},
      {&kInteger, "-", false},
      {&kInteger, "12a", false},
      {&kInteger, "1 2", false},
      {&kInteger, "abc", false},
      {&kChoice, "0", true},
      {&kChoice, "2", true},
      {&kChoice, "3", false},
      {&kChoice, "-1", false},
      {&kBoolean, "1", true},
      {&kBoolean, "0", true},
      {&kBoolean, "yes", false},
      {&kColour, "800000", true},
      {&kColour, "b7", true},
      {&kColour, "8000001", false},
      {&kColour, "red", false},
      {&kFont, "Comic Sans MS,11,100,204", true},
      {&kFont, ",11,100,204", false},
      {&kFont, "Arial,0,000,0", false},
      {&kPicture, "C:\\skins\\main.png", true},
      {&kPicture, "", true},
      {&kPicture, std::string(260, 'p'), true},
      {&kPicture, std::string(261, 'p'), false},
      {&kPicture, "a\r\nb", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.row->Key) + " = \"" + c.text + "\"");
    std::string message = CheckSettingText(*c.row, c.text);
    EXPECT_EQ(message.empty(), c.ok) << message;
    if (!c.ok) {
      EXPECT_EQ(message.rfind(c.row->Caption, 0), 0u) << "the message names the field";
    }
  }
  std::string message = CheckSettingText(kInteger, "abc");
  EXPECT_NE(message.find("\"abc\" is not a whole number"), std::string::npos) << message;
}

TEST(CollectChangesTest, OnlyChangedRowsAndNothingWhenOneFieldIsBad) {
  std::vector<SettingField> fields = {
      {&kGroup, "", ""},
      {&kInteger, "23", "30"},
      {&kColour, "800000", "800000"},
      {&kChoice, "0", "2"},
  };
  std::vector<SettingChange> changes = {{"stale", "entry"}};
  size_t bad = 99;
  std::string message;
  ASSERT_TRUE(CollectChanges(fields, &changes, &bad, &message)) << message;
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].Key, "Cell size");
  EXPECT_EQ(changes[0].Value, "30");
  EXPECT_EQ(changes[1].Key, "ZOrder");
  EXPECT_EQ(changes[1].Value, "2");

  fields[2].Edited = "ff0000";
  fields[3].Edited = "x";
  EXPECT_FALSE(CollectChanges(fields, &changes, &bad, &message));
  EXPECT_EQ(bad, 3u);
  EXPECT_TRUE(changes.empty()) << "a bad field stores nothing, not even the good ones";
  EXPECT_FALSE(message.empty());
}

}  // namespace
