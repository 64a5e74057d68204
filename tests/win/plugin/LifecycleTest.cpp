// The plug-in as the host meets it: its description, the start-up with its three error boxes, and
// the shut-down and unload rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "support/PluginHarness.h"

namespace {

std::vector<std::string> timers;
UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  timers.push_back(std::to_string(id) + "," + std::to_string(elapse) + "," + (proc ? "proc" : "none"));
  DevTraceAppend("SetTimer");
  return SetTimer(window, id, elapse, proc);
}

std::string moduleName;
DWORD WINAPI FakeModuleFileName(HMODULE, LPSTR buffer, DWORD size) {
  lstrcpynA(buffer, moduleName.c_str(), static_cast<int>(size));
  return static_cast<DWORD>(std::min<size_t>(moduleName.size(), size - 1));
}

class Lifecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    timers.clear();
    timerPatch_ = host_.Plugin().Patch("USER32.dll", "SetTimer", reinterpret_cast<void*>(RecordSetTimer));
    host_.WriteSkins();
  }

  // Position of the first trace line that begins with `prefix`, or -1.
  static int IndexOf(const std::string& prefix) {
    std::vector<std::string> trace = PluginHarness::Trace();
    for (size_t i = 0; i < trace.size(); ++i)
      if (trace[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
  }

  PluginHarness host_;
  std::unique_ptr<ImportPatch> timerPatch_;
};

TEST_F(Lifecycle, DescriptionIsCompleteBeforeTheStartAndStable) {
  PluginInfo* info = host_.Plugin().GetPluginInfo();
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(host_.Plugin().GetPluginInfo(), info);
  EXPECT_EQ(info->InfoSize, static_cast<int>(sizeof(PluginInfo)));
  EXPECT_STREQ(info->DisplayName, "Calendar");
  EXPECT_STREQ(info->SettingsSection, "Calendar");
  ASSERT_EQ(info->SettingCount, 16);

  struct Row {
    const char* key;
    int kind;
    const char* caption;
  };
  const Row rows[] = {{nullptr, 26, "General"},       {"XPos", 2, "XPos"},
                      {"YPos", 2, "YPos"},            {"Font", 12, "Font"},
                      {"Color", 6, "Color"},          {"WeekEnd color", 6, "WeekEnd color"},
                      {"Message font", 12, "Message font"}, {"Message color", 6, "Message color"},
                      {"Input font", 12, "Input font"},     {"Drop shadow", 1, "Drop shadow"},
                      {"Cell size", 2, "Cell size"},        {"ZOrder", 16, "ZOrder"},
                      {nullptr, 26, "Skin"},                {"Main Skin", 14, "Main Skin"},
                      {"Current Date", 14, "Current Date"}, {"Event", 14, "Event"}};
  for (int i = 0; i < 16; ++i) {
    const SettingDescriptor& row = info->Settings[i];
    SCOPED_TRACE("row " + std::to_string(i + 1));
    if (rows[i].key == nullptr)
      EXPECT_EQ(row.Key, nullptr);
    else
      EXPECT_STREQ(row.Key, rows[i].key);
    EXPECT_EQ(row.Kind, rows[i].kind);
    EXPECT_STREQ(row.Caption, rows[i].caption);
    EXPECT_EQ(row.Reserved, 0);
    if (i == 11) continue;
    EXPECT_EQ(row.MaxIndex, 0);
    EXPECT_EQ(row.Options, nullptr);
  }
  const SettingDescriptor& zorder = info->Settings[11];
  EXPECT_EQ(zorder.MaxIndex, 2);
  ASSERT_NE(zorder.Options, nullptr);
  EXPECT_STREQ(zorder.Options[0], "Desktop");
  EXPECT_STREQ(zorder.Options[1], "Normal");
  EXPECT_STREQ(zorder.Options[2], "Always on top");
}

TEST_F(Lifecycle, AboutTextHasTenLinesWithoutATrailingBreak) {
  std::string about = host_.Plugin().GetPluginInfo()->AboutText;
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = about.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(about.substr(start, at - start));
  lines.push_back(about.substr(start));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "Orvendale v1.0");
  EXPECT_EQ(lines[1], "Show calendar on desktop.");
  EXPECT_EQ(lines[2], "You can add reminder to certain date.");
  EXPECT_EQ(lines[3], "Left click on date and write/edit reminder.");
  EXPECT_EQ(lines[4], "Current reminder show bottom.");
  EXPECT_EQ(lines[5], "");
  EXPECT_EQ(lines[6], "Send your offer by improvement.");
  EXPECT_EQ(lines[7], "");
  EXPECT_FALSE(lines[8].empty());
  EXPECT_FALSE(lines[9].empty());
  EXPECT_EQ(about.find('\n'), about.find("\r\n") + 1) << "every break is CR LF";
}

