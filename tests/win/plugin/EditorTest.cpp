// The reminder editor, driven like a user drives it: a click on a day (the pointer is fixed for the
// plug-in), real typing into the real edit box, and events.txt read back.
#include <gtest/gtest.h>

#include "support/PluginHarness.h"

namespace {

POINT pointer = {0, 0};
BOOL WINAPI FixedCursorPos(LPPOINT point) {
  *point = pointer;
  return TRUE;
}
int beeps = 0;
BOOL WINAPI CountBeep(UINT) {
  ++beeps;
  return TRUE;
}

// Window at 400, 500; skin 168 wide, so the grid starts 4 pixels in; cells of 23.
const int X = 400, Y = 500, GridLeft = 4, S = 23;

class Editor : public ::testing::Test {
 protected:
  void SetUp() override {
    beeps = 0;
    host_.WriteSkins();
    host_.WriteCompleteSettings();
    cursorPatch_ = host_.Plugin().Patch("USER32.dll", "GetCursorPos", reinterpret_cast<void*>(FixedCursorPos));
    beepPatch_ = host_.Plugin().Patch("USER32.dll", "MessageBeep", reinterpret_cast<void*>(CountBeep));
    host_.Start();
    box_ = host_.InputBox();
    ASSERT_NE(box_, nullptr);
  }

  void Events(const std::string& bytes) {
    WriteFileBytes(host_.Plugin().Folder() + "events.txt", bytes);
    host_.Send(WM_TIMER);  // flags follow the file
  }
  std::string Events() {
    std::string bytes;
    ReadFileBytes(host_.Plugin().Folder() + "events.txt", &bytes);
    return bytes;
  }

  // A left click at a window point (x from the window's left edge, y from its top edge).
  void ClickAt(int x, int y) {
    pointer = {X + x, Y + y};
    host_.Send(WM_LBUTTONUP);
  }
  // A click in the middle of a grid cell.
  void ClickCell(int column, int row) { ClickAt(GridLeft + (column - 1) * S + 11, row * S + 11); }

  void Type(const std::string& keys) {
    for (char key : keys) SendMessageA(box_, WM_CHAR, static_cast<unsigned char>(key), 1);
  }
  void Caret(int at) { SendMessageA(box_, EM_SETSEL, at, at); }
  std::string BoxText() {
    char text[2048] = "";
    GetWindowTextA(box_, text, sizeof text);
    return text;
  }
  bool BoxShown() { return IsWindowVisible(box_) != 0; }
  RECT BoxRect() {
    RECT rect = {};
    GetWindowRect(box_, &rect);
    return rect;
  }

