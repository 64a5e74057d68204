// The calendar face: what start-up builds (layers, fonts, day numbers, today's picture, the input
// box) and what each refresh draws (markers, month name, today's reminder).
#include <gtest/gtest.h>


#include "support/PluginHarness.h"

namespace {

int dpi = 96;
int WINAPI FixedDeviceCaps(HDC dc, int index) { return index == LOGPIXELSY ? dpi : GetDeviceCaps(dc, index); }

struct FontCall {
  int height, weight;
  DWORD italic, underline, charset, precision;
  std::string face;
};
std::vector<FontCall> fonts;
HFONT WINAPI RecordCreateFont(int height, int width, int escapement, int orientation, int weight,
                              DWORD italic, DWORD underline, DWORD strikeOut, DWORD charset,
                              DWORD precision, DWORD clip, DWORD quality, DWORD pitch, LPCSTR face) {
  fonts.push_back({height, weight, italic, underline, charset, precision, face});
  return CreateFontA(height, width, escapement, orientation, weight, italic, underline, strikeOut,
                     charset, precision, clip, quality, pitch, face);
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

class Face : public ::testing::Test {
 protected:
  // Starts a plug-in whose skin is `width` wide (and 184 high), on the given day.
  void Start(PluginHarness& host, int width = 168, int year = 2026, int month = 12, int day = 11) {
    host.WriteSkins(width);
    host.WriteCompleteSettings();
    PluginHarness::SetToday(year, month, day);
    host.Start();
  }

  void WriteEvents(PluginHarness& host, const std::string& bytes) {
    WriteFileBytes(host.Plugin().Folder() + "events.txt", bytes);
  }

  // Refreshes once and returns the trace lines of that refresh.
  std::vector<std::string> Refresh(PluginHarness& host) {
    DevTraceClear();
    host.Send(WM_TIMER);
    return PluginHarness::Trace();
  }

  static std::vector<std::string> Lines(const std::vector<std::string>& trace, const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : trace)
      if (StartsWith(line, prefix)) found.push_back(line);
    return found;
  }

  // "x, y" of every marker drawn.
  static std::vector<std::string> Markers(const std::vector<std::string>& trace) {
    std::vector<std::string> at;
    for (const std::string& line : Lines(trace, "DrawPicture(")) {
      // DrawPicture(0, dc, x, y, picture)
      size_t a = line.find(", ", line.find(", ") + 2) + 2;
      size_t b = line.find(", ", a);
      size_t c = line.find(", ", b + 2);
      at.push_back(line.substr(a, c - a));
    }
    return at;
  }

  PluginHarness host_;
};

TEST_F(Face, GridIsCentredInTheSkinWithHalvesToEven) {
  const struct {
    int width, offset;
  } cases[] = {{168, 4}, {170, 4}, {171, 5}, {161, 0}, {160, 0}, {200, 20}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    PluginHarness host;
    Start(host, c.width);
    // Today, Friday 11 December 2026, is in column 5 of row 2.
    std::vector<std::string> pictures = PluginHarness::TraceOf("AddPicture(");
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_TRUE(StartsWith(pictures[0], "AddPicture(3, " + std::to_string(c.offset + 4 * 23) + ", 46, "))
        << pictures[0];
  }
}

TEST_F(Face, ThreeLayersCoverTheSkinAndTheGridBand) {
  Start(host_);
  std::vector<std::string> layers = PluginHarness::TraceOf("CreateLayer(");
  ASSERT_EQ(layers.size(), 3u);
  EXPECT_TRUE(StartsWith(layers[0], "CreateLayer(1, 0, 0, 168, 184, 68, 0)")) << layers[0];
  EXPECT_TRUE(StartsWith(layers[1], "CreateLayer(4, 0, 23, 168, 138, 64, 0)")) << layers[1];
  EXPECT_TRUE(StartsWith(layers[2], "CreateLayer(2, 0, 23, 168, 138, 64, 0)")) << layers[2];
}

TEST_F(Face, SkinTooSmallOrFailedGivesNoNegativeLayerSizes) {
  const struct {
    const char* name;
    int width, height;
  } cases[] = {{"failed skin", 0, 0}, {"too low", 168, 30}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PluginHarness host;
    DevSetSkinSize(c.width, c.height);
    Start(host);
    for (const std::string& line : PluginHarness::TraceOf("CreateLayer("))
      EXPECT_EQ(line.find(", -"), std::string::npos) << line;
    host.Send(WM_TIMER);
  }
}

TEST_F(Face, FontsFollowTheirSpecAndTheLayersResolution) {
  const struct {
    int dpi;
    const char* font;
    int height, weight;
    bool italic, underline;
  } cases[] = {
      {96, "Arial,11,100,204", -15, 800, false, false},
      {120, "Arial,11,100,204", -18, 800, false, false},
      {96, "Arial,11,011,204", -15, 400, true, true},
      {96, "Arial,11,000,204", -15, 400, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.dpi) + " " + c.font);
    PluginHarness host;
    dpi = c.dpi;
    fonts.clear();
    auto caps = host.Plugin().Patch("GDI32.dll", "GetDeviceCaps", reinterpret_cast<void*>(FixedDeviceCaps));
    auto create = host.Plugin().Patch("GDI32.dll", "CreateFontA", reinterpret_cast<void*>(RecordCreateFont));
    host.WriteSkins();
    host.WriteCompleteSettings();
    WritePrivateProfileStringA("Calendar", "Font", c.font, host.SettingsFile().c_str());
    host.Start();
    ASSERT_EQ(fonts.size(), 3u);  // header, message, input, in that order
    const FontCall& header = fonts[0];
    EXPECT_EQ(header.height, c.height);
    EXPECT_EQ(header.weight, c.weight);
    EXPECT_EQ(header.italic != 0, c.italic);
    EXPECT_EQ(header.underline != 0, c.underline);
    EXPECT_EQ(header.charset, 204u);
    EXPECT_EQ(header.precision, 2u);
    EXPECT_EQ(header.face, "Arial");
    EXPECT_EQ(fonts[1].height, -MulDiv(9, c.dpi, 72));
    EXPECT_EQ(fonts[2].height, -MulDiv(8, c.dpi, 72));
    EXPECT_EQ(fonts[2].charset, 0u);
  }
}

