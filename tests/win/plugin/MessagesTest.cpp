// The calendar window's callback: which messages the plug-in takes, the context menu and the
// request for the settings dialog.
#include <gtest/gtest.h>

#include "support/PluginHarness.h"

namespace {

POINT pointer = {300, 200};
BOOL WINAPI FixedCursorPos(LPPOINT point) {
  *point = pointer;
  DevTraceAppend("GetCursorPos");
  return TRUE;
}

// What the patched TrackPopupMenuEx saw, and what it does: choose the first item, or dismiss.
struct MenuCall {
  HMENU menu;
  int items;
  UINT firstId;
  std::string firstText;
  UINT firstState;
  UINT flags;
  int x, y;
  HWND owner;
  bool noExclusion;
};
std::vector<MenuCall> menus;
bool chooseItem = false;
BOOL WINAPI RecordTrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
  char text[64] = "";
  GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
  menus.push_back({menu, GetMenuItemCount(menu), GetMenuItemID(menu, 0), text,
                   GetMenuState(menu, 0, MF_BYPOSITION), flags, x, y, owner, params == nullptr});
  DevTraceAppend("TrackPopupMenuEx");
  // A chosen item reaches the owner as WM_COMMAND once the menu has closed.
  if (chooseItem) PostMessageA(owner, WM_COMMAND, GetMenuItemID(menu, 0), 0);
  return TRUE;
}

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    menus.clear();
    chooseItem = false;
    host_.WriteSkins();
    host_.WriteCompleteSettings();
    cursorPatch_ = host_.Plugin().Patch("USER32.dll", "GetCursorPos", reinterpret_cast<void*>(FixedCursorPos));
    menuPatch_ = host_.Plugin().Patch("USER32.dll", "TrackPopupMenuEx",
                                      reinterpret_cast<void*>(RecordTrackPopupMenuEx));
    host_.Start();
    callback_ = DevWindowCallback(host_.Window());
    ASSERT_NE(callback_, nullptr);
    DevTraceClear();
  }

  LRESULT Call(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return callback_(host_.WindowHandle(), message, wParam, lParam);
  }

  // Runs the messages posted to this thread (a chosen menu item arrives that way).
  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

  std::vector<std::string> SettingsRequests() { return PluginHarness::TraceOf("HostOpenSettings("); }

  PluginHarness host_;
  std::unique_ptr<ImportPatch> cursorPatch_, menuPatch_;
  WNDPROC callback_ = nullptr;
};

TEST_F(Messages, DispatchTable) {
  const struct {
    const char* name;
    UINT message;
    WPARAM wParam;
    LRESULT result;
    const char* action;  // the trace line the handler leaves, or "" for none
  } cases[] = {
      {"context menu", WM_CONTEXTMENU, 0, 1, "TrackPopupMenuEx"},
      {"right button up", WM_RBUTTONUP, 0, 1, "TrackPopupMenuEx"},
      {"right button down", WM_RBUTTONDOWN, 0, 0, ""},
      {"setup command", WM_COMMAND, 10, 1, "HostOpenSettings("},
      {"setup command, high word set", WM_COMMAND, MAKEWPARAM(10, 1), 1, "HostOpenSettings("},
      {"other command", WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), 0, ""},
      {"timer 0", WM_TIMER, 0, 1, "Redraw("},
      {"timer 7", WM_TIMER, 7, 1, "Redraw("},
      {"left button up", WM_LBUTTONUP, 0, 1, "GetCursorPos"},
      {"end of move", WM_EXITSIZEMOVE, 0, 0, "OpenCFGw("},
      {"paint", WM_PAINT, 0, 0, ""},
      {"mouse move", WM_MOUSEMOVE, 0, 0, ""},
      {"left button down", WM_LBUTTONDOWN, 0, 0, ""},
      {"double click", WM_LBUTTONDBLCLK, 0, 0, ""},
      {"key down", WM_KEYDOWN, VK_RETURN, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DevTraceClear();
    EXPECT_EQ(Call(c.message, c.wParam, 0), c.result);
    std::vector<std::string> trace = PluginHarness::Trace();
    if (*c.action == '\0') {
      EXPECT_TRUE(trace.empty()) << trace[0];
    } else {
      EXPECT_FALSE(PluginHarness::TraceOf(c.action).empty()) << "expected " << c.action;
    }
  }
}