TEST_F(Lifecycle, PluginFolderIsTheFileNameUpToItsLastBackslash) {
  const struct {
    const char* fileName;
    const char* mainSkin;
  } cases[] = {
      {"D:\\Tools\\Plugins\\Orvendale.plg", "D:\\Tools\\Plugins\\main.png"},
      {"Orvendale.plg", "Orvendale.plgmain.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fileName);
    PluginHarness host;
    moduleName = c.fileName;
    auto patch = host.Plugin().Patch("KERNEL32.dll", "GetModuleFileNameA",
                                     reinterpret_cast<void*>(FakeModuleFileName));
    DevSetNoWindow(1);  // the folder is found before the window is made
    host.Start();
    EXPECT_EQ(host.StoredSetting("Main Skin"), c.mainSkin);
  }
}

TEST_F(Lifecycle, WindowIsCreatedWithTheStoredPlaceAndZOrder) {
  const struct {
    int zorder;
    int flags;
  } cases[] = {{0, 11}, {1, 9}, {2, 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.zorder);
    PluginHarness host;
    host.WriteSkins();
    host.WriteCompleteSettings();
    WritePrivateProfileStringA("Calendar", "ZOrder", std::to_string(c.zorder).c_str(),
                               host.SettingsFile().c_str());
    WritePrivateProfileStringA("Calendar", "XPos", "120", host.SettingsFile().c_str());
    WritePrivateProfileStringA("Calendar", "YPos", "130", host.SettingsFile().c_str());
    host.Start();
    std::vector<std::string> calls = PluginHarness::TraceOf("CreateBexilWND(");
    ASSERT_EQ(calls.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(calls[0], m,
                                 std::regex(R"(CreateBexilWND\((-?\d+), (-?\d+), (-?\d+), (-?\d+), (-?\d+), [^,]+, (-?\d+), (-?\d+)\).*)")))
        << calls[0];
    EXPECT_EQ(m[1], "120");
    EXPECT_EQ(m[2], "130");
    EXPECT_EQ(m[3], "77");
    EXPECT_EQ(m[4], std::to_string(c.zorder));
    EXPECT_EQ(m[5], std::to_string(c.flags));
    EXPECT_EQ(m[6], "77");
    EXPECT_EQ(m[7], "0");
  }
}

TEST_F(Lifecycle, FullStartShowsTheWindowAndStartsTheOneSecondTimer) {
  host_.WriteCompleteSettings();
  host_.Start();
  EXPECT_TRUE(PluginHarness::MessageBoxes().empty());
  ASSERT_NE(host_.Window(), nullptr);
  EXPECT_TRUE(IsWindowVisible(host_.WindowHandle()));
  EXPECT_EQ(timers, (std::vector<std::string>{"0,1000,none"}));
  EXPECT_EQ(DevWindowRefCount(host_.Window()), 2) << "the host's reference and the plug-in's own";
  // The face is built before the window is shown, and the timer started last.
  EXPECT_LT(IndexOf("CreateLayer("), IndexOf("SetVisible(1)"));
  EXPECT_LT(IndexOf("SetVisible(1)"), IndexOf("SetTimer"));
}

TEST_F(Lifecycle, StartUpFailuresShowTheirBoxAndStopWhereTheyMust) {
  const struct {
    const char* name;
    void (*fault)();
    const char* message;
    bool windowMade;
    bool faceBuilt;  // and so the window shown and the timer started
  } cases[] = {
      {"no window", [] { DevSetNoWindow(1); }, "Bexil window wasn't created", false, false},
      {"old host", [] { DevSetVersion(19199); }, "Old version of Bexil! Please update Bexil", true, false},
      {"missing skin", [] { DevSetSkinFails(1); }, "Please load skin!", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PluginHarness host;
    host.WriteSkins();
    host.WriteCompleteSettings();
    timers.clear();
    auto timerPatch = host.Plugin().Patch("USER32.dll", "SetTimer", reinterpret_cast<void*>(RecordSetTimer));
    c.fault();
    host.Start();
    ASSERT_EQ(PluginHarness::MessageBoxes().size(), 1u);
    const MessageBoxCall& box = PluginHarness::MessageBoxes()[0];
    EXPECT_EQ(box.text, c.message);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.style, 0x40030u);
    EXPECT_EQ(box.owner, nullptr);
    // The box is bracketed by the host's modal messages, each sent exactly once.
    EXPECT_EQ(PluginHarness::TraceOf("HostBeginModal(0, 0)").size(), 1u);
    EXPECT_EQ(PluginHarness::TraceOf("HostEndModal(0, 0)").size(), 1u);
    EXPECT_LT(IndexOf("HostBeginModal(0, 0)"), IndexOf("MessageBoxA("));
    EXPECT_LT(IndexOf("MessageBoxA("), IndexOf("HostEndModal(0, 0)"));

    EXPECT_EQ(IndexOf("CreateLayer(") != -1, c.faceBuilt);
    EXPECT_EQ(!timers.empty(), c.faceBuilt);
    if (c.faceBuilt) {
      EXPECT_LT(IndexOf("MessageBoxA("), IndexOf("CreateLayer(")) << "the face follows the box";
    }
    if (c.windowMade) {
      EXPECT_EQ(IsWindowVisible(host.WindowHandle()) != 0, c.faceBuilt);
    } else {
      // There is no window object, so none of its operations can have been called.
      EXPECT_EQ(IndexOf("AddRef("), -1);
      EXPECT_EQ(IndexOf("GetVersion("), -1);
    }
  }
}

TEST_F(Lifecycle, VersionIsComparedUnsignedAgainst19200) {
  const struct {
    unsigned version;
    bool accepted;
  } cases[] = {{19199, false}, {19200, true}, {0x80000000u, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    PluginHarness host;
    host.WriteSkins();
    host.WriteCompleteSettings();
    DevSetVersion(c.version);
    host.Start();
    EXPECT_EQ(PluginHarness::MessageBoxes().empty(), c.accepted);
    EXPECT_EQ(IsWindowVisible(host.WindowHandle()) != 0, c.accepted);
  }
}

TEST_F(Lifecycle, DoneModuleDestroysTheWindowAndReleasesBothPictures) {
  host_.WriteCompleteSettings();
  host_.Start();
  HWND window = host_.WindowHandle();
  HostWindow* object = host_.Window();
  host_.Send(WM_TIMER);  // the marker picture is loaded by the first refresh
  DevTraceClear();
  host_.Plugin().DoneModule();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(PluginHarness::TraceOf("FreePicture(").size(), 2u);
  host_.Plugin().Unload();
  // Forgotten, not released: the host holds its own reference and the plug-in's is dropped unused.
  EXPECT_EQ(DevWindowRefCount(object), 2);
  for (const std::string& line : PluginHarness::Trace())
    EXPECT_TRUE(line.rfind("FreePicture(", 0) == 0 || line.rfind("GetHandle(", 0) == 0)
        << "no window-object call after the window is gone: " << line;
}

TEST_F(Lifecycle, UnloadWithoutDoneModuleReleasesTheWindowObjectOnce) {
  host_.WriteCompleteSettings();
  host_.Start();
  HostWindow* object = host_.Window();
  HWND window = host_.WindowHandle();
  ASSERT_EQ(DevWindowRefCount(object), 2);
  host_.Plugin().Unload();
  EXPECT_EQ(DevWindowRefCount(object), 1);
  EXPECT_EQ(PluginHarness::TraceOf("Release(").size(), 1u);
  DestroyWindow(window);  // the host's own clean-up; the plug-in is gone
}

TEST_F(Lifecycle, DoneModuleWithoutAWindowStillReleasesPicturesAndMayRepeat) {
  DevSetNoWindow(1);
  host_.WriteCompleteSettings();
  host_.Start();
  DevTraceClear();
  host_.Plugin().DoneModule();
  host_.Plugin().DoneModule();
  EXPECT_EQ(PluginHarness::TraceOf("FreePicture(").size(), 4u);
}

}  // namespace