TEST_F(Face, MonthStartingOnSundayHasOneNumberInRowOneInTheWeekendColour) {
  // November 2026 begins on a Sunday and has 30 days.
  Start(host_, 168, 2026, 11, 15);
  std::vector<std::string> numbers = PluginHarness::TraceOf("DrawLayerText(");
  ASSERT_EQ(numbers.size(), 30u);
  EXPECT_NE(numbers[0].find(", \"1\", {142, 0, 165, 23}, "), std::string::npos) << numbers[0];
  EXPECT_NE(numbers[0].find(", 5, 0xB70000, 0, 0)"), std::string::npos) << numbers[0];
  // Monday the 2nd opens row 2 in the weekday colour; the 30th is alone in row 6.
  EXPECT_NE(numbers[1].find(", \"2\", {4, 23, 27, 46}, "), std::string::npos) << numbers[1];
  EXPECT_NE(numbers[1].find(", 0x000080, "), std::string::npos) << numbers[1];
  EXPECT_NE(numbers[29].find(", \"30\", {4, 115, 27, 138}, "), std::string::npos) << numbers[29];
}

TEST_F(Face, ExactlyOnePictureForTodayAndNoneForOtherCells) {
  Start(host_, 168, 2026, 12, 31);  // Thursday, row 5, column 4
  std::vector<std::string> pictures = PluginHarness::TraceOf("AddPicture(");
  ASSERT_EQ(pictures.size(), 1u);
  EXPECT_TRUE(StartsWith(pictures[0], "AddPicture(3, 73, 115, ")) << pictures[0];
  EXPECT_NE(pictures[0].find(", 64)"), std::string::npos) << pictures[0];
  EXPECT_EQ(PluginHarness::TraceOf("DrawLayerText(").size(), 31u);
}

TEST_F(Face, InputBoxIsHiddenOwnedByTheWindowAndUsesTheInputFont) {
  Start(host_);
  std::vector<std::string> boxes = PluginHarness::TraceOf("CreateChildWindow(");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(StartsWith(boxes[0], "CreateChildWindow(0x8, \"EDIT\", \"\", 0x800044, 0, 161, 168, 23, 0, "))
      << boxes[0];
  HWND box = host_.InputBox();
  ASSERT_NE(box, nullptr);
  EXPECT_FALSE(IsWindowVisible(box));
  LOGFONTA font = {};
  ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0)), sizeof font, &font));
  EXPECT_STREQ(font.lfFaceName, "Comic Sans MS");
  EXPECT_EQ(font.lfCharSet, 0);
}