TEST_F(Messages, MenuHasOneItemAtThePointerOwnedByTheWindowInsideTheModalBracket) {
  pointer = {321, 234};
  EXPECT_EQ(Call(WM_CONTEXTMENU, 0, -1), 1);
  ASSERT_EQ(menus.size(), 1u);
  const MenuCall& menu = menus[0];
  EXPECT_EQ(menu.items, 1);
  EXPECT_EQ(menu.firstId, 10u);
  EXPECT_EQ(menu.firstText, "Setup calendar");
  EXPECT_EQ(menu.firstState, 0u) << "enabled, unchecked";
  EXPECT_EQ(menu.flags, 0u);
  EXPECT_EQ(menu.x, 321);
  EXPECT_EQ(menu.y, 234);
  EXPECT_EQ(menu.owner, host_.WindowHandle());
  EXPECT_TRUE(menu.noExclusion);
  EXPECT_FALSE(IsMenu(menu.menu)) << "destroyed after use";
  EXPECT_EQ(PluginHarness::Trace(),
            (std::vector<std::string>{"GetCursorPos", "HostBeginModal(0, 0)", "TrackPopupMenuEx",
                                      "HostEndModal(0, 0)"}));
}

TEST_F(Messages, ChoosingSetupAsksForTheSettingsDialogOnceAndDismissingDoesNot) {
  for (bool choose : {true, false}) {
    SCOPED_TRACE(choose ? "chosen" : "dismissed");
    DevTraceClear();
    chooseItem = choose;
    EXPECT_EQ(Call(WM_RBUTTONUP), 1);
    Pump();
    EXPECT_EQ(PluginHarness::TraceOf("HostBeginModal(0, 0)").size(), 1u);
    EXPECT_EQ(PluginHarness::TraceOf("HostEndModal(0, 0)").size(), 1u);
    EXPECT_EQ(SettingsRequests().size(), choose ? 1u : 0u);
  }
}

TEST_F(Messages, SettingsRequestIsSlashAndAtMost259CharactersOfTheTarget) {
  const std::string longTarget(300, 'x');
  const struct {
    const char* name;
    const char* target;
    std::string expected;
  } cases[] = {
      {"empty", "", "HostOpenSettings(0, \"/\")"},
      {"normal", "Calendar", "HostOpenSettings(0, \"/Calendar\")"},
      {"300 characters", longTarget.c_str(), "HostOpenSettings(0, \"/" + std::string(259, 'x') + "\")"},
      {"no target", nullptr, "HostOpenSettings(0, \"/\")"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // The host's record is read afresh for every request.
    host_.HostRecord().SetupTarget = c.target;
    DevTraceClear();
    EXPECT_EQ(Call(WM_COMMAND, 10), 1);
    EXPECT_EQ(SettingsRequests(), std::vector<std::string>{c.expected});
    EXPECT_TRUE(PluginHarness::TraceOf("HostBeginModal").empty()) << "no modal bracket here";
  }
}

TEST(MessagesWithoutHostRecord, SettingsRequestIsSlashAlone) {
  PluginHarness host;
  host.WriteSkins();
  host.WriteCompleteSettings();
  host.Context().HostData = nullptr;
  host.Start();
  DevTraceClear();
  EXPECT_EQ(DevWindowCallback(host.Window())(host.WindowHandle(), WM_COMMAND, 10, 0), 1);
  EXPECT_EQ(PluginHarness::TraceOf("HostOpenSettings("),
            std::vector<std::string>{"HostOpenSettings(0, \"/\")"});
}

}  // namespace