  PluginHarness host_;
  std::unique_ptr<ImportPatch> cursorPatch_, beepPatch_;
  HWND box_ = nullptr;
};

// In December 2026 the 1st is a Tuesday: row 1 holds a blank cell, then 1 to 6.
const char* const EveryDay =
    "1.12.2026 day 1\r\n2.12.2026 day 2\r\n3.12.2026 day 3\r\n4.12.2026 day 4\r\n"
    "7.12.2026 day 7\r\n8.12.2026 day 8\r\n28.12.2026 day 28\r\n";

TEST_F(Editor, ClickOnADayOpensTheBoxAtThePointerWithItsReminder) {
  Events(EveryDay);
  ClickCell(3, 1);
  EXPECT_TRUE(BoxShown());
  EXPECT_EQ(BoxText(), "day 2");
  RECT rect = BoxRect();
  EXPECT_EQ(rect.left, pointer.x);
  EXPECT_EQ(rect.top, pointer.y);
  EXPECT_EQ(rect.right - rect.left, 100);
  EXPECT_EQ(rect.bottom - rect.top, 50);
  EXPECT_EQ(GetFocus(), box_);
  ClickCell(6, 1);  // a day without a reminder
  EXPECT_EQ(BoxText(), "");
  EXPECT_TRUE(BoxShown());
}

TEST_F(Editor, CellBordersRoundHalvesToEvenAndClicksBesideTheGridChangeNothing) {
  Events(EveryDay);
  ClickCell(2, 2);  // day 8: the box is open over it
  ASSERT_EQ(BoxText(), "day 8");
  const RECT open = BoxRect();
  const struct {
    const char* name;
    int x, y;  // window point
    const char* shows;  // the reminder the box then shows, or null when the click is ignored
  } cases[] = {
      {"grid's left edge", GridLeft + 0, 30, nullptr},
      {"left strip", 1, 30, nullptr},
      {"top band", 40, 10, nullptr},
      {"first line of the bottom band", 40, 7 * S, nullptr},
      {"bottom band", 40, 7 * S + 12, nullptr},
      {"right strip", 167, 30, nullptr},
      {"offset 46 is column 2", GridLeft + 46, 23, "day 1"},
      {"offset 69 is column 4", GridLeft + 69, 46, "day 3"},
      {"y 46 is still row 1", GridLeft + 46, 46, "day 1"},
      {"offset 47 is column 3", GridLeft + 47, 30, "day 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ClickCell(2, 2);
    ClickAt(c.x, c.y);
    EXPECT_TRUE(BoxShown());
    if (c.shows == nullptr) {
      EXPECT_EQ(BoxText(), "day 8");
      RECT rect = BoxRect();
      EXPECT_EQ(rect.left, open.left);
      EXPECT_EQ(rect.top, open.top);
    } else {
      EXPECT_EQ(BoxText(), c.shows);
    }
  }
  // An ignored click leaves the selected cell as it was: Enter stores for day 8.
  ClickCell(2, 2);
  ClickAt(40, 10);
  Caret(5);
  Type("!\r");
  EXPECT_NE(Events().find("8.12.2026 day 8!\r\n"), std::string::npos) << Events();
}

TEST_F(Editor, WhatEnterDoesDependsOnWhereItIsPressed) {
  const std::string before = "1.12.2026 first\r\n3.12.2026 old\r\n4.12.2026 last\r\n";
  const std::string deleted = "1.12.2026 first\r\n4.12.2026 last\r\n";
  const struct {
    const char* name;
    bool emptied;  // the box's text is removed first
    const char* typed;
    int caret;  // where Enter goes, -1 for the end
    bool hidden, beep;
    std::string after;
  } cases[] = {
      {"Enter at the end stores, in place", false, "new", -1, true, false,
       "1.12.2026 first\r\n3.12.2026 oldnew\r\n4.12.2026 last\r\n"},
      {"Enter in the empty box deletes", true, "", 0, true, true, deleted},
      {"Enter at the start deletes", false, "", 0, true, true, deleted},
      {"Enter inside the text stores nothing", false, "", 1, false, false, before},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    beeps = 0;
    Events(before);
    ClickCell(4, 1);  // day 3
    ASSERT_EQ(BoxText(), "old");
    if (c.emptied) SetWindowTextA(box_, "");
    Caret(static_cast<int>(BoxText().size()));
    Type(c.typed);
    Caret(c.caret < 0 ? static_cast<int>(BoxText().size()) : c.caret);
    Type("\r");
    EXPECT_EQ(!BoxShown(), c.hidden);
    EXPECT_EQ(beeps, c.beep ? 1 : 0);
    EXPECT_EQ(Events(), c.after);
  }
}

TEST_F(Editor, ErasingTheTextStoresNothing) {
  Events("3.12.2026 old\r\n");
  ClickCell(4, 1);
  SendMessageA(box_, EM_SETSEL, 0, -1);
  SendMessageA(box_, WM_CLEAR, 0, 0);
  EXPECT_EQ(BoxText(), "");
  EXPECT_TRUE(BoxShown());
  EXPECT_EQ(Events(), "3.12.2026 old\r\n");
}

TEST_F(Editor, NewReminderIsAppendedAndMarkedFromTheNextRefresh) {
  Events("1.12.2026 first\r\n");
  ClickCell(7, 2);  // day 13
  Type("Dentist at 10\r");
  EXPECT_FALSE(BoxShown());
  EXPECT_EQ(Events(), "1.12.2026 first\r\n13.12.2026 Dentist at 10\r\n");
}

TEST_F(Editor, BlankCellStoresUnderDayZeroAndEnterInItsEmptyBoxDeletesIt) {
  Events("");
  ClickCell(1, 1);  // blank: December 2026 begins on a Tuesday
  EXPECT_EQ(BoxText(), "");
  Type("holiday\r");
  EXPECT_EQ(Events(), "0.12.2026 holiday\r\n");
  DevTraceClear();
  host_.Send(WM_TIMER);
  EXPECT_EQ(PluginHarness::TraceOf("DrawPicture(").size(), 11u) << "every blank cell is marked";
  // Another blank cell carries the marker too, but a blank cell's own key is the empty text, which
  // names no line here: its box opens empty, and Enter there deletes the day-0 reminder again.
  ClickCell(1, 6);
  EXPECT_EQ(BoxText(), "");
  Type("\r");
  EXPECT_EQ(Events(), "");
}

TEST_F(Editor, TextLongerThan1024CharactersIsNotStored) {
  Events("3.12.2026 old\r\n");
  ClickCell(4, 1);
  SetWindowTextA(box_, std::string(1100, 'a').c_str());
  Caret(1100);
  Type("\r");
  EXPECT_TRUE(BoxShown()) << "Enter past the 1024th character is not seen";
  EXPECT_EQ(Events(), "3.12.2026 old\r\n");
}

TEST_F(Editor, ClickOnAnotherDayDropsUnsavedTextAndLeavingTheBoxStoresNothing) {
  Events("4.12.2026 four\r\n");
  ClickCell(4, 1);
  Type("unsaved");
  ClickCell(5, 1);
  EXPECT_EQ(BoxText(), "four");
  EXPECT_EQ(BoxRect().left, pointer.x);
  Type(" typed");
  // Focus moves to another window: the box hides and nothing is stored.
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                               nullptr, nullptr, nullptr);
  SetFocus(other);
  EXPECT_FALSE(BoxShown());
  EXPECT_EQ(Events(), "4.12.2026 four\r\n");
  DestroyWindow(other);
}

TEST_F(Editor, ClicksFollowTheWindowAtOnceAfterAMove) {
  Events(EveryDay);
  SetWindowPos(host_.WindowHandle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  host_.Send(WM_EXITSIZEMOVE);
  pointer = {10 + GridLeft + 30, 20 + 30};
  host_.Send(WM_LBUTTONUP);
  EXPECT_EQ(BoxText(), "day 1");
}

TEST(EditorAcrossMonths, CellShowingDayDStoresDayDOfTheNewMonth) {
  PluginHarness host;
  host.WriteSkins();
  host.WriteCompleteSettings();
  auto cursor = host.Plugin().Patch("USER32.dll", "GetCursorPos", reinterpret_cast<void*>(FixedCursorPos));
  PluginHarness::SetToday(2027, 1, 31);  // January 2027 begins on a Friday
  host.Start();
  PluginHarness::SetToday(2027, 2, 1);
  host.Send(WM_TIMER);
  pointer = {X + GridLeft + 6 * S + 11, Y + S + 11};  // column 7, row 1: shows 3
  host.Send(WM_LBUTTONUP);
  HWND box = GetFocus();
  for (char key : std::string("x\r")) SendMessageA(box, WM_CHAR, static_cast<unsigned char>(key), 1);
  std::string bytes;
  ReadFileBytes(host.Plugin().Folder() + "events.txt", &bytes);
  EXPECT_EQ(bytes, "3.2.2027 x\r\n");
}

}  // namespace