TEST_F(Face, RefreshDrawsMarkersMonthNameAndTodaysReminder) {
  const struct {
    const char* name;
    const char* events;
    std::vector<std::string> markers;
    const char* bottom;
  } cases[] = {
      {"no file", nullptr, {}, "\"\""},
      {"today", "11.12.2026 Dentist at 10\r\n", {"96, 23"}, "\"Dentist at 10\""},
      {"another day", "3.12.2026 Haircut\n", {"73, 0"}, "\"\""},
      {"day 0 marks every blank cell", "0.12.2026 x\r\n",
       {"4, 0", "96, 92", "119, 92", "142, 92", "4, 115", "27, 115", "50, 115", "73, 115", "96, 115",
        "119, 115", "142, 115"},
       "\"\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PluginHarness host;
    Start(host);
    if (c.events) WriteEvents(host, c.events);
    std::vector<std::string> trace = Refresh(host);
    EXPECT_EQ(Markers(trace), c.markers);
    std::vector<std::string> texts = Lines(trace, "DrawTextDC(");
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find(", \"December\", {0, 0, 168, 23}, "), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find(", 5, 0x000080, 0, 0)"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find(std::string(", ") + c.bottom + ", {0, 161, 168, 184}, "), std::string::npos) << texts[1];
    EXPECT_NE(texts[1].find(", 17, 0x000080, 0, 0)"), std::string::npos) << texts[1];
    EXPECT_EQ(Lines(trace, "Redraw(").size(), 1u);
    EXPECT_TRUE(StartsWith(trace.back(), "Redraw(")) << "presented last";
  }
}

TEST_F(Face, DeletedReminderLosesItsMarkerAtTheNextRefresh) {
  Start(host_);
  WriteEvents(host_, "3.12.2026 Haircut\r\n");
  EXPECT_EQ(Markers(Refresh(host_)).size(), 1u);
  WriteEvents(host_, "");
  EXPECT_TRUE(Markers(Refresh(host_)).empty());
}

TEST_F(Face, AfterTheMonthChangesTheOldLayoutShowsTheNewMonthsReminders) {
  // Started on Sunday 31 January 2027 (the 1st is a Friday, column 5), refreshed on 1 February.
  Start(host_, 168, 2027, 1, 31);
  WriteEvents(host_, "3.2.2027 Dentist\r\n1.2.2027 Today\r\n31.1.2027 Gone\r\n");
  DevTraceClear();
  PluginHarness::SetToday(2027, 2, 1);
  std::vector<std::string> trace = Refresh(host_);
  EXPECT_EQ(Markers(trace), (std::vector<std::string>{"96, 0", "142, 0"})) << "cells showing 1 and 3";
  std::vector<std::string> texts = Lines(trace, "DrawTextDC(");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_NE(texts[0].find("\"February\""), std::string::npos) << texts[0];
  EXPECT_NE(texts[1].find("\"Today\""), std::string::npos) << texts[1];
  EXPECT_TRUE(Lines(trace, "DrawLayerText(").empty()) << "day numbers are not redrawn";
  EXPECT_TRUE(Lines(trace, "AddPicture(").empty()) << "today's picture stays";
}

TEST_F(Face, NoLayerContextFromTheHostSkipsTheDrawingWithoutFailing) {
  DevSetNullLayerDC(1);
  Start(host_);
  WriteEvents(host_, "11.12.2026 Dentist\r\n");
  std::vector<std::string> trace = Refresh(host_);
  EXPECT_TRUE(Lines(trace, "DrawPicture(").empty());
  EXPECT_TRUE(Lines(trace, "DrawTextDC(").empty());
  EXPECT_EQ(Lines(trace, "Redraw(").size(), 1u);
}

// Private bytes of this process: committed private regions (Wine reports no PrivateUsage).
size_t PrivateBytes() {
  size_t total = 0;
  MEMORY_BASIC_INFORMATION info;
  for (BYTE* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info; at = static_cast<BYTE*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
    if (static_cast<BYTE*>(info.BaseAddress) + info.RegionSize < at) break;
  }
  return total;
}

// GDI objects alive in this process, counted by probing handle values: a handle's low word is its
// table index, and a zero high word matches any generation (Wine's GetGuiResources answers nothing).
int GdiObjects() {
  int count = 0;
  for (uintptr_t index = 1; index <= 0xFFFF; ++index)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
  return count;
}

TEST(GdiObjectCount, SeesObjectsComeAndGo) {
  const int before = GdiObjects();
  HBRUSH brushes[10];
  for (HBRUSH& brush : brushes) brush = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GdiObjects(), before + 10);
  for (HBRUSH brush : brushes) DeleteObject(brush);
  EXPECT_EQ(GdiObjects(), before);
}

TEST_F(Face, TenThousandRefreshesHoldOneMarkerAndLeakNothing) {
  Start(host_);
  std::string events;
  for (int day = 1; day <= 31; day += 2) events += std::to_string(day) + ".12.2026 reminder\r\n";
  WriteEvents(host_, events);
  // The trace would grow with every call; it is emptied as the refreshes go.
  auto refresh = [&](int times) {
    for (int i = 0; i < times; ++i) {
      host_.Send(WM_TIMER);
      if (i % 100 == 0) DevTraceClear();
    }
  };
  refresh(300);  // caches and heaps settle
  const size_t bytesBefore = PrivateBytes();
  const int gdiBefore = GdiObjects();
  refresh(10000);
  EXPECT_LE(GdiObjects(), gdiBefore);
  EXPECT_LT(PrivateBytes(), bytesBefore + 2 * 1024 * 1024) << "private bytes grew";
  EXPECT_EQ(DevLivePictures(), 2) << "today's picture and one marker";
  // One picture held: each refresh frees the previous marker before loading the next one.
  DevTraceClear();
  host_.Send(WM_TIMER);
  std::vector<std::string> trace = PluginHarness::Trace();
  EXPECT_EQ(Lines(trace, "FreePicture(").size(), 1u);
  EXPECT_EQ(Lines(trace, "LoadImageEx(").size(), 1u);
}

}  // namespace
